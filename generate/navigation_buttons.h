#ifndef GALLERY_GENERATE_NAVIGATION_BUTTONS_H_
#define GALLERY_GENERATE_NAVIGATION_BUTTONS_H_

#include <array>
#include <string_view>
#include <vector>

#include "collection/output_layout.h"
#include "generate/button_patterns.h"

namespace gallery {

// One navigation button: which it is (and so its file name) and its picture.
struct NavigationButton {
  NavigationButtonKind kind;
  const ButtonPattern* pattern;
};

// The buttons in the order of kNavigationButtonKinds.
extern const std::array<NavigationButton, 5> kNavigationButtons;

inline constexpr int kButtonPixelBytes = kButtonSize * kButtonSize * 4;

// The pixels of a button as `CGalleryBuilder::SavePixelsAsJpeg` takes them: `kButtonSize` rows
// of `kButtonSize` pixels of 4 bytes (blue, green, red, 255), the picture's bottom row first.
// Foreground cells take `font_color`, both kinds of background `back_color`.
std::vector<unsigned char> ButtonPixels(const ButtonPattern& pattern, int font_color,
                                        int back_color);

}  // namespace gallery

#endif  // GALLERY_GENERATE_NAVIGATION_BUTTONS_H_
