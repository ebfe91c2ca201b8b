#include "theme/plain_text.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

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

// The generic families a font list may end in.
constexpr std::string_view kGenericFamilies[] = {"serif",   "sans-serif", "monospace",
                                                 "cursive", "fantasy",    "system-ui"};
// Bare, these would be read as keywords of the declaration rather than as family names.
constexpr std::string_view kKeywords[] = {"inherit", "initial",      "unset",
                                          "revert",  "revert-layer", "default"};

struct CFontEntry {
  std::string name;
  bool quoted = false;  // some of the name was in quotes, so it is never a generic family
};

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// One word of letters, digits, "-" and "_" that starts with a letter: a name CSS reads bare as
// written.
bool MayGoBare(std::string_view name) {
  return !name.empty() && IsAsciiLetter(name.front()) &&
         std::all_of(
             name.begin(), name.end(),
             [](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_'; }) &&
         !IsOneOf(AsciiLower(name), kKeywords);
}

// The entries of `list`. A comma outside quotes ends an entry. Quotes of either kind are not part
// of a name, and inside them a comma is text and a backslash takes the next character as it
// is. Outside quotes a run of white space is one space, and none is kept at either end.
std::vector<CFontEntry> SplitFontList(std::string_view list) {
  std::vector<CFontEntry> entries(1);
  char quote = 0;
  bool space = false;
  for (size_t i = 0; i < list.size(); ++i) {
    const char c = list[i];
    CFontEntry& entry = entries.back();
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else if (c == '\\' && i + 1 < list.size()) {
        entry.name += list[++i];
      } else {
        entry.name += c;
      }
    } else if (c == ',') {
      entries.emplace_back();
      space = false;
    } else if (IsSpace(c)) {
      space = !entry.name.empty();
    } else {
      if (space) entry.name += ' ';
      space = false;
      if (c == '"' || c == '\'') {
        quote = c;
        entry.quoted = true;
      } else {
        entry.name += c;
      }
    }
  }
  return entries;
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

std::string CssFontFamily(std::string_view font_list) {
  std::string family;
  bool generic = false;
  for (const CFontEntry& entry : SplitFontList(font_list)) {
    if (entry.name.empty()) continue;
    if (!family.empty()) family += ',';
    const std::string lower = AsciiLower(entry.name);
    if (!entry.quoted && IsOneOf(lower, kGenericFamilies)) {
      family += lower;
      generic = true;
    } else if (!entry.quoted && MayGoBare(entry.name)) {
      family += entry.name;
    } else {
      family += CssString(entry.name);
    }
  }
  if (!generic) family += family.empty() ? "system-ui,sans-serif" : ",system-ui,sans-serif";
  return family;
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
