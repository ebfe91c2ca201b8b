// Writes a small modern gallery to a folder for looking at it in a browser: the pages, the
// assets and placeholder images made from the pictures given. Not installed.
//
//   modern_sample OUT_FOLDER PICTURE...
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include <vips/vips8>

#include "theme/modern_model.h"
#include "theme/modern_pages.h"

namespace {

bool WriteText(const std::string& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

gallery::CModernSize SaveScaled(const std::string& source, const std::string& path, int width,
                                int height) {
  vips::VImage image = vips::VImage::thumbnail(
      source.c_str(), width, vips::VImage::option()->set("height", height)->set("size", "down"));
  image.jpegsave(path.c_str());
  return {image.width(), image.height()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || VIPS_INIT(argv[0]) != 0) {
    std::fprintf(stderr, "usage: modern_sample OUT_FOLDER PICTURE...\n");
    return 2;
  }
  const std::string out = argv[1];
  for (const char* folder : {"", "/images", "/thumbs", "/thumbs2x", "/assets", "/originals"}) {
    mkdir((out + folder).c_str(), 0755);
  }
  gallery::CModernGallery gallery;
  gallery.title = "Nature & more";
  gallery.description = "Sample pictures, some tall, some wide.";
  gallery.font_name = "DejaVu Sans";
  gallery.colors = {0x1e1e24, 0x8a8a9a, 0x2c2c34};
  gallery.photos_per_page = 12;
  for (int i = 2; i < argc; ++i) {
    const std::string number = std::to_string(gallery.photos.size() + 1);
    gallery::CModernPhoto photo;
    photo.title_html = "Picture <b>" + number + "</b>";
    try {
      // Every third picture is cut tall, so both shapes appear.
      const std::string source = argv[i];
      std::string cut = source;
      if (i % 3 == 0) {
        vips::VImage tall = vips::VImage::new_from_file(source.c_str());
        tall = tall.extract_area(0, 0, tall.height() * 2 / 3, tall.height());
        cut = out + "/tall-" + number + ".v";
        tall.write_to_file(cut.c_str());
      }
      photo.image = SaveScaled(cut, out + "/images/" + number + ".jpg", 1600, 1200);
      // Thumbnails of one height, as the rows of the index pages show them.
      photo.thumb = SaveScaled(cut, out + "/thumbs/" + number + ".jpg", 960, 240);
      photo.thumb2x = SaveScaled(cut, out + "/thumbs2x/" + number + ".jpg", 1920, 480);
      if (cut != source) std::remove(cut.c_str());
    } catch (const vips::VError& error) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.what());
    }
    photo.caption = {"2024-06-0" + std::to_string(i % 9 + 1) + " 10:1" + number.substr(0, 1),
                     "Maker Camera, 1/250 s, f/8, ISO 100"};
    if (i == 2) photo.original = "1.jpg";
    gallery.photos.push_back(photo);
  }
  bool ok = WriteText(out + "/assets/gallery.css", gallery::ModernStylesheet()) &&
            WriteText(out + "/assets/gallery.js", gallery::ModernScript());
  for (int page = 0; page < gallery::ModernIndexPageCount(gallery); ++page) {
    ok = WriteText(out + "/" + gallery::ModernIndexFileName(page),
                   gallery::RenderModernIndexPage(gallery, page)) &&
         ok;
  }
  for (int photo = 0; photo < static_cast<int>(gallery.photos.size()); ++photo) {
    ok = WriteText(out + "/" + gallery::ModernPhotoFileName(photo),
                   gallery::RenderModernPhotoPage(gallery, photo)) &&
         ok;
  }
  vips_shutdown();
  return ok ? 0 : 1;
}
