#ifndef GALLERY_IMAGING_SCALED_PHOTO_H_
#define GALLERY_IMAGING_SCALED_PHOTO_H_

#include <optional>
#include <string>

#include "collection/photo_result.h"
#include "platform/file_system.h"
#include "platform/photo.h"

namespace gallery {
struct CStyleSettings;

// The mode of `WriteScaledPhoto` that writes the page image; any other mode writes the
// thumbnail.
inline constexpr int kPageImageMode = 0;
inline constexpr int kThumbnailMode = 1;

// The size of a scaled photo and the part of the source drawn into it.
struct ScaledPhotoLayout {
  PhotoSize output;
  PhotoRect source;
};

// Lays a source of size `source` out in a box of size `box` by the scaling rule `thumb_type`:
//   1: fit inside the box keeping the aspect ratio: the source times the smaller of the two
//      ratios box / source (the vertical one when they are equal), whole source;
//   2: fill the box keeping the aspect ratio: output the box, source cut from its top-left
//      corner to the box divided by the larger ratio (the vertical one when equal);
//   any other value: the whole source stretched to the box.
// Computed in double precision, each size truncated toward zero (and held within the int
// range). An output width or height of 0 or less means there is nothing to draw.
ScaledPhotoLayout LayOutScaledPhoto(int thumb_type, PhotoSize box, PhotoSize source);

// The size of a page image of a `source` whose longer side is capped at `max_long_side`: the
// source's own size when it is no longer or the cap is 0 or less, else the aspect kept with the
// longer side at the cap and the shorter rounded to the nearest pixel (at least 1).
PhotoSize CapLongSide(PhotoSize source, int max_long_side);

// A style colour (red in the lowest byte, then green, then blue; top byte ignored).
PhotoColor ToPhotoColor(int color);

// What the image work reads of the style, copied before it starts so that no worker reads
// settings that anything else could touch.
struct CImageSettings {
  PhotoSize thumb_box;
  int thumb_type = 0;
  bool edge_ring = false;
  PhotoColor background;
  int quality = 0;  // JPEG quality, the rule for page images and thumbnails already applied
  // The page image's longer side at most this (0: the source's own size, never changed).
  int max_long_side = 0;
  // A JPEG source may be decoded at a reduced size for its page image, where the result is the
  // same image at no less than the output's size.
  bool reduced_decoding = false;
  // A thumbnail is the size laid out in `thumb_box` times this, drawn from the whole page image
  // (the page image's own size where that would enlarge it); 1 keeps the layout as it is.
  int thumb_scale = 1;
  // A thumbnail is never larger than the page image it is drawn from (its aspect kept).
  bool never_enlarge = false;
  // Resampled the faster way of `PhotoRendering::cubic_resampling`.
  bool cubic_resampling = false;
};
CImageSettings MakeImageSettings(const CStyleSettings& style);

// The layout of the page image (`page_image`) or thumbnail of a source of size `source` by
// `settings`, as `WriteScaledPhoto` makes it: a thumbnail's source is the page image.
ScaledPhotoLayout LayOutImage(const CImageSettings& settings, PhotoSize source, bool page_image);

// What writing one scaled photo gave.
struct CScaledPhoto {
  // The size to record for the image: a page image's once it was written; a thumbnail's as soon
  // as the source's size is known, even when no image of that size can be made.
  std::optional<PhotoSize> size;
  PhotoFailure failure = PhotoFailure::kNone;  // kNone exactly when the file was written
  WriteFailure write_failure = WriteFailure::kNone;  // why, with kNotWritten
};

// The page image (mode kPageImageMode, the source's own size) or thumbnail (any other mode, from
// the page image written just before it) of the photo at `source`, written to `path`. Reads and
// writes nothing else, so any number may run at once. When it fails, no file is left at `path`,
// not even one an earlier run wrote: the pages link that name for this photo.
CScaledPhoto WriteScaledPhoto(const CImageSettings& settings, const std::string& source,
                              const std::string& path, int mode);

}  // namespace gallery

#endif  // GALLERY_IMAGING_SCALED_PHOTO_H_
