#ifndef GALLERY_COLLECTION_ALBUM_H_
#define GALLERY_COLLECTION_ALBUM_H_

#include <string>
#include <vector>

#include "collection/photo_entry.h"

namespace gallery {

// An album of a photo library: its own photos and its sub-albums, nested as the folders they
// were made from. The collection itself is the outermost album; a collection without albums is
// that one album with photos only. Never changed by building.
struct CAlbum {
  // Plain text, shown as written, as the collection's own title and description are.
  std::string title;
  std::string description;
  std::string folder;  // the folder it was made from, absolute; empty when it was not
  // The path (resolved as photo paths are) of the photo that stands for the album; empty for
  // the first photo of `PhotosInOrder`.
  std::string cover;
  std::vector<CPhotoEntry> photos;  // its own, in order
  std::vector<CAlbum> albums;       // in order
};

// Every photo of `album` and its sub-albums, in the one order in which a gallery numbers them:
// each sub-album whole, in order, then the album's own photos.
std::vector<CPhotoEntry> PhotosInOrder(const CAlbum& album);

// `album` with every video of it and its sub-albums left out; a cover that was a video then
// stands for the first photo. Albums left empty stay, as they show nowhere.
CAlbum WithoutVideos(const CAlbum& album);

// How many photos `album` and its sub-albums hold.
int CountPhotos(const CAlbum& album);

// The index in `PhotosInOrder(album)` of the album's cover: the photo its `cover` names where
// that is one of them, else the first; -1 when it holds no photo.
int FindCoverIndex(const CAlbum& album);

}  // namespace gallery

#endif  // GALLERY_COLLECTION_ALBUM_H_
