#include "theme/modern_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

namespace gallery {
namespace {

// The shape of a cell without a known thumbnail.
constexpr double kUnknownThumbShape = 1.5;
// The narrowest cell: on the lowest rows, those of a small phone (96 CSS pixels), a cell is
// then as wide as a link must be to be tapped (48 pixels).
constexpr double kNarrowestThumbShape = 0.5;
// The header of a photo page is this high at least (gallery.css: --chrome), and the photo has
// this much room beside it.
constexpr int kPhotoChromeHeight = 120;
constexpr int kPhotoSideRoom = 16;

double ThumbShapeOf(CModernSize thumb) {
  if (thumb.width <= 0 || thumb.height <= 0) return kUnknownThumbShape;
  return std::clamp(static_cast<double>(thumb.width) / thumb.height, kNarrowestThumbShape,
                    static_cast<double>(kModernThumbWidestShape));
}

// `value` with at most three decimals, trailing zeros left off: 1.5, 0.667, 4.
std::string ShortDecimal(double value) {
  const long thousandths = std::lround(value * 1000);
  std::string text = std::to_string(thousandths / 1000);
  const long rest = thousandths % 1000;
  if (rest != 0) {
    std::string decimals = std::to_string(1000 + rest).substr(1);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    text += "." + decimals;
  }
  return text;
}

}  // namespace

int ModernPhotosPerPage(int columns, int rows) {
  if (columns <= 0 || rows <= 0) return 0;
  // In 64 bits, for any numbers a style may hold.
  const int64_t table = std::min<int64_t>(int64_t{columns} * rows, INT_MAX);
  const int64_t tables = std::max<int64_t>(1, (kModernMinPhotosPerPage + table - 1) / table);
  return static_cast<int>(std::min<int64_t>(tables * table, INT_MAX));
}

std::string ModernThumbShape(CModernSize thumb) { return ShortDecimal(ThumbShapeOf(thumb)); }

std::string ModernThumbSizes(CModernSize thumb) {
  const double shape = ThumbShapeOf(thumb);
  // A row grows from its starting height until it fills the width, by a quarter or so.
  return "(max-width: 800px) calc(" + ShortDecimal(shape) + " * 32vw), " +
         std::to_string(std::lround(shape * kModernThumbHeight)) + "px";
}

std::string ModernPhotoSizes(CModernSize image) {
  if (image.width <= 0 || image.height <= 0) return {};
  const std::string ratio = std::to_string(image.width) + "/" + std::to_string(image.height);
  const std::string width = std::to_string(image.width);
  const std::string height = std::to_string(image.height);
  return "(min-aspect-ratio: " + ratio + ") calc((100vh - " + std::to_string(kPhotoChromeHeight) +
         "px) * " + width + " / " + height + "), calc(100vw - " + std::to_string(kPhotoSideRoom) +
         "px)";
}

}  // namespace gallery
