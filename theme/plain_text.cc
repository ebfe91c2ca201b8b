#include "theme/plain_text.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/html_text.h"

namespace gallery {
namespace {

// Elements that set the words on either side apart in the rendered text.
constexpr std::string_view kBreakingElements[] = {
    "address", "article", "aside", "blockquote", "br",     "dd",     "div",   "dl",
    "dt",      "figcaption", "figure", "footer",  "h1",    "h2",     "h3",    "h4",
    "h5",      "h6",      "header", "hr",         "li",    "main",   "nav",   "ol",
    "p",       "pre",     "section", "table",     "td",    "th",     "tr",    "ul"};

// Elements whose content is no text a reader sees.
constexpr std::string_view kHiddenElements[] = {"script", "style", "template", "noscript"};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

template <size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&names)[N]) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

}  // namespace

std::string PlainTextFromHtml(std::string_view html) {
  std::string text;
  bool pending_space = false;
  int hidden = 0;  // how many hidden elements the current piece lies in
  for (const CHtmlPiece& piece : ReadHtmlFragment(html)) {
    switch (piece.kind) {
      case CHtmlPiece::Kind::kElementStart:
      case CHtmlPiece::Kind::kElementEnd:
        if (IsOneOf(piece.value, kHiddenElements)) {
          hidden += piece.kind == CHtmlPiece::Kind::kElementStart ? 1 : -1;
        }
        if (IsOneOf(piece.value, kBreakingElements)) pending_space = true;
        break;
      case CHtmlPiece::Kind::kText:
        if (hidden > 0) break;
        for (char c : piece.value) {
          if (IsSpace(c)) {
            pending_space = true;
            continue;
          }
          if (pending_space && !text.empty()) text += ' ';
          pending_space = false;
          text += c;
        }
        break;
    }
  }
  return text;
}

std::string EscapeHtmlText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
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
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string CssString(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  std::string css = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsAsciiLetter(c) || IsAsciiDigit(c) || c == ' ' || c == '-' || c == '_' || byte >= 0x80) {
      css += c;
    } else if (byte == 0) {
      css += "\\fffd ";  // CSS reads an escaped zero as the replacement character anyway
    } else {
      // The space ends the escape, so a following hex digit is not taken as part of it.
      css += '\\';
      if (byte >= 0x10) css += kHexDigits[byte >> 4];
      css += kHexDigits[byte & 0x0F];
      css += ' ';
    }
  }
  css += '"';
  return css;
}

std::string UrlPathSegment(std::string_view name) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string segment;
  for (char c : name) {
    if (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      segment += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      segment += '%';
      segment += kHexDigits[byte >> 4];
      segment += kHexDigits[byte & 0x0F];
    }
  }
  return segment;
}

}  // namespace gallery
