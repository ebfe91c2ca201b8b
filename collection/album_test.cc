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

TEST(AlbumTest, LeavingVideosOutKeepsThePhotosInOrderAndDropsAVideoCover) {
  CAlbum library = Library();
  library.photos.insert(library.photos.begin(), {"v0", "v0", true});
  library.albums[0].albums[0].photos.push_back({"v1", "v1", true});
  library.albums[0].albums[0].cover = "v1";
  library.albums[0].cover = "y1";
  const CAlbum photos = WithoutVideos(library);
  EXPECT_EQ(Paths(PhotosInOrder(photos)), Paths(PhotosInOrder(Library())));
  EXPECT_EQ("", photos.albums[0].albums[0].cover);
  EXPECT_EQ("y1", photos.albums[0].cover);
  EXPECT_EQ(2u, photos.albums.size());
}

}  // namespace
}  // namespace gallery
