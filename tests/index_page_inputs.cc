#include "tests/index_page_inputs.h"

#include <string>
#include <vector>

#include "collection/photo_result.h"
#include "collection/style_settings.h"

namespace gallery {

CStyleSettings MakeIndexStyle() {
  CStyleSettings style;
  style.collection_title = "Trip";
  style.collection_desc = "Summer & sea";
  style.font_name = "Verdana";
  style.font_color = 0x0000FF;
  style.back_color = 0xFFFFFF;
  style.font_size1 = 4;
  style.font_size3 = 2;
  style.table_columns = 3;
  style.table_rows = 2;
  style.table_width = 100;
  style.table_height = 90;
  style.table_border_size = 1;
  style.table_spacing = 2;
  style.table_padding = 3;
  style.table_item_back_color = 0xEEEEEE;
  style.thumb_width = 120;
  style.thumb_height = 90;
  return style;
}

std::vector<CPhotoResult> MakeIndexPhotos(int count, int width, int height) {
  std::vector<CPhotoResult> photos;
  for (int i = 0; i < count; ++i) {
    photos.push_back(CPhotoResult{"P" + std::to_string(i), 0, 0, width, height});
  }
  return photos;
}

}  // namespace gallery
