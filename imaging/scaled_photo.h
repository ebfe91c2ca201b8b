#ifndef GALLERY_IMAGING_SCALED_PHOTO_H_
#define GALLERY_IMAGING_SCALED_PHOTO_H_

#include "platform/photo.h"

namespace gallery {

// Page images and thumbnails are never saved below this JPEG quality.
inline constexpr int kScaledPhotoQualityFloor = 85;

// The mode of `CGalleryBuilder::WriteScaledPhoto` that writes the page image; any other mode
// writes the thumbnail.
inline constexpr int kPageImageMode = 0;

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

// True for the textured frame styles, whose images get a one-pixel ring of the background
// colour so that the frame joins them seamlessly.
bool HasEdgeRing(int thumb_style);

// A style colour (red in the lowest byte, then green, then blue; top byte ignored).
PhotoColor ToPhotoColor(int color);

}  // namespace gallery

#endif  // GALLERY_IMAGING_SCALED_PHOTO_H_
