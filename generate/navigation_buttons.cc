#include "generate/navigation_buttons.h"

#include <optional>
#include <string>

#include "collection/gallery_builder.h"
#include "imaging/jpeg_saving.h"
#include "platform/canvas.h"

namespace gallery {

const std::array<NavigationButton, 5> kNavigationButtons = {{
    {NavigationButtonKind::kIndex, &kIndexButtonPattern},
    {NavigationButtonKind::kFirst, &kFirstButtonPattern},
    {NavigationButtonKind::kLast, &kLastButtonPattern},
    {NavigationButtonKind::kPrevious, &kPreviousButtonPattern},
    {NavigationButtonKind::kNext, &kNextButtonPattern},
}};

std::vector<unsigned char> ButtonPixels(const ButtonPattern& pattern, int font_color,
                                        int back_color) {
  std::vector<unsigned char> pixels;
  pixels.reserve(kButtonPixelBytes);
  // The saver turns the buffer upside down, so the pattern goes in bottom row first.
  for (int row = kButtonSize - 1; row >= 0; --row) {
    for (int column = 0; column < kButtonSize; ++column) {
      const int colour =
          ButtonCell(pattern, row, column) == kButtonForeground ? font_color : back_color;
      pixels.push_back(static_cast<unsigned char>(colour >> 16));
      pixels.push_back(static_cast<unsigned char>(colour >> 8));
      pixels.push_back(static_cast<unsigned char>(colour));
      pixels.push_back(255);
    }
  }
  return pixels;
}

void CGalleryBuilder::WriteNavigationButtons(const std::string& folder) {
  for (const NavigationButton& button : kNavigationButtons) {
    const std::string path = folder + "/" + std::string(GetButtonFileName(button.kind));
    PassOver(path, WriteButtonImage(*button.pattern, path));
  }
}

WriteFailure CGalleryBuilder::WriteButtonImage(const ButtonPattern& pattern,
                                               const std::string& path) {
  const std::vector<unsigned char> pixels =
      ButtonPixels(pattern, style_.font_color, style_.back_color);
  // The steps of SavePixelsAsJpeg, which says only whether the file was written. A button that
  // cannot be written is missing; the pages link to it all the same.
  std::optional<CCanvas> canvas = CanvasFromBottomUpPixels(pixels.data(), kButtonSize, kButtonSize);
  if (!canvas) return WriteFailure::kOther;
  return TrySaveJpeg(*canvas, path, JpegQualityFor(JpegKind::kButton, style_.photo_quality));
}

}  // namespace gallery
