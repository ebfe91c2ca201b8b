#include "theme/font_list.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "theme/plain_text.h"

namespace gallery {
namespace {

constexpr std::string_view kGenericFamilies[] = {"serif",   "sans-serif", "monospace",
                                                 "cursive", "fantasy",    "system-ui"};
// Bare, these would be read as keywords of the declaration rather than as family names.
constexpr std::string_view kKeywords[] = {"inherit", "initial",      "unset",
                                          "revert",  "revert-layer", "default"};

struct CFontEntry {
  std::string name;
  bool quoted = false;  // some of the name was in quotes, so it is never a generic family
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

template <size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&names)[N]) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
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

}  // namespace gallery
