// Renders photo and index pages from arbitrary titles, descriptions, text limits and table
// figures, and checks what every page must be. Texts may be repeated many times over and table
// figures may be huge, so that placeholder names spelled by the texts and padding cells can
// amplify a page; no page, and no text made for one, may then pass the page size.
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/allocator_interface.h>
#define GALLERY_FUZZ_WATCHES_ALLOCATIONS 1
#endif
#endif

#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "generate/generate.h"
#include "html/index_page.h"
#include "html/page_values.h"
#include "html/photo_page.h"

namespace {

// Collection texts are at most this long here, so that every larger text is an amplified one.
constexpr size_t kLargestText = size_t{64} << 10;

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

  // Mostly small table figures, sometimes ones that ask for billions of cells or rows.
  int TableFigure() {
    static constexpr int kFigures[] = {-1, 0, 1, 2, 3, 4, 1000, 1 << 20, INT_MAX};
    return kFigures[Number(0, sizeof(kFigures) / sizeof(kFigures[0]) - 1)];
  }

  // A text, repeated 1 to 65536 times over as the byte before it says, up to kLargestText.
  std::string Text() {
    const size_t repeats = size_t{1} << Number(0, 16);
    size_t end = rest_.find('\0');
    std::string_view piece = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    std::string text;
    for (size_t i = 0; i < repeats && text.size() + piece.size() <= kLargestText; ++i) {
      text += piece;
    }
    return text;
  }

 private:
  std::string_view rest_;
};

void CheckPage(const std::optional<std::string>& page) {
  // A page too large is passed over; any other is within the size.
  if (!page) return;
  if (page->size() > gallery::kMaxPageBytes) std::abort();
  // Every line feed is preceded by a carriage return, and the page closes its html element.
  for (size_t at = page->find('\n'); at != std::string::npos; at = page->find('\n', at + 1)) {
    if (at == 0 || (*page)[at - 1] != '\r') std::abort();
  }
  if (page->size() < 9 || page->compare(page->size() - 9, 9, "</html>\r\n") != 0) std::abort();
}

#ifdef GALLERY_FUZZ_WATCHES_ALLOCATIONS
// While pages are made, no allocation may be larger than a page and its terminating zero: the
// texts of the collection are at most 64 KiB here, so anything larger is an amplified text being
// built.
bool watching = false;
constexpr size_t kLargestAllocation = gallery::kMaxPageBytes + 1;

void WatchAllocation(const volatile void*, size_t size) {
  if (watching && size > kLargestAllocation) std::abort();
}
void IgnoreFree(const volatile void*) {}

[[maybe_unused]] const bool installed = [] {
  __sanitizer_install_malloc_and_free_hooks(WatchAllocation, IgnoreFree);
  return true;
}();
#endif

// Watches allocations for its lifetime.
class Watch {
 public:
#ifdef GALLERY_FUZZ_WATCHES_ALLOCATIONS
  Watch() { watching = true; }
  ~Watch() { watching = false; }
#endif
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  gallery::CStyleSettings style;
  style.table_columns = input.TableFigure();
  style.table_rows = input.TableFigure();
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
  std::vector<gallery::CPhotoResult> photos(photo_count);
  for (gallery::CPhotoResult& photo : photos) {
    photo.title = input.Text();
    photo.image_width = input.Number(0, 255);
    photo.image_height = input.Number(0, 255);
    photo.thumbnail_width = input.Number(0, 255);
    photo.thumbnail_height = input.Number(0, 255);
  }

  gallery::CPageState state = gallery::StartPageState(style, photo_count);
  {
    [[maybe_unused]] Watch watch;
    for (int i = 0; i < photo_count; ++i) {
      CheckPage(gallery::RenderPhotoPage(style, photos[i], i, photo_count, state));
    }
    const gallery::IndexPagination pagination =
        gallery::PaginateIndex(photo_count, style.table_columns, style.table_rows);
    for (int page = 0; page < pagination.page_count; ++page) {
      const int64_t first = int64_t{page} * pagination.photos_per_page;
      const int64_t end = std::min<int64_t>(first + pagination.photos_per_page, INT_MAX);
      CheckPage(gallery::RenderIndexPage(style, photos, static_cast<int>(first),
                                         static_cast<int>(end), page, pagination.page_count,
                                         state));
    }
  }

  for (const gallery::CPhotoResult& photo : photos) {
    std::string shown = gallery::ShortenTitle(photo.title, style.text_limit, style.text_limit_type);
    // A title within its limit, or under a type that does not shorten, is shown unchanged.
    if ((style.text_limit <= 0 || style.text_limit_type > 1 || style.text_limit_type < 0) &&
        shown != photo.title) {
      std::abort();
    }
  }
  return 0;
}
