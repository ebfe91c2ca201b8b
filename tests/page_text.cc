#include "tests/page_text.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace gallery {

std::string WithLineFeeds(const std::string& page) {
  std::string text;
  for (size_t i = 0; i < page.size(); ++i) {
    if (page[i] == '\n' && (i == 0 || page[i - 1] != '\r')) {
      ADD_FAILURE() << "bare line feed at byte " << i;
    }
    if (page[i] == '\r' && i + 1 < page.size() && page[i + 1] == '\n') continue;
    text += page[i];
  }
  return text;
}

std::string WithLineFeeds(const std::optional<std::string>& page) {
  if (!page) {
    ADD_FAILURE() << "the page was passed over as too large";
    return std::string();
  }
  return WithLineFeeds(*page);
}

std::string Filled(std::span<const std::string_view> lines, const PlaceholderValues& values) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += '\n';
  }
  for (const auto& [name, value] : values) {
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
      text.replace(at, name.size(), value);
      at += value.size();
    }
  }
  return text;
}

}  // namespace gallery
