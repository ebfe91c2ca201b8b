#include "imaging/jpeg_saving.h"

#include <algorithm>
#include <string>

#include "collection/gallery_builder.h"
#include "platform/canvas.h"

namespace gallery {
namespace {

constexpr int kPhotoQualityFloor = 85;
constexpr int kFramePieceQualityFloor = 95;
constexpr int kButtonQuality = 85;

}  // namespace

int JpegQualityFor(JpegKind kind, int photo_quality) {
  switch (kind) {
    case JpegKind::kPhoto:
      return std::clamp(photo_quality, kPhotoQualityFloor, kHighestJpegQuality);
    case JpegKind::kFramePiece:
      return std::clamp(photo_quality, kFramePieceQualityFloor, kHighestJpegQuality);
    case JpegKind::kButton:
      break;
  }
  return kButtonQuality;
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
