#include "generate/classic_plan.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "collection/output_layout.h"
#include "collection/photo_entry.h"
#include "collection/style_settings.h"
#include "generate/generate.h"
#include "platform/file_system.h"

namespace gallery {
namespace {

// The neighbours of page `number` of `count` of one kind, as places among those pages; the
// pages of that kind begin at `offset` in the plan's pages.
void SetNeighbours(CClassicPlannedPage& page, int count, int offset) {
  const int number = page.number;
  auto place = [count, offset](int target) {
    return target >= 0 && target < count ? offset + target : -1;
  };
  page.first = number >= 1 ? place(0) : -1;
  page.previous = place(number - 1);
  page.next = number < count - 1 ? place(number + 1) : -1;
  page.last = page.next != -1 ? place(count - 1) : -1;
}

}  // namespace

std::string CClassicPlan::Link(int from, int to) const {
  const CClassicPlannedFile& page = files[pages[from].file];
  const CClassicPlannedFile& file = files[to];
  return GalleryLink(page.folder, file.folder, file.name);
}

CPageLinks CClassicPlan::Links(int from) const {
  const CClassicPlannedPage& page = pages[from];
  CPageLinks links;
  CNavigationLinks& navigation = links.navigation;
  auto page_link = [this, from](int target) {
    return target < 0 ? std::string() : Link(from, pages[target].file);
  };
  navigation.first = page_link(page.first);
  navigation.previous = page_link(page.previous);
  navigation.next = page_link(page.next);
  navigation.last = page_link(page.last);
  navigation.index = page_link(page.index);
  for (size_t i = 0; i < buttons.size() && i < navigation.buttons.size(); ++i) {
    navigation.buttons[i] = Link(from, buttons[i]);
  }
  if (page.kind == ClassicPageKind::kPhoto) {
    links.page_image = Link(from, images[page_images[page.first_photo]].file);
    return links;
  }
  const std::string_view folder = files[page.file].folder;
  for (int photo = page.first_photo; photo < page.end_photo; ++photo) {
    // Without thumbnails the index pages still show each photo's thumbnail from the thumbnail
    // folder, where a host may put its own: the link is the same as with them.
    links.thumbnails.push_back(photo_thumbs[photo] >= 0
                                   ? Link(from, images[photo_thumbs[photo]].file)
                                   : GalleryLink(folder, kThumbsFolder, GetPhotoFileName(photo)));
    links.photo_pages.push_back(Link(from, PhotoPage(photo).file));
  }
  return links;
}

CClassicPlan PlanClassicGallery(const std::vector<CPhotoEntry>& photos, const CStyleSettings& style,
                                const std::string& document_path, bool thumbnails) {
  const std::string root = ParentFolder(document_path);
  const int photo_count = static_cast<int>(std::min<size_t>(photos.size(), INT_MAX));
  CClassicPlan plan;
  plan.thumbnails = thumbnails;
  for (std::string_view folder : kGalleryFolders) {
    plan.folders.push_back(GalleryFolderPath(root, folder));
  }
  auto add_file = [&plan, &root](ClassicFileKind kind, std::string_view folder, std::string name,
                                 int number) {
    std::string path = folder.empty() ? root + "/" + name : GalleryFilePath(root, folder, name);
    plan.files.push_back({kind, folder, std::move(name), std::move(path), number});
    return static_cast<int>(plan.files.size()) - 1;
  };

  plan.files.push_back({ClassicFileKind::kCollection, "",
                        document_path.substr(document_path.find_last_of("/\\") + 1), document_path,
                        0});
  const IndexPagination pagination =
      PaginateIndex(photo_count, style.table_columns, style.table_rows);
  plan.photos_per_page = pagination.photos_per_page;
  plan.index_page_count = pagination.page_count;
  const size_t images_per_photo = thumbnails ? 2 : 1;
  plan.files.reserve(1 + static_cast<size_t>(pagination.page_count) +
                     static_cast<size_t>(photo_count) * (images_per_photo + 1) +
                     kNavigationButtonKinds.size() + kFramePieceCount);
  plan.images.reserve(static_cast<size_t>(photo_count) * images_per_photo);
  plan.pages.reserve(static_cast<size_t>(pagination.page_count) + photo_count);
  plan.page_images.reserve(photo_count);
  plan.photo_thumbs.reserve(photo_count);
  for (int number = 0; number < pagination.page_count; ++number) {
    CClassicPlannedPage page;
    page.kind = ClassicPageKind::kIndex;
    page.number = number;
    page.file = add_file(ClassicFileKind::kIndexPage, "",
                         GetPageFileName(kIndexPageKind, number, pagination.page_count), number);
    const int64_t first = int64_t{number} * pagination.photos_per_page;
    page.first_photo = static_cast<int>(std::min<int64_t>(first, photo_count));
    page.end_photo =
        static_cast<int>(std::min<int64_t>(first + pagination.photos_per_page, photo_count));
    SetNeighbours(page, pagination.page_count, 0);
    plan.pages.push_back(page);
  }

  const CImageSettings settings = MakeImageSettings(style);
  for (int photo = 0; photo < photo_count; ++photo) {
    const std::string name = GetPhotoFileName(photo);
    plan.page_images.push_back(static_cast<int>(plan.images.size()));
    plan.images.push_back({photo, add_file(ClassicFileKind::kPageImage, kImagesFolder, name, photo),
                           -1, photos[photo].path, settings});
    if (thumbnails) {
      plan.photo_thumbs.push_back(static_cast<int>(plan.images.size()));
      plan.images.push_back({photo,
                             add_file(ClassicFileKind::kThumbnail, kThumbsFolder, name, photo),
                             plan.page_images.back(), photos[photo].path, settings});
    } else {
      plan.photo_thumbs.push_back(-1);
    }
    CClassicPlannedPage page;
    page.kind = ClassicPageKind::kPhoto;
    page.number = photo;
    page.file = add_file(ClassicFileKind::kPhotoPage, kPagesFolder,
                         GetPageFileName(kPhotoPageKind, photo, photo_count), photo);
    page.first_photo = photo;
    page.end_photo = photo + 1;
    SetNeighbours(page, photo_count, pagination.page_count);
    page.index = pagination.page_count > 0 ? 0 : -1;
    plan.pages.push_back(page);
  }

  for (size_t i = 0; i < kNavigationButtonKinds.size(); ++i) {
    plan.buttons.push_back(add_file(ClassicFileKind::kButton, kAdvancedFolder,
                                    std::string(GetButtonFileName(kNavigationButtonKinds[i])),
                                    static_cast<int>(i)));
  }
  for (int piece = 0; piece < kFramePieceCount; ++piece) {
    plan.frame_pieces.push_back(
        add_file(ClassicFileKind::kFramePiece, kBorderFolder, GetFramePieceFileName(piece), piece));
  }
  return plan;
}

}  // namespace gallery
