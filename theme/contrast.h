#ifndef GALLERY_THEME_CONTRAST_H_
#define GALLERY_THEME_CONTRAST_H_

#include <string>

namespace gallery {

// Text at least this many times as luminous as its background (or the other way round) is
// readable by people with moderately low vision.
inline constexpr double kMinimumTextContrast = 4.5;

// The contrast ratio of two 0xRRGGBB colours as the accessibility guidelines define it: from 1
// (the same luminance) to 21 (black on white). The order of the two does not matter.
double ContrastRatio(int first, int second);

// `text` when it reaches kMinimumTextContrast on `background`; otherwise black or white,
// whichever contrasts more with the background.
int ReadableTextColor(int text, int background);

// `color` (0xRRGGBB; higher bits are ignored) as a CSS colour, "#rrggbb".
std::string CssColor(int color);

}  // namespace gallery

#endif  // GALLERY_THEME_CONTRAST_H_
