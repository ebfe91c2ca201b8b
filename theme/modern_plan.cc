#include "theme/modern_plan.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "collection/album.h"
#include "theme/plain_text.h"

namespace gallery {
namespace {

constexpr std::string_view kImageFolders[] = {"images", "thumbs", "thumbs2x", "medium", "large"};
static_assert(std::size(kImageFolders) == kModernImageSizes);

// The items of an index page, cards and photos alike; all on one page for 0 or less.
int ItemsPerPage(int photos_per_page, int items) {
  return photos_per_page > 0 ? photos_per_page : std::max(items, 1);
}

class CPlanner {
 public:
  CPlanner(CModernPlan& plan, int photos_per_page) : plan_(plan), per_page_(photos_per_page) {}

  // Numbers `album` and the sub-albums that hold a photo, depth-first, its photos from `first`
  // on; returns its place in the plan's albums.
  int AddAlbum(const CAlbum& album, int parent, int first) {
    const int index = static_cast<int>(plan_.albums.size());
    plan_.albums.emplace_back();
    {
      CModernPlannedAlbum& planned = plan_.albums.back();
      planned.title = album.title;
      planned.description = album.description;
      planned.parent = parent;
      planned.number = index;
      planned.first_photo = first;
      planned.photo_count = CountPhotos(album);
      const int cover = FindCoverIndex(album);
      planned.cover = cover < 0 ? -1 : first + cover;
    }
    int next = first;
    std::vector<int> albums;
    for (const CAlbum& sub_album : album.albums) {
      const int count = CountPhotos(sub_album);
      if (count == 0) continue;
      albums.push_back(AddAlbum(sub_album, index, next));
      next += count;
    }
    CModernPlannedAlbum& planned = plan_.albums[index];
    planned.albums = std::move(albums);
    planned.own_first = next;
    planned.own_count = static_cast<int>(album.photos.size());
    return index;
  }

  // The index pages of every album, the root's first, then the photo pages in gallery order.
  void AddPages() {
    for (int album = 0; album < static_cast<int>(plan_.albums.size()); ++album) {
      AddIndexPages(album);
    }
    plan_.photo_pages.assign(plan_.photos.size(), -1);
    for (int album = 0; album < static_cast<int>(plan_.albums.size()); ++album) {
      const CModernPlannedAlbum& planned = plan_.albums[album];
      for (int i = 0; i < planned.own_count; ++i) {
        plan_.photo_pages[planned.own_first + i] = static_cast<int>(plan_.pages.size());
        CModernPlannedPage page;
        page.kind = ModernPageKind::kPhoto;
        page.path = ModernPhotoFileName(planned.own_first + i);
        page.album = album;
        page.number = i;
        page.photos = {planned.own_first + i};
        page.up = plan_.IndexPageHolding(album, static_cast<int>(planned.albums.size()) + i);
        plan_.pages.push_back(std::move(page));
      }
    }
    // Neighbours within each album, in the order of its photos.
    for (const CModernPlannedAlbum& planned : plan_.albums) {
      for (int i = 1; i < planned.own_count; ++i) {
        const int before = plan_.photo_pages[planned.own_first + i - 1];
        const int after = plan_.photo_pages[planned.own_first + i];
        plan_.pages[before].next = after;
        plan_.pages[after].previous = before;
      }
    }
  }

 private:
  void AddIndexPages(int album) {
    CModernPlannedAlbum& planned = plan_.albums[album];
    const int cards = static_cast<int>(planned.albums.size());
    const int items = cards + planned.own_count;
    const int per_page = ItemsPerPage(per_page_, items);
    const int page_count = std::max(1, (items + per_page - 1) / per_page);
    int up = -1;
    if (planned.parent >= 0) {
      const std::vector<int>& siblings = plan_.albums[planned.parent].albums;
      const int card = static_cast<int>(std::find(siblings.begin(), siblings.end(), album) -
                                        siblings.begin());
      up = plan_.IndexPageHolding(planned.parent, card);
    }
    for (int number = 0; number < page_count; ++number) {
      CModernPlannedPage page;
      page.kind = ModernPageKind::kAlbumIndex;
      page.path = ModernIndexFileName(planned.number, number);
      page.album = album;
      page.number = number;
      for (int item = number * per_page; item < std::min(items, (number + 1) * per_page); ++item) {
        if (item < cards) {
          page.albums.push_back(planned.albums[item]);
        } else {
          page.photos.push_back(planned.own_first + item - cards);
        }
      }
      const int at = static_cast<int>(plan_.pages.size());
      if (number > 0) {
        page.previous = at - 1;
        plan_.pages[at - 1].next = at;
      }
      page.up = up;
      planned.index_pages.push_back(at);
      plan_.pages.push_back(std::move(page));
    }
  }

  CModernPlan& plan_;
  const int per_page_;
};

}  // namespace

int CModernPlan::IndexPageHolding(int album, int item) const {
  const CModernPlannedAlbum& planned = albums[album];
  const int items = static_cast<int>(planned.albums.size()) + planned.own_count;
  const int per_page = ItemsPerPage(photos_per_page, items);
  const int page = std::clamp(std::max(item, 0) / per_page, 0,
                              static_cast<int>(planned.index_pages.size()) - 1);
  return planned.index_pages[page];
}

void CModernPlan::OfferDrawnSizes(int photo, int count) {
  for (int size = static_cast<int>(ModernImageSize::kThumb); size < kModernImageSizes; ++size) {
    images[static_cast<size_t>(photo) * kModernImageSizes + static_cast<size_t>(size)].offered =
        size - static_cast<int>(ModernImageSize::kThumb) < std::max(count, 1);
  }
}

std::string CModernPlan::Link(int from, std::string_view path) const {
  return ModernRelativeLink(pages[from].path, path);
}

CModernPlan PlanModernGallery(const CAlbum& root, int photos_per_page, bool originals) {
  CModernPlan plan;
  plan.photos_per_page = photos_per_page;
  plan.folders = {"images", "large", "medium", "thumbs", "thumbs2x"};
  if (originals) plan.folders.push_back("originals");
  plan.folders.push_back("assets");
  plan.photos = PhotosInOrder(root);
  if (std::any_of(plan.photos.begin(), plan.photos.end(),
                  [](const CPhotoEntry& photo) { return photo.video; })) {
    plan.folders.push_back("videos");
  }
  for (int photo = 0; photo < static_cast<int>(plan.photos.size()); ++photo) {
    const int page_image = static_cast<int>(plan.images.size());
    for (int size = 0; size < kModernImageSizes; ++size) {
      const auto kind = static_cast<ModernImageSize>(size);
      plan.images.push_back({photo, kind, ModernImageFileName(photo, kind),
                             kind == ModernImageSize::kPage ? -1 : page_image});
    }
  }
  CPlanner planner(plan, photos_per_page);
  planner.AddAlbum(root, -1, 0);
  planner.AddPages();
  return plan;
}

std::string ModernRelativeLink(std::string_view from, std::string_view to) {
  // The folders the two share are passed over.
  size_t shared = 0;
  for (;;) {
    const size_t from_slash = from.find('/', shared);
    const size_t to_slash = to.find('/', shared);
    if (from_slash == std::string_view::npos || from_slash != to_slash ||
        from.substr(shared, from_slash - shared) != to.substr(shared, to_slash - shared)) {
      break;
    }
    shared = from_slash + 1;
  }
  std::string link;
  for (size_t at = from.find('/', shared); at != std::string_view::npos;
       at = from.find('/', at + 1)) {
    link += "../";
  }
  std::string_view rest = to.substr(shared);
  for (size_t slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
    link += UrlPathSegment(rest.substr(0, slash)) + "/";
    rest.remove_prefix(slash + 1);
  }
  return link + UrlPathSegment(rest);
}

std::string ModernIndexFileName(int number, int page) {
  const std::string stem = number <= 0 ? "index" : "album-" + std::to_string(number);
  return page <= 0 ? stem + ".html" : stem + "-" + std::to_string(page + 1) + ".html";
}

std::string ModernPhotoFileName(int photo) {
  return "photo-" + std::to_string(std::max(photo, 0) + 1) + ".html";
}

std::string ModernImageFileName(int photo, ModernImageSize size) {
  return std::string(kImageFolders[static_cast<int>(size)]) + "/" +
         std::to_string(std::max(photo, 0) + 1) + ".jpg";
}

}  // namespace gallery
