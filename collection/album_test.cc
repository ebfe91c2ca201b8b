#include "collection/album.h"

#include <gtest/gtest.h>

namespace gallery {
namespace {

CPhotoEntry Photo(const std::string& path) { return {path, path}; }

std::vector<std::string> Paths(const std::vector<CPhotoEntry>& photos) {
  std::vector<std::string> paths;
  for (const CPhotoEntry& photo : photos) paths.push_back(photo.path);
  return paths;
}

// 2024 (with a nested Summer) and then the library's own loose photo.
CAlbum Library() {
  CAlbum summer{"Summer", "", "/p/2024/Summer", "", {Photo("s1"), Photo("s2")}, {}};
  CAlbum year{"2024", "", "/p/2024", "", {Photo("y1")}, {summer}};
  return {"Photos", "", "/p", "", {Photo("loose")}, {year, CAlbum{"Empty", "", "", "", {}, {}}}};
}

TEST(AlbumTest, PhotosAreNumberedSubAlbumsFirstAndDepthFirst) {
  EXPECT_EQ(Paths(PhotosInOrder(Library())),
            (std::vector<std::string>{"s1", "s2", "y1", "loose"}));
  EXPECT_EQ(CountPhotos(Library()), 4);
  EXPECT_EQ(CountPhotos(Library().albums[1]), 0);
}

TEST(AlbumTest, TheCoverIsTheNamedPhotoOrElseTheFirst) {
  CAlbum library = Library();
  EXPECT_EQ(FindCoverIndex(library), 0);
  library.cover = "y1";
  EXPECT_EQ(FindCoverIndex(library), 2);
  // A cover that names no photo of the album (moved away, or a typing slip) falls back.
  library.cover = "elsewhere";
  EXPECT_EQ(FindCoverIndex(library), 0);
  EXPECT_EQ(FindCoverIndex(library.albums[1]), -1);
}

}  // namespace
}  // namespace gallery
