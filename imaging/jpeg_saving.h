#ifndef GALLERY_IMAGING_JPEG_SAVING_H_
#define GALLERY_IMAGING_JPEG_SAVING_H_

#include <optional>

namespace gallery {
class CCanvas;

// The kinds of JPEG image a gallery holds, each written at a quality of its own.
enum class JpegKind {
  kPhoto,       // page images and thumbnails: the style's quality, never below 85
  kFramePiece,  // pieces of the textured frames: the style's quality, never below 95
  kButton,      // navigation buttons: always 85, whatever the style says
};

// The encoder's best quality; a higher value is written as this.
inline constexpr int kHighestJpegQuality = 100;

// The JPEG quality an image of `kind` is written at when the style's `photo_quality` is
// `photo_quality` (any value): the kind's rule, held at kHighestJpegQuality.
int JpegQualityFor(JpegKind kind, int photo_quality);

// The image that `CGalleryBuilder::SavePixelsAsJpeg` writes: `width` x `height` pixels of 4
// bytes (blue, green, red, unused), rows without gaps, the first row becoming the bottom row.
// Nothing for no buffer, a side under 2, or an image the library cannot make.
std::optional<CCanvas> CanvasFromBottomUpPixels(const unsigned char* pixels, int width, int height);

}  // namespace gallery

#endif  // GALLERY_IMAGING_JPEG_SAVING_H_
