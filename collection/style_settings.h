#ifndef GALLERY_COLLECTION_STYLE_SETTINGS_H_
#define GALLERY_COLLECTION_STYLE_SETTINGS_H_

#include <array>
#include <string>
#include <string_view>

namespace gallery {
class CCollectionDocument;

// The style preset of a collection (its keys are named as the attributes of the style element)
// and the collection's title and description: what the collection file says, read and never
// changed while a gallery is made. Colours hold red in the lowest byte, then green, then blue; the
// top byte is ignored. Every number starts at 0 and every text empty.
struct CStyleSettings {
  std::string preset_version;
  std::string preset_name;
  std::string preset_desc;
  std::string preset_builder;
  std::string collection_title;
  std::string collection_desc;
  std::string font_name;
  int font_color = 0;
  int font_size1 = 0;
  int font_size2 = 0;
  int font_size3 = 0;
  int font_size4 = 0;
  int font_size5 = 0;
  int photo_quality = 0;
  int photo_width = 0;
  int photo_height = 0;
  int back_color = 0;
  int table_columns = 0;
  int table_rows = 0;
  int table_width = 0;
  int table_height = 0;
  int table_spacing = 0;
  int table_padding = 0;
  int table_back_color = 0;
  int table_border_size = 0;
  int table_border_style = 0;
  int table_border_color = 0;
  int table_item_back_color = 0;
  int thumb_type = 0;
  int thumb_style = 0;
  int thumb_width = 0;
  int thumb_height = 0;
  int thumb_border_size = 0;
  int thumb_border_color = 0;
  int thumb_back_color = 0;
  int text_limit = 0;
  int text_limit_type = 0;
};

// One attribute of the style element: exactly one of `text` and `number` is set.
struct CStyleKey {
  std::string_view name;
  std::string CStyleSettings::*text;
  int CStyleSettings::*number;
};

inline constexpr int kStyleKeyCount = 35;

// The keys in the order in which they are read and written.
extern const std::array<CStyleKey, kStyleKeyCount> kStyleKeys;

// Fills `style` from the style element of a document opened for reading. An absent key, or a
// number that does not begin with digits, leaves its field as it was. Always succeeds.
bool ReadStyle(CCollectionDocument& document, CStyleSettings& style);

// Adds the style element to a document being written, with every key in table order. False at
// the first step that fails.
bool WriteStyle(CCollectionDocument& document, const CStyleSettings& style);

}  // namespace gallery

#endif  // GALLERY_COLLECTION_STYLE_SETTINGS_H_
