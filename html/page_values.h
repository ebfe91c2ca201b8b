#ifndef GALLERY_HTML_PAGE_VALUES_H_
#define GALLERY_HTML_PAGE_VALUES_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "collection/style_settings.h"

namespace gallery {

// A colour as pages write it: "#rrggbb" in lower-case hexadecimal.
std::string FormatColor(int color);

// Formats the style's numbers and colours and the working numbers (the photo page's image size,
// the current thumbnail size, the border size regulation, the cell width as raised so far) into
// their page values; `photo_count` becomes the photo count value. The photo's own values (index,
// number, path, page, title) are the page writers' and stay as they are.
void FormatPageValues(CStyleSettings& style, int photo_count);

// The most bytes of a page: its file, and every text made on the way to it. A collection can
// spell placeholders in its texts that fill a page with the description once per occurrence, or
// ask for billions of empty cells; such a page is passed over like one that cannot be written,
// found out before any text passes this size. Real pages are a few megabytes at most.
inline constexpr size_t kMaxPageBytes = size_t{64} << 20;

// Replaces every value placeholder in `text` by its current text, one placeholder name after
// the other in a fixed order. Each name's occurrences are replaced left to right without looking
// again at what was just put in, while later names are also looked for inside the texts that
// earlier ones put in. The collection title and description are escaped; the font name and the
// photo title are not. Line placeholders pass unchanged. Linear in the size of the text.
// False, with `text` left half filled in, as soon as one name's replacement would make the text
// longer than kMaxPageBytes; that is decided before the longer text is built.
bool ReplacePlaceholders(const CStyleSettings& style, std::string& text);

// Everything of the style that the page writers change while writing a page, so that a page
// that could not be written leaves no trace.
struct CPageState {
  CPageValues values;
  int table_width = 0;
  int thumb_width = 0;
  int thumb_height = 0;
  int border_size_regulation = 0;
  int image_width = 0;
  int image_height = 0;
};
CPageState SavePageState(const CStyleSettings& style);
void RestorePageState(CStyleSettings& style, CPageState state);

// `value` clamped into the range of int, for sizes worked out from untrusted numbers.
int ClampToInt(int64_t value);

}  // namespace gallery

#endif  // GALLERY_HTML_PAGE_VALUES_H_
