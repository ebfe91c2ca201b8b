// Writes a modern gallery with albums, for the browser and page-quality tests, from the photos of
// a collection file: an album "Sea & <b>sand</b>" of the second third, whose sub-album
// "100% #1? d\u00e9j\u00e0 vu" holds the first third, an album "Empty" without photos, and the
// rest as the collection's own photos. Not installed.
//
//   album_gallery COLLECTION OUTDIR
// OUTDIR must not exist yet. Exits 0 when every file was written.
#include <cstdio>
#include <string>
#include <vector>

#include "app/modern_build.h"
#include "collection/album.h"
#include "collection/gallery_builder.h"
#include "platform/file_system.h"
#include "platform/imaging_runtime.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: album_gallery COLLECTION OUTDIR\n");
    return 2;
  }
  gallery::CImagingRuntime imaging;
  gallery::CGalleryBuilder builder;
  if (builder.Load(argv[1]) != gallery::LoadFailure::kNone) {
    std::fprintf(stderr, "%s: not a collection file that loads\n", argv[1]);
    return 1;
  }
  const std::vector<gallery::CPhotoEntry>& photos = builder.photos();
  const size_t third = photos.size() / 3;
  auto part = [&](size_t from, size_t to) {
    return std::vector<gallery::CPhotoEntry>(photos.begin() + from, photos.begin() + to);
  };
  // A sub-album's photos come before its album's own in the order the gallery numbers them,
  // which stays the collection's.
  const gallery::CAlbum deep{"100% #1? d\u00e9j\u00e0 vu", "Deeper down", "", "", part(0, third),
                             {}};
  const gallery::CAlbum sea{"Sea & <b>sand</b>", "Shore & waves", "", "",
                            part(third, 2 * third), {deep}};
  const gallery::CAlbum empty{"Empty", "", "", "", {}, {}};
  const gallery::CAlbum root{builder.style().collection_title, builder.style().collection_desc,
                             "", "", part(2 * third, photos.size()), {sea, empty}};
  const std::string out = argv[2];
  if (!gallery::CreateFolder(out)) {
    std::fprintf(stderr, "%s: cannot be made\n", argv[2]);
    return 1;
  }
  gallery::CModernOptions options;
  options.captions = true;
  return gallery::BuildModernGallery(builder, root, options, out, nullptr) == 1 ? 0 : 1;
}
