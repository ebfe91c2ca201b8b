// Renders photo and index pages from arbitrary titles, descriptions, text limits and table
// figures, and checks what every page must be.
#include <stddef.h>
#include <stdint.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "collection/photo_entry.h"
#include "collection/style_settings.h"
#include "html/index_page.h"
#include "html/page_values.h"
#include "html/photo_page.h"

namespace {

// Takes small numbers from the front of the input and splits the rest into texts at NUL bytes.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  int Number(int low, int high) {
    if (rest_.empty()) return low;
    int value = static_cast<unsigned char>(rest_.front());
    rest_.remove_prefix(1);
    return low + value % (high - low + 1);
  }

  std::string Text() {
    size_t end = rest_.find('\0');
    std::string text(rest_.substr(0, end));
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return text;
  }

 private:
  std::string_view rest_;
};

void CheckPage(const std::string& page) {
  // Every line feed is preceded by a carriage return, and the page closes its html element.
  for (size_t at = page.find('\n'); at != std::string::npos; at = page.find('\n', at + 1)) {
    if (at == 0 || page[at - 1] != '\r') std::abort();
  }
  if (page.size() < 9 || page.compare(page.size() - 9, 9, "</html>\r\n") != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  gallery::CStyleSettings style;
  style.table_columns = input.Number(-1, 4);
  style.table_rows = input.Number(-1, 4);
  style.thumb_border_size = input.Number(-2, 12);
  style.thumb_style = input.Number(-1, 14);
  style.text_limit = input.Number(-1, 12);
  style.text_limit_type = input.Number(-1, 2);
  style.table_width = input.Number(-50, 200);
  style.thumb_width = input.Number(0, 200);
  style.thumb_height = input.Number(0, 200);
  const int photo_count = input.Number(0, 9);
  style.collection_title = input.Text();
  style.collection_desc = input.Text();
  style.font_name = input.Text();
  std::vector<gallery::CPhotoEntry> photos(photo_count);
  for (gallery::CPhotoEntry& photo : photos) {
    photo.title = input.Text();
    photo.image_width = input.Number(0, 255);
    photo.image_height = input.Number(0, 255);
    photo.thumbnail_width = input.Number(0, 255);
    photo.thumbnail_height = input.Number(0, 255);
  }

  gallery::FormatPageValues(style, photo_count);
  for (int i = 0; i < photo_count; ++i) {
    CheckPage(gallery::RenderPhotoPage(style, photos[i], i, photo_count));
  }
  const int per_page = std::max(1, style.table_columns * style.table_rows);
  for (int first = 0, page = 0; first < std::max(photo_count, 1); first += per_page, ++page) {
    CheckPage(gallery::RenderIndexPage(style, photos, first, first + per_page, page,
                                       (photo_count + per_page - 1) / per_page));
  }

  for (const gallery::CPhotoEntry& photo : photos) {
    std::string shown = gallery::ShortenTitle(photo.title, style.text_limit, style.text_limit_type);
    // A title within its limit, or under a type that does not shorten, is shown unchanged.
    if ((style.text_limit <= 0 || style.text_limit_type > 1 || style.text_limit_type < 0) &&
        shown != photo.title) {
      std::abort();
    }
  }
  return 0;
}
