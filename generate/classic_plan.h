#ifndef GALLERY_GENERATE_CLASSIC_PLAN_H_
#define GALLERY_GENERATE_CLASSIC_PLAN_H_

#include <string>
#include <string_view>
#include <vector>

#include "html/page_writer.h"
#include "imaging/scaled_photo.h"

namespace gallery {
struct CPhotoEntry;
struct CStyleSettings;

// Every file of a classic gallery, worked out from its photos and style before anything is
// written: its folders, its files in the order they are listed, the images of each photo with
// what each is made from, its pages with the photos each shows and where each leads, and every
// link between them. Touches no disk. The names are those of collection/output_layout.h.

enum class ClassicFileKind {
  kCollection,  // the output collection file
  kIndexPage,
  kPageImage,
  kThumbnail,
  kPhotoPage,
  kButton,
  kFramePiece,
};

struct CClassicPlannedFile {
  ClassicFileKind kind = ClassicFileKind::kCollection;
  std::string_view folder;  // one of kGalleryFolders; empty for the gallery's root
  std::string name;
  std::string path;  // the collection file's as given; the others under the root
  // The page among those of its kind, the photo of an image, the piece, or the button's place
  // in kNavigationButtonKinds; 0 for the collection file.
  int number = 0;
};

struct CClassicPlannedImage {
  int photo = 0;
  int file = 0;         // in `CClassicPlan::files`
  int drawn_from = -1;  // the image (in `CClassicPlan::images`) it is made from; -1: the source
  std::string source;   // the photo's source, which it is made of, directly or through that image
  CImageSettings settings;
};

enum class ClassicPageKind { kIndex, kPhoto };

struct CClassicPlannedPage {
  ClassicPageKind kind = ClassicPageKind::kIndex;
  int number = 0;  // among the pages of its kind, from 0
  int file = 0;    // in `CClassicPlan::files`
  // The photos it shows, from `first_photo` up to (not including) `end_photo`; a photo page
  // shows its own photo alone.
  int first_photo = 0;
  int end_photo = 0;
  // Pages of the same kind (in `CClassicPlan::pages`) its buttons lead to, or -1 for none.
  int first = -1;
  int previous = -1;
  int next = -1;
  int last = -1;
  // The index page a photo page's Index button leads to; -1 on index pages, whose middle
  // button leads Home.
  int index = -1;
};

struct CClassicPlan {
  std::vector<std::string> folders;          // paths, in the order they are created
  std::vector<CClassicPlannedFile> files;    // see ListGeneratedFiles for their order
  std::vector<CClassicPlannedImage> images;  // photo by photo: page image, then its thumbnail
  std::vector<CClassicPlannedPage> pages;    // the index pages first, then the photo pages
  int photos_per_page = 0;
  int index_page_count = 0;
  bool thumbnails = false;
  std::vector<int> page_images;   // the image of each photo's page image, in `images`
  std::vector<int> photo_thumbs;  // the image of each photo's thumbnail, or -1
  std::vector<int> buttons;       // the file of each button, in kNavigationButtonKinds order
  std::vector<int> frame_pieces;  // the file of each frame piece, by number

  int photo_count() const { return static_cast<int>(page_images.size()); }
  const CClassicPlannedPage& IndexPage(int number) const { return pages[number]; }
  const CClassicPlannedPage& PhotoPage(int photo) const {
    return pages[static_cast<size_t>(index_page_count) + photo];
  }
  const std::string& Path(int file) const { return files[file].path; }
  // The link from page `from` (in `pages`) to file `to` (in `files`).
  std::string Link(int from, int to) const;
  // Every link page `from` makes to another file of the gallery, relative to its folder.
  CPageLinks Links(int from) const;
};

// The plan of the classic gallery of `photos` in `style` (its table columns and rows) whose
// output collection file is `document_path`, its thumbnails made when `thumbnails`. With
// positive columns and rows that many photos to an index page and as many pages as needed
// (none for no photos); otherwise one index page showing every photo.
CClassicPlan PlanClassicGallery(const std::vector<CPhotoEntry>& photos, const CStyleSettings& style,
                                const std::string& document_path, bool thumbnails);

}  // namespace gallery

#endif  // GALLERY_GENERATE_CLASSIC_PLAN_H_
