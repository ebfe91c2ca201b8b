#include "imaging/jpeg_saving.h"

#include <algorithm>
#include <string>

#include "collection/gallery_builder.h"
#include "platform/canvas.h"

namespace gallery {

int ApplyQualityFloor(int quality, int floor) {
  return std::min(std::max(quality, floor), kHighestJpegQuality);
}

std::optional<CCanvas> CanvasFromBottomUpPixels(const unsigned char* pixels, int width,
                                                int height) {
  // A buffer narrower or lower than two pixels is a caller's mistake; nothing is made of it.
  if (pixels == nullptr || width < 2 || height < 2) return std::nullopt;
  std::optional<CCanvas> canvas = CCanvas::FromBgrxPixels(pixels, width, height);
  if (!canvas || !canvas->FlipVertically()) return std::nullopt;
  return canvas;
}

int CGalleryBuilder::SavePixelsAsJpeg(const std::string& path, const unsigned char* pixels,
                                      int width, int height, int quality) {
  std::optional<CCanvas> canvas = CanvasFromBottomUpPixels(pixels, width, height);
  return canvas && SaveJpeg(*canvas, path, std::min(quality, kHighestJpegQuality)) ? 1 : 0;
}

}  // namespace gallery
