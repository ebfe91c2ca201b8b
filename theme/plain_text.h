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

// `name` as one segment of a relative address: every byte but ASCII letters, digits, "-", ".",
// "_" and "~" percent-encoded, so a "#", "?", "%" or "/" in a file name stays part of it.
std::string UrlPathSegment(std::string_view name);

}  // namespace gallery

#endif  // GALLERY_THEME_PLAIN_TEXT_H_
