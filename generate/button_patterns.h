#ifndef GALLERY_GENERATE_BUTTON_PATTERNS_H_
#define GALLERY_GENERATE_BUTTON_PATTERNS_H_

#include <array>
#include <string_view>

namespace gallery {

inline constexpr int kButtonSize = 32;

// A 32 x 32 button picture drawn as text rows, top row first.
struct ButtonPattern {
  std::array<std::string_view, kButtonSize> rows;
};

}  // namespace gallery

#endif  // GALLERY_GENERATE_BUTTON_PATTERNS_H_
