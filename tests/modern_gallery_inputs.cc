#include "tests/modern_gallery_inputs.h"

namespace gallery {

CModernGallery MakeModernGallery(int count, int per_page) {
  CModernGallery gallery;
  gallery.title = "Trip";
  gallery.photos_per_page = per_page;
  for (int i = 0; i < count; ++i) {
    CModernPhoto photo;
    photo.title_html = "Photo title " + std::to_string(i + 1);
    photo.image = {800, 600};
    photo.medium = {400, 300};
    photo.thumb = {160, 120};
    photo.thumb2x = {320, 240};
    gallery.photos.push_back(photo);
  }
  return gallery;
}

std::vector<CPhotoEntry> SamplePhotos(const std::string& name, int count) {
  std::vector<CPhotoEntry> photos;
  for (int i = 1; i <= count; ++i) {
    photos.push_back({"/photos/" + name + "-" + std::to_string(i) + ".jpg",
                      name + " " + std::to_string(i)});
  }
  return photos;
}

CAlbum MakeAlbumTree() {
  CAlbum deep{"Deep #1? \u00e9", "", "/photos/a/deep", "", SamplePhotos("deep", 2), {}};
  CAlbum a{"A & <b>b</b>", "Sand, <i>sea</i>", "/photos/a", "/photos/a-2.jpg",
           SamplePhotos("a", 3), {deep}};
  CAlbum empty{"Empty", "", "/photos/empty", "", {}, {CAlbum{"Nothing", "", "", "", {}, {}}}};
  CAlbum c{"C 100%", "", "/photos/c", "", SamplePhotos("c", 1), {}};
  return CAlbum{"Trip", "", "/photos", "", SamplePhotos("root", 2), {a, empty, c}};
}

bool Holds(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

std::vector<std::string> AttributeValues(const std::string& html, const std::string& name) {
  std::vector<std::string> values;
  const std::string opening = " " + name + "=\"";
  for (size_t at = html.find(opening); at != std::string::npos; at = html.find(opening, at + 1)) {
    const size_t start = at + opening.size();
    values.push_back(html.substr(start, html.find('"', start) - start));
  }
  return values;
}

}  // namespace gallery
