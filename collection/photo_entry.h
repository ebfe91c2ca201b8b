#ifndef GALLERY_COLLECTION_PHOTO_ENTRY_H_
#define GALLERY_COLLECTION_PHOTO_ENTRY_H_

#include <string>

namespace gallery {

// One photo of the collection as the file gives it; never changed by generating.
struct CPhotoEntry {
  std::string path;   // the source image, resolved against the collection's photo folder
  std::string title;  // as read, never escaped
  // A video (a "video" element of the file), which only the modern pages show; the host entry
  // point reads photo elements alone.
  bool video = false;
};

}  // namespace gallery

#endif  // GALLERY_COLLECTION_PHOTO_ENTRY_H_
