#ifndef GALLERY_PLATFORM_PHOTO_H_
#define GALLERY_PLATFORM_PHOTO_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/photo_format.h"

namespace gallery {

// Photo sources are files in a photo format (JPEG, PNG, GIF, TIFF, WebP, HEIF/AVIF, JPEG XL,
// BMP), known by their content alone (of a multi-frame or multi-page file, the first frame or
// page); anything else is undecodable. A source is always seen upright: its EXIF
// orientation is applied first, and every size and rectangle below is in upright pixels.

struct PhotoSize {
  int width = 0;
  int height = 0;
};

struct PhotoRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Channel values 0 to 255.
struct PhotoColor {
  int red = 0;
  int green = 0;
  int blue = 0;
};

// The decisions that rendering takes from values alone, made by the caller and only applied
// here. Each default is the safe choice.
struct PhotoRules {
  // A source or output of more pixels than this is refused (a source from its header alone).
  int64_t max_pixels = 0;
  // Whether an embedded ICC profile is sRGB already, so that converting from it can be left
  // out; without one, every profile is converted.
  bool (*is_srgb_profile)(const unsigned char* profile, size_t length) = nullptr;
  // The factor (8, 4, 2 or 1) by which an own JPEG source may be decoded smaller, for `rect` of
  // an `upright` source scaled to `output`; a `rect` short of the whole source must lie on whole
  // shrunk pixels. Without one, a source is always decoded at full size.
  int (*reduced_decoding_factor)(PhotoSize upright, PhotoRect rect, PhotoSize output) = nullptr;
};

// How a source becomes a JPEG image.
struct PhotoRendering {
  PhotoSize output;        // the exact size of the result
  PhotoRect source;        // the part of the source scaled into the whole result; cut to the
                           // source, and empty when it has a negative corner
  PhotoColor background;   // under transparent pixels, and all there is for an empty `source`
  bool edge_ring = false;  // paint the outermost ring of pixels in `background`
  int quality = 85;        // JPEG quality, used within 1 to 100
  // The source is a complete JPEG file that this program wrote, so it may be decoded at a
  // reduced size where the result is the same rectangle at no less than the output's size.
  bool own_jpeg_source = false;
  PhotoRules rules;
  // Any complete JPEG source may be decoded at a reduced size under the same condition.
  bool reduced_decoding = false;
  // Resampled with a cubic kernel instead of lanczos3: visually the same (36 dB and more,
  // 48 dB typically, against lanczos3 on camera photos made 2048 pixels wide) in about three
  // quarters of the time.
  bool cubic_resampling = false;
};

// What the header of a source tells, without decoding pixels.
struct PhotoHeader {
  PhotoSize size;  // upright
  PhotoFormat format = PhotoFormat::kUnknown;
  // Decoded row by row, top to bottom, so that only a few rows are in memory at once: a JPEG
  // or non-interlaced PNG stored upright or mirrored. Any other source is decoded whole.
  bool streamed = false;
};

// The header of the source at `path`; nothing as for `ReadPhotoSize`.
std::optional<PhotoHeader> ReadPhotoHeader(const std::string& path, int64_t max_pixels);

// The upright size of the source at `path`, read from its header without decoding pixels.
// Nothing when the path is not a regular file, its format is unknown, its header is damaged or
// it declares more than `max_pixels` pixels.
std::optional<PhotoSize> ReadPhotoSize(const std::string& path, int64_t max_pixels);

// The bytes of a JPEG file holding `rendering` of the source at `path`: decoded, made upright,
// converted to 8-bit sRGB (an embedded colour profile honoured), alpha flattened onto the
// background, scaled and encoded with no metadata at all (no EXIF, XMP, IPTC, colour profile,
// comment or embedded thumbnail). Nothing when the source cannot be decoded completely (damaged
// or truncated data included), the source or output is too large or the output size is not
// positive, or encoding fails.
// Touches no file but the source; safe to call from several threads at once.
std::optional<std::string> RenderPhotoJpeg(const std::string& path,
                                           const PhotoRendering& rendering);

// How `SavePhotoJpeg` went.
enum class PhotoSave {
  kSaved,
  kFailed,      // the source could not be decoded completely
  kNoMemory,    // the imaging library could not get the memory it asked for
  kNotWritten,  // the file could not be written, for `CPhotoSaveResult::write_failure`
};

struct CPhotoSaveResult {
  PhotoSave outcome = PhotoSave::kSaved;
  WriteFailure write_failure = WriteFailure::kNone;  // of kNotWritten
};

// `RenderPhotoJpeg` written to the file `target`, whole or not at all (an older file there stays
// when anything fails).
CPhotoSaveResult SavePhotoJpeg(const std::string& path, const PhotoRendering& rendering,
                               const std::string& target);

// The file name extension of the photo format the file at `path` is in by its content ("jpg",
// "png", "gif", "tif", "webp", "heic", "avif", "jxl", "bmp"), or empty when it is in none.
std::string ReadPhotoExtension(const std::string& path);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_PHOTO_H_
