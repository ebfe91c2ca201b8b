#include "html/escape.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace gallery {

size_t EscapedHtmlSize(std::string_view text) {
  size_t size = text.size();
  for (char c : text) {
    switch (c) {
      case '%':
        size += 1;
        break;
      case '&':
      case '<':
      case '>':
        size += c == '&' ? 4 : 3;
        break;
      case '"':
        size += 5;
        break;
      default:
        break;
    }
  }
  return size;
}

std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 8);
  // One pass gives what replacing each character in turn over the whole text would: no
  // replacement holds a character that a later one replaces.
  for (char c : text) {
    switch (c) {
      case '%':
        // Doubled because every finished line is written as a printf-style format.
        escaped += "%%";
        break;
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace gallery
