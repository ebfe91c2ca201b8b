#include "html/page_values.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "collection/style_settings.h"
#include "html/escape.h"

namespace gallery {
namespace {

enum class Source { kPageValue, kCollectionTitle, kCollectionDescription, kFontName };

struct CPlaceholder {
  std::string_view name;
  Source source;
  std::string CPageValues::*value;
};

// The order matters: a value that holds the name of a later placeholder gets that one filled in
// too, while one holding an earlier name keeps it.
constexpr std::array<CPlaceholder, 30> kPlaceholders = {{
    {"%%BackColor%%", Source::kPageValue, &CPageValues::back_color},
    {"%%CollectionTitle%%", Source::kCollectionTitle, nullptr},
    {"%%CollectionDescription%%", Source::kCollectionDescription, nullptr},
    {"%%TableWidth%%", Source::kPageValue, &CPageValues::table_width},
    {"%%TableHeight%%", Source::kPageValue, &CPageValues::table_height},
    {"%%TableSpacing%%", Source::kPageValue, &CPageValues::table_spacing},
    {"%%TablePadding%%", Source::kPageValue, &CPageValues::table_padding},
    {"%%TableBorderSize%%", Source::kPageValue, &CPageValues::table_border_size},
    {"%%TableBorderStyle%%", Source::kPageValue, &CPageValues::table_border_style},
    {"%%TableBackColor%%", Source::kPageValue, &CPageValues::table_back_color},
    {"%%TableItemBackColor%%", Source::kPageValue, &CPageValues::table_item_back_color},
    {"%%FontName%%", Source::kFontName, nullptr},
    {"%%FontColor%%", Source::kPageValue, &CPageValues::font_color},
    {"%%FontSize1%%", Source::kPageValue, &CPageValues::font_size1},
    {"%%FontSize2%%", Source::kPageValue, &CPageValues::font_size2},
    {"%%FontSize3%%", Source::kPageValue, &CPageValues::font_size3},
    {"%%FontSize4%%", Source::kPageValue, &CPageValues::font_size4},
    {"%%FontSize5%%", Source::kPageValue, &CPageValues::font_size5},
    {"%%PhotoIndex%%", Source::kPageValue, &CPageValues::photo_index},
    {"%%PhotoPath%%", Source::kPageValue, &CPageValues::photo_path},
    {"%%PhotoPage%%", Source::kPageValue, &CPageValues::photo_page},
    {"%%PhotoTitle%%", Source::kPageValue, &CPageValues::photo_title},
    {"%%PhotoCount%%", Source::kPageValue, &CPageValues::photo_count},
    {"%%PhotoBorderColor%%", Source::kPageValue, &CPageValues::photo_border_color},
    {"%%BORDER_SIZE%%", Source::kPageValue, &CPageValues::border_size},
    {"%%BORDER_SIZE_REGULATION%%", Source::kPageValue, &CPageValues::border_size_regulation},
    {"%%THUMB_WIDTH%%", Source::kPageValue, &CPageValues::thumb_width},
    {"%%THUMB_HEIGHT%%", Source::kPageValue, &CPageValues::thumb_height},
    {"%%IMAGE_WIDTH%%", Source::kPageValue, &CPageValues::image_width},
    {"%%IMAGE_HEIGHT%%", Source::kPageValue, &CPageValues::image_height},
}};

// The text a placeholder stands for. The collection texts are escaped only when their
// placeholder occurs, since a description may be large and most lines do not show it.
std::string ValueOf(const CStyleSettings& style, const CPageValues& values,
                    const CPlaceholder& placeholder) {
  switch (placeholder.source) {
    case Source::kCollectionTitle:
      return EscapeHtml(style.collection_title);
    case Source::kCollectionDescription:
      return EscapeHtml(style.collection_desc);
    case Source::kFontName:
      return style.font_name;
    case Source::kPageValue:
      break;
  }
  return values.*placeholder.value;
}

// The size of `ValueOf`, without escaping anything.
size_t SizeOf(const CStyleSettings& style, const CPageValues& values,
              const CPlaceholder& placeholder) {
  switch (placeholder.source) {
    case Source::kCollectionTitle:
      return EscapedHtmlSize(style.collection_title);
    case Source::kCollectionDescription:
      return EscapedHtmlSize(style.collection_desc);
    case Source::kFontName:
      return style.font_name.size();
    case Source::kPageValue:
      break;
  }
  return (values.*placeholder.value).size();
}

// The first occurrence of `name` at or after `from`. Every name is "%%" and a word, and a text
// may hold long runs of "%" (an escaped description doubles them), so the word is looked for
// first and the "%%" before it checked after.
size_t FindPlaceholder(const std::string& text, std::string_view name, size_t from) {
  const std::string_view word = name.substr(2);
  for (size_t found = text.find(word, from + 2); found != std::string::npos;
       found = text.find(word, found + 1)) {
    if (text[found - 1] == '%' && text[found - 2] == '%') return found - 2;
  }
  return std::string::npos;
}

// How many times `name` occurs in `text`, counted as `ReplaceAll` replaces: left to right and
// without overlap.
size_t CountPlaceholder(const std::string& text, std::string_view name) {
  size_t count = 0;
  for (size_t found = FindPlaceholder(text, name, 0); found != std::string::npos;
       found = FindPlaceholder(text, name, found + name.size())) {
    ++count;
  }
  return count;
}

// Builds the result in a second buffer rather than splicing in place, which would move the
// rest of a large text once per occurrence. The result's size is known from the count before
// anything is built, so an oversized one costs a scan and no memory.
bool ReplaceAll(const CStyleSettings& style, const CPageValues& values,
                const CPlaceholder& placeholder, std::string& text) {
  size_t found = FindPlaceholder(text, placeholder.name, 0);
  if (found == std::string::npos) return true;
  const size_t value_size = SizeOf(style, values, placeholder);
  const size_t count = CountPlaceholder(text, placeholder.name);
  // What stays of the text once the names are taken out, and the room that leaves the values.
  const size_t kept = text.size() - count * placeholder.name.size();
  if (kept > kMaxPageBytes || (value_size > 0 && (kMaxPageBytes - kept) / value_size < count)) {
    return false;
  }
  const size_t size = kept + count * value_size;
  const std::string value = ValueOf(style, values, placeholder);
  std::string result;
  result.reserve(size);
  size_t done = 0;
  while (found != std::string::npos) {
    result.append(text, done, found - done);
    result += value;
    done = found + placeholder.name.size();
    found = FindPlaceholder(text, placeholder.name, done);
  }
  result.append(text, done, std::string::npos);
  text.swap(result);
  return true;
}

}  // namespace

std::string FormatColor(int color) {
  char text[8];
  std::snprintf(text, sizeof(text), "#%02x%02x%02x", color & 0xff, (color >> 8) & 0xff,
                (color >> 16) & 0xff);
  return text;
}

CPageState StartPageState(const CStyleSettings& style, int photo_count) {
  CPageState state;
  state.table_width = style.table_width;
  state.thumb_width = style.thumb_width;
  state.thumb_height = style.thumb_height;
  FormatPageValues(style, photo_count, state);
  return state;
}

void FormatPageValues(const CStyleSettings& style, int photo_count, CPageState& state) {
  CPageValues& values = state.values;
  values.back_color = FormatColor(style.back_color);
  values.table_width = std::to_string(state.table_width);
  values.table_height = std::to_string(style.table_height);
  values.table_spacing = std::to_string(style.table_spacing);
  values.table_padding = std::to_string(style.table_padding);
  values.table_border_size = std::to_string(style.table_border_size);
  values.table_border_style = style.table_border_style == 1
                                  ? "bordercolor=\"" + FormatColor(style.table_border_color) + "\""
                                  : std::string();
  values.table_back_color = FormatColor(style.table_back_color);
  values.table_item_back_color = FormatColor(style.table_item_back_color);
  values.photo_count = std::to_string(photo_count);
  values.photo_border_color = FormatColor(style.thumb_border_color);
  values.font_color = FormatColor(style.font_color);
  values.font_size1 = std::to_string(style.font_size1);
  values.font_size2 = std::to_string(style.font_size2);
  values.font_size3 = std::to_string(style.font_size3);
  values.font_size4 = std::to_string(style.font_size4);
  values.font_size5 = std::to_string(style.font_size5);
  values.image_width = std::to_string(state.image_width);
  values.image_height = std::to_string(state.image_height);
  values.thumb_width = std::to_string(state.thumb_width);
  values.thumb_height = std::to_string(state.thumb_height);
  values.border_size = std::to_string(style.thumb_border_size);
  values.border_size_regulation = std::to_string(state.border_size_regulation);
}

bool ReplacePlaceholders(const CStyleSettings& style, const CPageValues& values,
                         std::string& text) {
  // Every placeholder begins with "%%"; most lines hold none at all.
  if (text.find("%%") == std::string::npos) return true;
  for (const CPlaceholder& placeholder : kPlaceholders) {
    if (!ReplaceAll(style, values, placeholder, text)) return false;
  }
  return true;
}

int ClampToInt(int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace gallery
