// Makes the page image and thumbnail of every photo named on the command line, the way a
// gallery run does, into the folder given first, and prints the time each photo took.
#include "imaging/scaled_photo.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "collection/style_settings.h"
#include "platform/imaging_runtime.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER PHOTO...\n", argv[0]);
    return 1;
  }
  gallery::CImagingRuntime imaging;
  gallery::CStyleSettings style;
  style.thumb_type = 1;
  style.thumb_width = 160;
  style.thumb_height = 120;
  style.thumb_style = 9;
  style.photo_quality = 85;
  const gallery::CImageSettings settings = gallery::MakeImageSettings(style);
  const std::string folder = argv[1];
  const auto start = std::chrono::steady_clock::now();
  for (int i = 2; i < argc; ++i) {
    const auto photo_start = std::chrono::steady_clock::now();
    const std::string page = folder + "/" + std::to_string(i - 2) + ".jpg";
    const gallery::CScaledPhoto image =
        gallery::WriteScaledPhoto(settings, argv[i], page, gallery::kPageImageMode);
    const gallery::CScaledPhoto thumbnail = gallery::WriteScaledPhoto(
        settings, page, folder + "/t" + std::to_string(i - 2) + ".jpg", gallery::kThumbnailMode);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - photo_start;
    const gallery::PhotoSize none;
    const gallery::PhotoSize image_size = image.size.value_or(none);
    const gallery::PhotoSize thumbnail_size = thumbnail.size.value_or(none);
    std::printf("%s: %dx%d, thumbnail %dx%d, %.2f s\n", argv[i], image_size.width,
                image_size.height, thumbnail_size.width, thumbnail_size.height, took.count());
  }
  const std::chrono::duration<double> total = std::chrono::steady_clock::now() - start;
  std::printf("total %.2f s\n", total.count());
  return 0;
}
