#ifndef GALLERY_GENERATE_BUTTON_PATTERNS_H_
#define GALLERY_GENERATE_BUTTON_PATTERNS_H_

#include <array>
#include <string_view>

namespace gallery {

inline constexpr int kButtonSize = 32;

// The rows that may hold glyph cells; the others hold only the frame ring and background.
inline constexpr int kGlyphFirstRow = 8;
inline constexpr int kGlyphLastRow = 23;

// Cell values of a button pattern. Both background values are drawn in the background colour.
inline constexpr unsigned char kButtonForeground = 0x00;  // the frame ring and the glyph
inline constexpr unsigned char kButtonInside = 0x80;      // background inside the ring
inline constexpr unsigned char kButtonMargin = 0xFF;      // background outside the ring

// A 32 x 32 button picture drawn as text rows, top row first, one character a cell.
struct ButtonPattern {
  std::array<std::string_view, kButtonSize> rows;
};

// The five navigation buttons: a rounded frame ring round a glyph.
extern const ButtonPattern kIndexButtonPattern;     // arrow up: a level up
extern const ButtonPattern kFirstButtonPattern;     // bar and arrow left
extern const ButtonPattern kLastButtonPattern;      // arrow right and bar
extern const ButtonPattern kPreviousButtonPattern;  // arrow left
extern const ButtonPattern kNextButtonPattern;      // arrow right

// The cell value (`kButtonForeground`, `kButtonInside` or `kButtonMargin`) at `row` (0 on top)
// and `column` (0 on the left), both 0 to 31.
unsigned char ButtonCell(const ButtonPattern& pattern, int row, int column);

}  // namespace gallery

#endif  // GALLERY_GENERATE_BUTTON_PATTERNS_H_
