#include "collection/album.h"

namespace gallery {
namespace {

void AppendPhotos(const CAlbum& album, std::vector<CPhotoEntry>& photos) {
  for (const CAlbum& sub_album : album.albums) AppendPhotos(sub_album, photos);
  photos.insert(photos.end(), album.photos.begin(), album.photos.end());
}

}  // namespace

std::vector<CPhotoEntry> PhotosInOrder(const CAlbum& album) {
  std::vector<CPhotoEntry> photos;
  AppendPhotos(album, photos);
  return photos;
}

int CountPhotos(const CAlbum& album) {
  int count = static_cast<int>(album.photos.size());
  for (const CAlbum& sub_album : album.albums) count += CountPhotos(sub_album);
  return count;
}

int FindCoverIndex(const CAlbum& album) {
  const std::vector<CPhotoEntry> photos = PhotosInOrder(album);
  if (photos.empty()) return -1;
  for (size_t i = 0; i < photos.size() && !album.cover.empty(); ++i) {
    if (photos[i].path == album.cover) return static_cast<int>(i);
  }
  return 0;
}

CAlbum WithoutVideos(const CAlbum& album) {
  CAlbum kept = album;
  kept.photos.clear();
  kept.albums.clear();
  for (const CPhotoEntry& photo : album.photos) {
    if (photo.video) {
      if (photo.path == kept.cover) kept.cover.clear();
    } else {
      kept.photos.push_back(photo);
    }
  }
  for (const CAlbum& sub_album : album.albums) kept.albums.push_back(WithoutVideos(sub_album));
  return kept;
}

}  // namespace gallery
