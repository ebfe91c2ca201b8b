#ifndef GALLERY_COLLECTION_PHOTO_ENTRY_H_
#define GALLERY_COLLECTION_PHOTO_ENTRY_H_

#include <string>

namespace gallery {

// One photo of the collection. The sizes start at 0 and are set as the images are written:
// the page image's size, and the thumbnail's size when thumbnails are made.
struct CPhotoEntry {
  std::string path;   // the source image; after the page image is written, that image's path
  std::string title;  // as read, never escaped
  int image_width = 0;
  int image_height = 0;
  int thumbnail_width = 0;
  int thumbnail_height = 0;
};

}  // namespace gallery

#endif  // GALLERY_COLLECTION_PHOTO_ENTRY_H_
