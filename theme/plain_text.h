#ifndef GALLERY_THEME_PLAIN_TEXT_H_
#define GALLERY_THEME_PLAIN_TEXT_H_

#include <string>
#include <string_view>

namespace gallery {

// What a reader sees of the HTML fragment `html`: tags removed (line breaks and block tags
// become a space), character references turned back into the characters they name, runs of
// white space made one space, no space at either end. Unknown named references stay as written.
// The result is text, not HTML: escape it before it goes into a page.
std::string PlainTextFromHtml(std::string_view html);

// `text` escaped for HTML text and for attribute values in either kind of quotes: "&", "<",
// ">", '"' and "'" become references. Nothing else changes.
std::string EscapeHtmlText(std::string_view text);

// `text` as a double-quoted CSS string, quotes included. Everything but letters, digits,
// spaces, "-", "_" and bytes of multi-byte UTF-8 characters is written as a hexadecimal escape,
// so the string can neither end early nor close the <style> element it sits in.
std::string CssString(std::string_view text);

// The style's font, a list of family names parted by commas as in CSS ("Georgia, serif",
// "\"Noto Sans\", Arial"), as the value of a font-family declaration. Each name is its own entry;
// a name that may go bare (one plain word) stays bare, generic families (serif, sans-serif,
// monospace, cursive, fantasy, system-ui; in any case, not quoted) are written in lower case,
// and every other name is a CSS string whose quotes, backslashes, punctuation and control
// characters are escaped, so no preset can end the value or the <style> element it is in.
// Empty entries are left out. Unless the list names a generic family, "system-ui,sans-serif"
// ends it, so an empty list gives just that.
std::string CssFontFamily(std::string_view font_list);

// `name` as one segment of a relative address: every byte but ASCII letters, digits, "-", ".",
// "_" and "~" percent-encoded, so a "#", "?", "%" or "/" in a file name stays part of it.
std::string UrlPathSegment(std::string_view name);

}  // namespace gallery

#endif  // GALLERY_THEME_PLAIN_TEXT_H_
