#include "collection/output_layout.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace gallery {
namespace {

constexpr std::string_view kPageSuffix = ".htm";
constexpr std::string_view kImageSuffix = ".jpg";

std::string Link(std::string_view prefix, std::string_view folder, std::string_view name) {
  std::string link(prefix);
  link += folder;
  link += '/';
  link += name;
  return link;
}

// The number in a file name `prefix` + number + `suffix` as a run writes it (decimal, no
// leading zero), or -1 when `name` is not of that form or the number is too large to be one.
int NumberInName(std::string_view name, std::string_view prefix, std::string_view suffix) {
  if (!name.starts_with(prefix) || !name.ends_with(suffix)) return -1;
  name = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (name.empty() || name.size() > 9 || (name[0] == '0' && name.size() > 1)) return -1;
  int number = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

std::string GetPageFileName(int kind, int number, int count) {
  if (number < 0 || number >= count) return "";
  if (kind == kPhotoPageKind) return std::to_string(number) + std::string(kPageSuffix);
  if (number == 0) return "index.htm";
  return "index-" + std::to_string(number) + std::string(kPageSuffix);
}

std::string GetPhotoFileName(int64_t index) {
  return std::to_string(index) + std::string(kImageSuffix);
}

std::string GetFramePieceFileName(int piece) {
  return std::to_string(piece) + std::string(kImageSuffix);
}

std::string_view GetButtonFileName(NavigationButtonKind button) {
  switch (button) {
    case NavigationButtonKind::kIndex:
      return "index.jpg";
    case NavigationButtonKind::kFirst:
      return "first.jpg";
    case NavigationButtonKind::kLast:
      return "last.jpg";
    case NavigationButtonKind::kPrevious:
      return "previous.jpg";
    case NavigationButtonKind::kNext:
      break;
  }
  return "next.jpg";
}

bool IsGalleryFileName(std::string_view folder, std::string_view name) {
  if (folder.empty()) {
    return name == GetPageFileName(kIndexPageKind, 0, 1) ||
           NumberInName(name, "index-", kPageSuffix) > 0;
  }
  if (folder == kImagesFolder || folder == kThumbsFolder) {
    return NumberInName(name, "", kImageSuffix) >= 0;
  }
  if (folder == kPagesFolder) return NumberInName(name, "", kPageSuffix) >= 0;
  if (folder == kAdvancedFolder) {
    return std::any_of(
        kNavigationButtonKinds.begin(), kNavigationButtonKinds.end(),
        [name](NavigationButtonKind button) { return GetButtonFileName(button) == name; });
  }
  if (folder == kBorderFolder) {
    const int piece = NumberInName(name, "", kImageSuffix);
    return piece >= 0 && piece < kFramePieceCount;
  }
  return false;
}

std::string GalleryFolderPath(const std::string& root, std::string_view folder) {
  return root + "/" + std::string(folder);
}

std::string GalleryFilePath(const std::string& root, std::string_view folder,
                            std::string_view name) {
  return Link(root + "/", folder, name);
}

std::string GalleryLink(std::string_view from_folder, std::string_view to_folder,
                        std::string_view name) {
  if (from_folder == to_folder) return std::string(name);
  std::string link = from_folder.empty() ? "" : "../";
  if (to_folder.empty()) return link + std::string(name);
  return Link(link, to_folder, name);
}

std::string ThumbnailLink(int64_t index) {
  return GalleryLink("", kThumbsFolder, GetPhotoFileName(index));
}

std::string PhotoPageLink(int64_t index) {
  return GalleryLink("", kPagesFolder, std::to_string(index) + std::string(kPageSuffix));
}

std::string PageImageLink(int64_t index) {
  return GalleryLink(kPagesFolder, kImagesFolder, GetPhotoFileName(index));
}

}  // namespace gallery
