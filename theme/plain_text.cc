#include "theme/plain_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace gallery {
namespace {

struct CNamedReference {
  std::string_view name;
  std::string_view text;
};

// The references people write in titles; the rest of the HTML list is rare enough to be shown
// as typed.
constexpr CNamedReference kNamedReferences[] = {
    {"amp", "&"},         {"lt", "<"},          {"gt", ">"},          {"quot", "\""},
    {"apos", "'"},        {"nbsp", " "},        {"copy", "\u00a9"},   {"reg", "\u00ae"},
    {"trade", "\u2122"},  {"deg", "\u00b0"},    {"times", "\u00d7"},  {"middot", "\u00b7"},
    {"hellip", "\u2026"}, {"ndash", "\u2013"},  {"mdash", "\u2014"},  {"laquo", "\u00ab"},
    {"raquo", "\u00bb"},  {"lsquo", "\u2018"},  {"rsquo", "\u2019"},  {"ldquo", "\u201c"},
    {"rdquo", "\u201d"},  {"euro", "\u20ac"},   {"auml", "\u00e4"},   {"ouml", "\u00f6"},
    {"uuml", "\u00fc"},   {"Auml", "\u00c4"},   {"Ouml", "\u00d6"},   {"Uuml", "\u00dc"},
    {"szlig", "\u00df"},  {"eacute", "\u00e9"}, {"egrave", "\u00e8"}, {"ecirc", "\u00ea"},
    {"aacute", "\u00e1"}, {"agrave", "\u00e0"}, {"acirc", "\u00e2"},  {"iacute", "\u00ed"},
    {"oacute", "\u00f3"}, {"uacute", "\u00fa"}, {"ccedil", "\u00e7"}, {"ntilde", "\u00f1"},
    {"Eacute", "\u00c9"}, {"aring", "\u00e5"},  {"oslash", "\u00f8"}, {"aelig", "\u00e6"},
};

// Tags after which the words on either side are apart in the rendered text.
constexpr std::string_view kBreakingTags[] = {"br", "p",  "div", "li", "tr", "td", "th",
                                              "h1", "h2", "h3",  "h4", "h5", "h6", "hr"};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void AppendUtf8(uint32_t code, std::string& out) {
  // Surrogates, zero and values past Unicode are shown as the replacement character, as
  // browsers do.
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The reference starting at html[at] (an "&") appended to `out`; returns how many characters
// it took, or 0 when it is no reference and the "&" stands for itself.
size_t AppendReference(std::string_view html, size_t at, std::string& out) {
  const size_t semicolon = html.find(';', at + 1);
  // No name runs longer than this, so a far semicolon belongs to something else.
  if (semicolon == std::string_view::npos || semicolon - at > 32) return 0;
  const std::string_view body = html.substr(at + 1, semicolon - at - 1);
  if (body.size() >= 2 && body[0] == '#') {
    const bool hex = body[1] == 'x' || body[1] == 'X';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return 0;
    uint32_t code = 0;
    for (char c : digits) {
      int digit = -1;
      if (IsAsciiDigit(c))
        digit = c - '0';
      else if (hex && ToLower(c) >= 'a' && ToLower(c) <= 'f')
        digit = ToLower(c) - 'a' + 10;
      if (digit < 0) return 0;
      code = code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
      if (code > 0x10FFFF) code = 0x110000;  // stays out of range without overflowing
    }
    AppendUtf8(code, out);
    return body.size() + 2;
  }
  for (const CNamedReference& reference : kNamedReferences) {
    if (reference.name == body) {
      out += reference.text;
      return body.size() + 2;
    }
  }
  return 0;
}

// The end of the tag opened at html[at] (just past its ">"), or npos when "<" does not open
// a tag there. Quoted attribute values may hold ">".
size_t TagEnd(std::string_view html, size_t at) {
  if (at + 1 >= html.size()) return std::string_view::npos;
  const char next = html[at + 1];
  if (!IsAsciiLetter(next) && next != '/' && next != '!' && next != '?') {
    return std::string_view::npos;
  }
  if (html.substr(at, 4) == "<!--") {
    const size_t close = html.find("-->", at + 4);
    return close == std::string_view::npos ? html.size() : close + 3;
  }
  char quote = 0;
  for (size_t i = at + 1; i < html.size(); ++i) {
    const char c = html[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  // An unclosed tag swallows the rest, as it would in a browser.
  return html.size();
}

bool BreaksWords(std::string_view tag) {
  size_t start = 1;
  if (start < tag.size() && tag[start] == '/') ++start;
  std::string name;
  while (start < tag.size() && (IsAsciiLetter(tag[start]) || IsAsciiDigit(tag[start]))) {
    name += ToLower(tag[start++]);
  }
  for (std::string_view breaking : kBreakingTags) {
    if (breaking == name) return true;
  }
  return false;
}

}  // namespace

std::string PlainTextFromHtml(std::string_view html) {
  std::string text;
  bool pending_space = false;
  auto append = [&](std::string_view piece) {
    for (char c : piece) {
      if (IsSpace(c)) {
        pending_space = true;
        continue;
      }
      if (pending_space && !text.empty()) text += ' ';
      pending_space = false;
      text += c;
    }
  };
  size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (c == '<') {
      const size_t end = TagEnd(html, i);
      if (end != std::string_view::npos) {
        if (BreaksWords(html.substr(i, end - i))) pending_space = true;
        i = end;
        continue;
      }
    } else if (c == '&') {
      std::string decoded;
      const size_t used = AppendReference(html, i, decoded);
      if (used > 0) {
        append(decoded);
        i += used;
        continue;
      }
    }
    append(std::string_view(&html[i], 1));
    ++i;
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
