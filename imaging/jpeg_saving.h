#ifndef GALLERY_IMAGING_JPEG_SAVING_H_
#define GALLERY_IMAGING_JPEG_SAVING_H_

#include <optional>

namespace gallery {
class CCanvas;

// The lowest JPEG quality each kind of image is written at; the style's `photo_quality` counts
// only above it.
inline constexpr int kPhotoQualityFloor = 85;       // page images and thumbnails
inline constexpr int kFramePieceQualityFloor = 95;  // frame pieces
// Navigation buttons are always written at this quality, whatever the style says.
inline constexpr int kButtonQuality = 85;
// The encoder's best quality; a higher value is written as this.
inline constexpr int kHighestJpegQuality = 100;

// `quality` raised to `floor` and capped at the highest quality.
int ApplyQualityFloor(int quality, int floor);

// The image that `CGalleryBuilder::SavePixelsAsJpeg` writes: `width` x `height` pixels of 4
// bytes (blue, green, red, unused), rows without gaps, the first row becoming the bottom row.
// Nothing for no buffer, a side under 2, or an image the library cannot make.
std::optional<CCanvas> CanvasFromBottomUpPixels(const unsigned char* pixels, int width, int height);

}  // namespace gallery

#endif  // GALLERY_IMAGING_JPEG_SAVING_H_
