// Makes the page image and thumbnail of every photo named on the command line, the way a
// gallery run does, into the folder given first, and prints the time each photo took.
#include <chrono>
#include <cstdio>
#include <string>

#include "collection/gallery_builder.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER PHOTO...\n", argv[0]);
    return 1;
  }
  gallery::CGalleryBuilder builder;
  builder.style().thumb_type = 1;
  builder.style().thumb_width = 160;
  builder.style().thumb_height = 120;
  builder.style().thumb_style = 9;
  builder.style().photo_quality = 85;
  const std::string folder = argv[1];
  const auto start = std::chrono::steady_clock::now();
  for (int i = 2; i < argc; ++i) {
    gallery::CPhotoEntry photo;
    photo.path = argv[i];
    builder.photos().push_back(photo);
    const int index = static_cast<int>(builder.photos().size()) - 1;
    const auto photo_start = std::chrono::steady_clock::now();
    const std::string page = folder + "/" + std::to_string(index) + ".jpg";
    builder.WriteScaledPhoto(index, page, 0);
    builder.photos()[index].path = page;
    builder.WriteScaledPhoto(index, folder + "/t" + std::to_string(index) + ".jpg", 1);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - photo_start;
    const gallery::CPhotoEntry& done = builder.photos()[index];
    std::printf("%s: %dx%d, thumbnail %dx%d, %.2f s\n", argv[i], done.image_width,
                done.image_height, done.thumbnail_width, done.thumbnail_height, took.count());
  }
  const std::chrono::duration<double> total = std::chrono::steady_clock::now() - start;
  std::printf("total %.2f s\n", total.count());
  return 0;
}
