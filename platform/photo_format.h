#ifndef GALLERY_PLATFORM_PHOTO_FORMAT_H_
#define GALLERY_PLATFORM_PHOTO_FORMAT_H_

#include <cstddef>
#include <optional>
#include <string_view>

namespace gallery {

// The photo formats a source may be in. Nothing else is ever decoded, whatever a file is named:
// drawings, documents and the many formats an image library could read besides photos are
// refused like any damaged file.
enum class PhotoFormat { kUnknown, kJpeg, kPng, kGif, kTiff, kWebp, kHeif, kJpegXl, kBmp };

// How many bytes from the start of a file `SniffPhotoFormat` looks at; fewer are fine.
inline constexpr size_t kPhotoFormatHeadSize = 64;

// The format the first bytes of a file declare by their signature, or kUnknown. Pure: reads
// nothing but `head`.
PhotoFormat SniffPhotoFormat(std::string_view head);

// The usual file name extension of the format `head` declares, in lower case and without the
// dot: "jpg", "png", "gif", "tif", "webp", "heic" (or "avif" for AV1-coded HEIF), "jxl" or
// "bmp"; empty for kUnknown. Pure, like `SniffPhotoFormat`.
std::string_view PhotoFormatExtension(std::string_view head);

struct DeclaredSize {
  int width = 0;
  int height = 0;
};

// The size a bitmap's header declares (a height stored negative, for rows top down, counted as
// positive), or nothing when `head` is no bitmap's or declares no pixels. The only decoder of
// bitmaps reads the whole image when asked for its header, so this is what decides whether
// one is decoded at all.
std::optional<DeclaredSize> DeclaredBmpSize(std::string_view head);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_PHOTO_FORMAT_H_
