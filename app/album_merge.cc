#include "app/album_merge.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace gallery {
namespace {

std::string_view LastName(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

class CMerge {
 public:
  CMerge(const CTreeScan& scan, PhotoOrder order, CMergeReport& report)
      : scan_(scan), order_(order), report_(report) {
    IndexTree(scan.root);
    for (const CSkippedFile& skipped : scan.skipped) left_out_.insert(skipped.path);
  }

  // The kept part of `album`: what is gone dropped, recursively.
  CAlbum Keep(const CAlbum& album) {
    CAlbum kept = album;
    kept.photos.clear();
    kept.albums.clear();
    for (const CPhotoEntry& photo : album.photos) {
      if (IsGone(photo.path, found_photos_)) {
        report_.dropped_photos.push_back(photo.path);
        continue;
      }
      kept_photos_.insert(photo.path);
      kept.photos.push_back(photo);
    }
    for (const CAlbum& sub_album : album.albums) {
      if (!sub_album.folder.empty() && IsGone(sub_album.folder, found_albums_)) {
        Drop(sub_album);
        continue;
      }
      if (!sub_album.folder.empty()) kept_albums_.insert(sub_album.folder);
      kept.albums.push_back(Keep(sub_album));
    }
    if (!kept.cover.empty() && IsGone(kept.cover, found_photos_)) kept.cover.clear();
    return kept;
  }

  // `kept` with what was found in its folder `found` (if any) added, recursively.
  CAlbum Merge(CAlbum kept, const CTreeAlbum* found) {
    for (CAlbum& sub_album : kept.albums) {
      // Looked up before the album is moved into the call: the order in which a call's
      // arguments are made is the compiler's to choose.
      const CTreeAlbum* found_sub_album = Found(sub_album);
      sub_album = Merge(std::move(sub_album), found_sub_album);
    }
    if (found == nullptr) return kept;
    kept.photos = InsertPhotos(std::move(kept.photos), found->photos);
    std::vector<std::pair<CSortKey, CAlbum>> new_albums;
    for (const CTreeAlbum& sub_album : found->albums) {
      if (kept_albums_.count(sub_album.folder) != 0) continue;
      CAlbum album = NewAlbum(sub_album);
      // Every photo of it may be in the collection already, somewhere else.
      if (CountPhotos(album) == 0) continue;
      report_.added_albums.push_back(album.folder);
      new_albums.push_back({{sub_album.name, sub_album.date_taken}, std::move(album)});
    }
    kept.albums = Insert(std::move(kept.albums), std::move(new_albums), [this](const CAlbum& a) {
      const CTreeAlbum* tree = Found(a);
      return CSortKey{a.folder.empty() ? std::string_view(a.title) : LastName(a.folder),
                      tree != nullptr ? std::string_view(tree->date_taken) : std::string_view()};
    });
    return kept;
  }

 private:
  void IndexTree(const CTreeAlbum& tree) {
    found_albums_.insert(tree.folder);
    album_of_folder_[tree.folder] = &tree;
    for (const CFolderPhoto& photo : tree.photos) {
      found_photos_.insert(photo.path);
      date_of_photo_[photo.path] = photo.date_taken;
    }
    for (const CTreeAlbum& sub_album : tree.albums) IndexTree(sub_album);
  }

  // True when the file or folder `path` lies in the folder walked and is not in `found`, nor
  // inside a folder that could not be read, nor left out by the walk.
  bool IsGone(const std::string& path, const std::unordered_set<std::string>& found) const {
    if (!path.starts_with('/') || !IsPathWithin(path, scan_.root.folder)) return false;
    if (found.count(path) != 0 || left_out_.count(path) != 0) return false;
    for (const std::string& folder : scan_.unreadable) {
      if (IsPathWithin(path, folder)) return false;
    }
    return true;
  }

  void Drop(const CAlbum& album) {
    report_.dropped_albums.push_back(album.folder.empty() ? album.title : album.folder);
    for (const CPhotoEntry& photo : album.photos) report_.dropped_photos.push_back(photo.path);
    for (const CAlbum& sub_album : album.albums) Drop(sub_album);
  }

  const CTreeAlbum* Found(const CAlbum& album) const {
    if (album.folder.empty()) return nullptr;
    auto found = album_of_folder_.find(album.folder);
    return found == album_of_folder_.end() ? nullptr : found->second;
  }

  // A new album of the folder `tree`: its photos that the collection holds nowhere, and its
  // folders that no album is made from.
  CAlbum NewAlbum(const CTreeAlbum& tree) {
    CAlbum album;
    album.title = tree.title;
    album.folder = tree.folder;
    kept_albums_.insert(tree.folder);
    for (const CFolderPhoto& photo : tree.photos) {
      if (!kept_photos_.insert(photo.path).second) continue;
      report_.added_photos.push_back(photo.path);
      album.photos.push_back({photo.path, photo.title, photo.video});
    }
    for (const CTreeAlbum& sub_album : tree.albums) {
      if (kept_albums_.count(sub_album.folder) != 0) continue;
      CAlbum sub = NewAlbum(sub_album);
      if (CountPhotos(sub) > 0) album.albums.push_back(std::move(sub));
    }
    return album;
  }

  std::vector<CPhotoEntry> InsertPhotos(std::vector<CPhotoEntry> photos,
                                        const std::vector<CFolderPhoto>& found) {
    std::vector<std::pair<CSortKey, CPhotoEntry>> new_photos;
    for (const CFolderPhoto& photo : found) {
      if (!kept_photos_.insert(photo.path).second) continue;
      report_.added_photos.push_back(photo.path);
      new_photos.push_back(
          {{photo.name, photo.date_taken}, {photo.path, photo.title, photo.video}});
    }
    return Insert(std::move(photos), std::move(new_photos), [this](const CPhotoEntry& photo) {
      auto date = date_of_photo_.find(photo.path);
      return CSortKey{LastName(photo.path),
                      date == date_of_photo_.end() ? std::string_view() : date->second};
    });
  }

  // `items` with each of `additions` (sorted in `order_`) placed before the first item that
  // sorts after it. As the additions are sorted, their places only ever move on, so one pass
  // over both does it.
  template <typename Item, typename KeyOf>
  std::vector<Item> Insert(std::vector<Item> items,
                           std::vector<std::pair<CSortKey, Item>> additions, KeyOf key_of) {
    if (additions.empty()) return items;
    std::vector<Item> merged;
    merged.reserve(items.size() + additions.size());
    size_t next = 0;
    for (auto& [key, addition] : additions) {
      while (next < items.size() && !SortsBefore(key, key_of(items[next]), order_)) {
        merged.push_back(std::move(items[next++]));
      }
      merged.push_back(std::move(addition));
    }
    for (; next < items.size(); ++next) merged.push_back(std::move(items[next]));
    return merged;
  }

  const CTreeScan& scan_;
  PhotoOrder order_;
  CMergeReport& report_;
  std::unordered_set<std::string> found_photos_;
  std::unordered_set<std::string> found_albums_;
  std::unordered_map<std::string, const CTreeAlbum*> album_of_folder_;
  std::unordered_map<std::string, std::string> date_of_photo_;
  std::unordered_set<std::string> left_out_;
  std::unordered_set<std::string> kept_photos_;
  std::unordered_set<std::string> kept_albums_;
};

}  // namespace

CAlbum MergeAlbums(const CAlbum& library, const CTreeScan& scan, PhotoOrder order,
                   CMergeReport& report) {
  CMerge merge(scan, order, report);
  CAlbum kept = merge.Keep(library);
  const CTreeAlbum* root = &scan.root;
  return merge.Merge(std::move(kept), root);
}

}  // namespace gallery
