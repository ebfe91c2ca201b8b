#ifndef GALLERY_THEME_MODERN_PLAN_H_
#define GALLERY_THEME_MODERN_PLAN_H_

#include <string>
#include <string_view>
#include <vector>

#include "collection/photo_entry.h"

namespace gallery {
struct CAlbum;

// Every file of a modern gallery, worked out from its album tree before anything is written:
// its folders, the images of each photo, its pages with what each shows and where each leads,
// and every link between them. Touches no disk.
//
// The photos are numbered once over the whole gallery, in the order of `PhotosInOrder` of the
// root album: photo-N.html and images/N.jpg ... are photo N-1 of that order. The root album's
// index pages are index.html, index-2.html ...; each sub-album holding a photo, counted K from
// 1 depth-first, has album-K.html, album-K-2.html ... beside them. An album without a photo,
// in it or in its sub-albums, has no page and is shown nowhere.

// The images made of each photo, in the order in which they are drawn: the page image from the
// photo's source, then from the page image its 1x and 2x thumbnails, its medium and its large
// size.
enum class ModernImageSize { kPage, kThumb, kThumb2x, kMedium, kLarge };
inline constexpr int kModernImageSizes = 5;

struct CModernPlannedImage {
  int photo = 0;  // in gallery order
  ModernImageSize size = ModernImageSize::kPage;
  std::string path;     // relative to the gallery's folder
  int drawn_from = -1;  // the image (in `CModernPlan::images`) it is made from; -1: the source
  // False for a size that the photo is too small to be worth offering in: never written.
  bool offered = true;
};

enum class ModernPageKind { kAlbumIndex, kPhoto };

struct CModernPlannedPage {
  ModernPageKind kind = ModernPageKind::kAlbumIndex;
  std::string path;  // relative to the gallery's folder
  int album = 0;     // the album it belongs to, in `CModernPlan::albums`
  // An index page: which of its album's index pages (from 0); a photo page: the photo's place
  // among its album's own photos (from 0).
  int number = 0;
  std::vector<int> albums;  // the sub-albums an index page shows as cards, first
  std::vector<int> photos;  // the photos an index page shows after them; a photo page's own
  // Pages, or -1: the album's previous and next index page or own photo, and for a photo page
  // the index page of its album that shows it, for an index page that of the parent album that
  // shows its card.
  int previous = -1;
  int next = -1;
  int up = -1;
};

struct CModernPlannedAlbum {
  std::string title;        // plain text, as the album holds it
  std::string description;  // plain text
  int parent = -1;          // in `CModernPlan::albums`; -1 for the root
  int number = 0;           // K of album-K.html; 0 for the root
  std::vector<int> albums;  // its sub-albums that hold a photo, in order
  int first_photo = 0;      // the first photo of it and its sub-albums, in gallery order
  int photo_count = 0;      // the photos of it and its sub-albums
  int own_first = 0;        // its own photos: `own_count` photos from this one on
  int own_count = 0;
  int cover = -1;           // the photo standing for it; -1 only for a root without photos
  std::vector<int> index_pages;  // its index pages, in order, in `CModernPlan::pages`
};

struct CModernPlan {
  std::vector<std::string> folders;  // relative to the gallery's folder, in the order made
  std::vector<CPhotoEntry> photos;   // in gallery order
  // kModernImageSizes of each photo, photo by photo; see `Image`.
  std::vector<CModernPlannedImage> images;
  std::vector<CModernPlannedPage> pages;  // the root album's index pages first
  std::vector<CModernPlannedAlbum> albums;  // the root first, then depth-first by number
  std::vector<int> photo_pages;             // the page of each photo
  int photos_per_page = 0;                  // cards and photos of an index page; 0 or less: all

  // Whether the gallery has albums besides the root, and so pages show the way back up.
  bool HasAlbums() const { return albums.size() > 1; }
  const CModernPlannedImage& Image(int photo, ModernImageSize size) const {
    return images[static_cast<size_t>(photo) * kModernImageSizes + static_cast<size_t>(size)];
  }
  // Offers only the first `count` (at least 1) of photo `photo`'s images drawn from its page
  // image, in the order of ModernImageSize from kThumb on; the others are not offered.
  void OfferDrawnSizes(int photo, int count);
  // The index page of `album` that shows `item`, counting its sub-album cards first and then
  // its own photos; the nearest page for items out of range.
  int IndexPageHolding(int album, int item) const;
  // The link from page `from` to the file at `path` (relative to the gallery's folder).
  std::string Link(int from, std::string_view path) const;
};

// The plan of the gallery of `root`, `photos_per_page` cards and photos to an index page (0 or
// less: all on one), with the folder originals/ when `originals` and videos/ when it holds a
// video.
CModernPlan PlanModernGallery(const CAlbum& root, int photos_per_page, bool originals);

// The relative address, for a page at `from`, of the file at `to`, both paths relative to the
// gallery's folder and parted by "/": as many "../" as `from` lies deeper than the folders the
// two share, then the rest of `to`, each segment percent-encoded (see UrlPathSegment). Put in
// an attribute, it needs no further escaping.
std::string ModernRelativeLink(std::string_view from, std::string_view to);

// The file name of index page `page` (from 0) of album `number` (0 for the root):
// index.html, index-2.html ...; album-K.html, album-K-2.html ...
std::string ModernIndexFileName(int number, int page);
// The file names of photo `photo` (from 0) of the gallery: photo-N.html, and its image of
// `size` (images/N.jpg, thumbs/N.jpg, thumbs2x/N.jpg, medium/N.jpg, large/N.jpg).
std::string ModernPhotoFileName(int photo);
std::string ModernImageFileName(int photo, ModernImageSize size);

}  // namespace gallery

#endif  // GALLERY_THEME_MODERN_PLAN_H_
