#include "collection/style_settings.h"

#include "collection/collection_document.h"

namespace gallery {
namespace {

constexpr CStyleKey Text(std::string_view name, std::string CStyleSettings::*field) {
  return {name, field, nullptr};
}
constexpr CStyleKey Number(std::string_view name, int CStyleSettings::*field) {
  return {name, nullptr, field};
}

}  // namespace

// The order is the order of the attributes in a written file, and reading follows it too.
constexpr std::array<CStyleKey, kStyleKeyCount> kStyleKeys = {{
    Text("preset_version", &CStyleSettings::preset_version),
    Text("preset_name", &CStyleSettings::preset_name),
    Text("preset_desc", &CStyleSettings::preset_desc),
    Text("preset_builder", &CStyleSettings::preset_builder),
    Text("font_name", &CStyleSettings::font_name),
    Number("font_color", &CStyleSettings::font_color),
    Number("font_size1", &CStyleSettings::font_size1),
    Number("font_size2", &CStyleSettings::font_size2),
    Number("font_size3", &CStyleSettings::font_size3),
    Number("font_size4", &CStyleSettings::font_size4),
    Number("font_size5", &CStyleSettings::font_size5),
    Number("photo_quality", &CStyleSettings::photo_quality),
    Number("photo_width", &CStyleSettings::photo_width),
    Number("photo_height", &CStyleSettings::photo_height),
    Number("back_color", &CStyleSettings::back_color),
    Number("table_columns", &CStyleSettings::table_columns),
    Number("table_rows", &CStyleSettings::table_rows),
    Number("table_width", &CStyleSettings::table_width),
    Number("table_height", &CStyleSettings::table_height),
    Number("table_spacing", &CStyleSettings::table_spacing),
    Number("table_padding", &CStyleSettings::table_padding),
    Number("table_back_color", &CStyleSettings::table_back_color),
    Number("table_border_size", &CStyleSettings::table_border_size),
    Number("table_border_style", &CStyleSettings::table_border_style),
    Number("table_border_color", &CStyleSettings::table_border_color),
    Number("table_item_back_color", &CStyleSettings::table_item_back_color),
    Number("thumb_type", &CStyleSettings::thumb_type),
    Number("thumb_style", &CStyleSettings::thumb_style),
    Number("thumb_width", &CStyleSettings::thumb_width),
    Number("thumb_height", &CStyleSettings::thumb_height),
    Number("thumb_border_size", &CStyleSettings::thumb_border_size),
    Number("thumb_border_color", &CStyleSettings::thumb_border_color),
    Number("thumb_back_color", &CStyleSettings::thumb_back_color),
    Number("text_limit", &CStyleSettings::text_limit),
    Number("text_limit_type", &CStyleSettings::text_limit_type),
}};

namespace {

constexpr int kTextKeyCount = 5;

// The first five keys are texts and the rest numbers, each with a name of its own.
constexpr bool HasTableShape() {
  for (int i = 0; i < kStyleKeyCount; ++i) {
    const CStyleKey& key = kStyleKeys[i];
    const bool is_text = i < kTextKeyCount;
    if (key.name.empty() || (key.text != nullptr) != is_text ||
        (key.number != nullptr) == is_text) {
      return false;
    }
    for (int j = 0; j < i; ++j) {
      if (kStyleKeys[j].name == key.name) return false;
    }
  }
  return true;
}
static_assert(HasTableShape());

// The collection's texts share the settings but are never keys.
constexpr bool IsKeyField(std::string CStyleSettings::*field) {
  for (const CStyleKey& key : kStyleKeys) {
    if (key.text == field) return true;
  }
  return false;
}
static_assert(!IsKeyField(&CStyleSettings::collection_title));
static_assert(!IsKeyField(&CStyleSettings::collection_desc));

}  // namespace

bool ReadStyle(CCollectionDocument& document, CStyleSettings& style) {
  // Each key is read on its own: an absent one leaves its field and the others still count.
  for (const CStyleKey& key : kStyleKeys) {
    if (key.text != nullptr) {
      static_cast<void>(document.ReadText(key.name, style.*key.text));
    } else {
      static_cast<void>(document.ReadNumber(key.name, style.*key.number));
    }
  }
  return true;
}

bool WriteStyle(CCollectionDocument& document, const CStyleSettings& style) {
  if (!document.AddStyle()) return false;
  for (const CStyleKey& key : kStyleKeys) {
    const bool written = key.text != nullptr ? document.SetStyleText(key.name, style.*key.text)
                                             : document.SetStyleNumber(key.name, style.*key.number);
    if (!written) return false;
  }
  return true;
}

}  // namespace gallery
