#ifndef GALLERY_APP_ALBUM_MERGE_H_
#define GALLERY_APP_ALBUM_MERGE_H_

#include <string>
#include <vector>

#include "app/photo_tree.h"
#include "collection/album.h"

namespace gallery {

// What bringing a collection up to date changed: photo paths and album folders, in the order
// in which they were met.
struct CMergeReport {
  std::vector<std::string> added_photos;
  std::vector<std::string> added_albums;
  std::vector<std::string> dropped_photos;  // those of dropped albums too
  std::vector<std::string> dropped_albums;
};

// `library` (paths as its collection file writes them) brought up to date with `scan`, a new
// walk of the folder it was made from:
// - A photo or album that lies in the folder walked and was not found again is dropped, with
//   everything in it; one inside a folder that could not be read, a file that was left out
//   (unreadable, say) and anything outside the folder walked or not named by an absolute path
//   stay as they are.
// - A photo found that the collection holds nowhere is added to the album of its folder, and a
//   folder found that no album is made from becomes a new album in the album of its parent
//   folder, wherever the person moved that album. Each new item goes where it sorts in
//   `order` among the items there: before the first that sorts after it, so that the order the
//   person gave is never changed.
// - Everything else is kept as it is: titles, descriptions, order, covers; a cover whose photo
//   was dropped is cleared, which stands for the album's first photo.
// Touches no file.
CAlbum MergeAlbums(const CAlbum& library, const CTreeScan& scan, PhotoOrder order,
                   CMergeReport& report);

}  // namespace gallery

#endif  // GALLERY_APP_ALBUM_MERGE_H_
