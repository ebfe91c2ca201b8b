// Renders the photo pages and index pages of a large gallery (10,000 photos, sixteen-piece
// frames, a 3 x 3 thumbnail table), first in memory and then into a temporary folder, and
// prints the median time of five runs of each in milliseconds.

#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "collection/output_layout.h"
#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "html/index_page.h"
#include "html/page_values.h"
#include "html/page_writer.h"
#include "html/photo_page.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

constexpr int kPhotoCount = 10000;
constexpr int kRuns = 5;

CPageState SetUp(CStyleSettings& style, std::vector<CPhotoResult>& photos) {
  style = CStyleSettings();
  style.collection_title = "Benchmark & gallery";
  style.collection_desc = "Ten thousand photos, 100% framed";
  style.font_name = "Verdana";
  style.font_size1 = 4;
  style.font_size2 = 3;
  style.font_size3 = 2;
  style.table_columns = 3;
  style.table_rows = 3;
  style.table_width = 150;
  style.table_height = 150;
  style.thumb_width = 120;
  style.thumb_height = 90;
  style.thumb_style = 10;
  style.thumb_border_size = 12;
  style.text_limit = 20;
  photos.clear();
  for (int i = 0; i < kPhotoCount; ++i) {
    photos.push_back(CPhotoResult{"Photo number " + std::to_string(i) + " on a long <b>walk</b>",
                                  800, 600, 120, 90});
  }
  return StartPageState(style, kPhotoCount);
}

// Both page kinds of the whole gallery; `write` decides whether they go to files.
double RunOnce(const std::string& folder, bool write) {
  CStyleSettings style;
  std::vector<CPhotoResult> photos;
  CPageState state = SetUp(style, photos);
  size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int index = 0; index < kPhotoCount; ++index) {
    const std::string name = GetPageFileName(kPhotoPageKind, index, kPhotoCount);
    if (write) {
      WritePhotoPage(folder + "/" + name, style, photos[index], index, kPhotoCount,
                     PageLinksByNumber(kPhotoPageKind, index, kPhotoCount), state);
    } else {
      bytes += RenderPhotoPage(style, photos[index], index, kPhotoCount, state)
                   .value_or(std::string())
                   .size();
    }
  }
  const int per_page = style.table_columns * style.table_rows;
  const int page_count = (kPhotoCount + per_page - 1) / per_page;
  for (int page = 0; page < page_count; ++page) {
    const int first = page * per_page;
    if (write) {
      WriteIndexPage(folder + "/" + GetPageFileName(kIndexPageKind, page, page_count), style,
                     photos, first, first + per_page,
                     PageLinksByNumber(kIndexPageKind, page, page_count, first,
                                       std::min(first + per_page, kPhotoCount)),
                     state);
    } else {
      bytes += RenderIndexPage(style, photos, first, first + per_page, page, page_count, state)
                   .value_or(std::string())
                   .size();
    }
  }
  const auto stop = std::chrono::steady_clock::now();
  // Keeps the rendering from being optimised away.
  if (!write && bytes == 0) printf("nothing rendered\n");
  return std::chrono::duration<double, std::milli>(stop - start).count();
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace
}  // namespace gallery

int main() {
  gallery::TempFolder folder;
  for (bool write : {false, true}) {
    std::vector<double> times;
    for (int run = 0; run < gallery::kRuns; ++run) {
      times.push_back(gallery::RunOnce(folder.path(), write));
    }
    printf("%s: %d photo pages and %d index pages, median of %d runs: %.1f ms\n",
           write ? "to files" : "in memory", gallery::kPhotoCount, (gallery::kPhotoCount + 8) / 9,
           gallery::kRuns, gallery::Median(times));
  }
  return 0;
}
