// Times loading a collection of 100,000 photos from memory and prints the median of five runs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "collection/gallery_builder.h"

namespace {

constexpr int kPhotoCount = 100000;
constexpr int kRuns = 5;

std::string BuildCollection() {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection title=\"Bench\">\n";
  for (int i = 0; i < kPhotoCount; ++i) {
    const std::string number = std::to_string(i);
    text += "  <photo path=\"holiday/img_" + number + ".jpg\" title=\"Photo " + number +
            " &amp; friends\"/>\n";
  }
  text +=
      "  <style font_name=\"Verdana\" font_color=\"0\" table_columns=\"5\" table_rows=\"4\" "
      "thumb_width=\"120\" thumb_height=\"90\" photo_quality=\"90\"/>\n</collection>\n";
  return text;
}

}  // namespace

int main() {
  const std::string text = BuildCollection();
  std::vector<double> milliseconds;
  for (int run = 0; run < kRuns; ++run) {
    gallery::CGalleryBuilder builder;
    const auto start = std::chrono::steady_clock::now();
    const bool loaded =
        builder.LoadText(text, "/bench/collection.xml") == gallery::LoadFailure::kNone;
    const auto end = std::chrono::steady_clock::now();
    if (!loaded || builder.photos().size() != kPhotoCount) {
      std::fprintf(stderr, "loading failed\n");
      return 1;
    }
    milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf("LoadText of %d photos (%zu bytes): median of %d runs %.1f ms\n", kPhotoCount,
              text.size(), kRuns, milliseconds[kRuns / 2]);
  return 0;
}
