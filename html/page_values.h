#ifndef GALLERY_HTML_PAGE_VALUES_H_
#define GALLERY_HTML_PAGE_VALUES_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace gallery {
struct CStyleSettings;

// The texts that fill the value placeholders of the page templates, formatted from the style
// and the page state and set by the page writers. Each keeps its text until it is set again, so a
// value set for one page is still there for the next. The collection title, description and font
// name have no entry: they are read from the style at each substitution.
struct CPageValues {
  std::string back_color;
  std::string table_width;
  std::string table_height;
  std::string table_spacing;
  std::string table_padding;
  std::string table_border_size;
  std::string table_border_style;
  std::string table_back_color;
  std::string table_item_back_color;
  std::string photo_count;
  std::string photo_border_color;
  std::string font_color;
  std::string font_size1;
  std::string font_size2;
  std::string font_size3;
  std::string font_size4;
  std::string font_size5;
  std::string image_width;
  std::string image_height;
  std::string thumb_width;
  std::string thumb_height;
  std::string border_size;
  std::string border_size_regulation;
  std::string photo_index;  // one-based
  std::string photo_path;
  std::string photo_page;
  std::string photo_title;
  std::string photo_number;  // zero-based, the stem of the photo's file names
};

// A colour as pages write it: "#rrggbb" in lower-case hexadecimal.
std::string FormatColor(int color);

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
bool ReplacePlaceholders(const CStyleSettings& style, const CPageValues& values, std::string& text);

// What page writing carries from one page to the next: the page values and the working
// numbers that later pages read. The caller holds it and passes it to each page; a page that
// could not be written is simply not given back, so it leaves no trace.
struct CPageState {
  CPageValues values;
  int table_width = 0;  // once raised by a framed thumbnail, it stays raised for later pages
  int thumb_width = 0;  // the size of the last framed thumbnail laid out, at first the style's
  int thumb_height = 0;
  int border_size_regulation = 0;  // of the sixteen-piece thumbnail frame
  int image_width = 0;             // of the framed photo on the last photo page
  int image_height = 0;
};

// The state before the first page: the style's cell and thumbnail sizes, every value formatted
// for `photo_count` photos.
CPageState StartPageState(const CStyleSettings& style, int photo_count);

// Formats the style's numbers and colours and the state's working numbers into the state's page
// values; `photo_count` becomes the photo count value. The photo's own values (index, number,
// path, page, title) are the page writers' and stay as they are.
void FormatPageValues(const CStyleSettings& style, int photo_count, CPageState& state);

// `value` clamped into the range of int, for sizes worked out from untrusted numbers.
int ClampToInt(int64_t value);

}  // namespace gallery

#endif  // GALLERY_HTML_PAGE_VALUES_H_
