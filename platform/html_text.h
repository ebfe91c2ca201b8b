#ifndef GALLERY_PLATFORM_HTML_TEXT_H_
#define GALLERY_PLATFORM_HTML_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace gallery {

// One piece of an HTML fragment, as an HTML parser reads it.
struct CHtmlPiece {
  enum class Kind { kText, kElementStart, kElementEnd };
  Kind kind = Kind::kText;
  // The text, its character references resolved; or the element's name in lower case.
  std::string value;
};

// The pieces of the HTML fragment `html` in document order: its texts and the start and end of
// each element, every element ended (an unclosed one where its parent ends). The parser's own
// repairs stand: a stray end tag is dropped, a reference to no character is dropped, an unknown
// named reference stays as written. Comments, processing instructions and doctypes give
// nothing; the content of script and style elements is text like any other. `html` is read as
// UTF-8, each byte that is not taken as U+FFFD and a NUL byte as a space, so every text is valid
// UTF-8. Touches no file; safe to call from several threads at once.
std::vector<CHtmlPiece> ReadHtmlFragment(std::string_view html);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_HTML_TEXT_H_
