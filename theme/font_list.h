#ifndef GALLERY_THEME_FONT_LIST_H_
#define GALLERY_THEME_FONT_LIST_H_

#include <string>
#include <string_view>

namespace gallery {

// The style's font, a list of family names parted by commas as in CSS ("Georgia, serif",
// "\"Noto Sans\", Arial"), as the value of a font-family declaration. Each name is its own entry;
// a name that may go bare (one plain word) stays bare, generic families (serif, sans-serif,
// monospace, cursive, fantasy, system-ui; in any case, not quoted) are written in lower case,
// and every other name is a CSS string whose quotes, backslashes, punctuation and control
// characters are escaped, so no preset can end the value or the <style> element it is in.
// Empty entries are left out. Unless the list names a generic family, "system-ui,sans-serif"
// ends it, so an empty list gives just that.
std::string CssFontFamily(std::string_view font_list);

}  // namespace gallery

#endif  // GALLERY_THEME_FONT_LIST_H_
