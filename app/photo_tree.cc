#include "app/photo_tree.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "platform/file_status.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

using FolderIdentity = std::pair<uint64_t, uint64_t>;  // device, inode

struct CWalk {
  PhotoOrder order = PhotoOrder::kName;
  std::string top;  // the tree's top, links resolved
  std::set<FolderIdentity> seen;
  CTreeScan* scan = nullptr;
};

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The earliest non-empty date of `album`'s photos and albums.
std::string EarliestDate(const CTreeAlbum& album) {
  std::string earliest;
  const auto take = [&earliest](const std::string& date) {
    if (!date.empty() && (earliest.empty() || date < earliest)) earliest = date;
  };
  for (const CFolderPhoto& photo : album.photos) take(photo.date_taken);
  for (const CTreeAlbum& sub_album : album.albums) take(sub_album.date_taken);
  return earliest;
}

// Why the subfolder `path` named `name` is not walked, or empty when it is to be.
std::string RefusalOfFolder(const std::string& path, const std::string& name, CWalk& walk) {
  if (name.find('\\') != std::string::npos) {
    return "its name holds a backslash, which collection paths cannot";
  }
  if (!IsCollectionText(path)) {
    return "its name is not valid UTF-8 text or holds control characters, which collection "
           "paths cannot; rename it";
  }
  if (IsSymbolicLink(path)) {
    const std::string target = AbsolutePath(path);
    if (!IsPathWithin(target, walk.top)) {
      return "a link to a folder outside the folder walked, which is not followed";
    }
    if (!IsCollectionText(target) || target.find('\\') != std::string::npos) {
      return "a link to a folder whose path collection paths cannot hold";
    }
  }
  std::optional<CFileStatus> status = GetPathStatus(path);
  if (!status) return "cannot be reached";
  if (!walk.seen.insert({status->device, status->inode}).second) {
    return "a link to a folder that is in the gallery already (or round a loop), which is not "
           "followed";
  }
  return "";
}

// Fills `album` (whose `folder` is set) from its folder; false when the folder cannot be read.
bool WalkFolder(CTreeAlbum& album, int depth, CWalk& walk) {
  std::optional<CFolderScan> own = ScanPhotoFolder(album.folder, walk.order);
  std::optional<std::vector<std::string>> names = ListFolder(album.folder);
  if (!own || !names) return false;
  album.photos = std::move(own->photos);
  for (CSkippedFile& skipped : own->skipped) {
    // A folder with a photo's name is an album like any other.
    if (GetPathKind(skipped.path) != PathKind::kFolder) walk.scan->skipped.push_back(skipped);
  }
  walk.scan->mended.insert(walk.scan->mended.end(), own->mended.begin(), own->mended.end());

  // Folders themselves claim their place before links to them do.
  std::vector<std::pair<bool, std::string>> folders;  // is a link, name
  for (const std::string& name : *names) {
    if (name.empty() || name.front() == '.') continue;
    const std::string path = JoinPath(album.folder, name);
    if (GetPathKind(path) == PathKind::kFolder) folders.push_back({IsSymbolicLink(path), name});
  }
  std::sort(folders.begin(), folders.end());
  for (const auto& [link, name] : folders) {
    const std::string path = JoinPath(album.folder, name);
    std::string refusal = depth >= kMaxAlbumDepth
                              ? "nested deeper than " + std::to_string(kMaxAlbumDepth) +
                                    " folders, more than a collection holds"
                              : RefusalOfFolder(path, name, walk);
    if (!refusal.empty()) {
      walk.scan->skipped.push_back({path, std::move(refusal)});
      continue;
    }
    CTreeAlbum sub_album;
    sub_album.folder = link ? AbsolutePath(path) : path;
    sub_album.name = name;
    const std::string readable = MendText(name);
    if (readable != name) walk.scan->mended.push_back(path);
    sub_album.title = TitleFromFolderName(readable);
    if (!WalkFolder(sub_album, depth + 1, walk)) {
      walk.scan->unreadable.push_back(path);
      continue;
    }
    if (!sub_album.photos.empty() || !sub_album.albums.empty()) {
      album.albums.push_back(std::move(sub_album));
    }
  }
  const PhotoOrder order = walk.order;
  std::stable_sort(
      album.albums.begin(), album.albums.end(),
      [order](const CTreeAlbum& left, const CTreeAlbum& right) {
        return SortsBefore({left.name, left.date_taken}, {right.name, right.date_taken}, order);
      });
  album.date_taken = EarliestDate(album);
  return true;
}

void AppendPaths(const CTreeAlbum& tree, std::vector<std::string>& paths) {
  for (const CTreeAlbum& sub_album : tree.albums) AppendPaths(sub_album, paths);
  for (const CFolderPhoto& photo : tree.photos) paths.push_back(photo.path);
}

}  // namespace

bool SortsBefore(const CSortKey& left, const CSortKey& right, PhotoOrder order) {
  if (order == PhotoOrder::kDate) {
    const bool left_undated = left.date_taken.empty();
    const bool right_undated = right.date_taken.empty();
    if (left_undated != right_undated) return right_undated;
    if (left.date_taken != right.date_taken) return left.date_taken < right.date_taken;
  }
  return NaturalLess(left.name, right.name);
}

std::string TitleFromFolderName(std::string_view name) {
  // The rule is made for file names, whose last dot starts an extension; a folder has none.
  return TitleFromFileName(std::string(name) + ".jpg");
}

bool IsPathWithin(const std::string& path, const std::string& folder) {
  if (folder == "/") return path.starts_with('/');
  return path == folder ||
         (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

std::optional<CTreeScan> ScanPhotoTree(const std::string& folder, PhotoOrder order) {
  CTreeScan scan;
  CWalk walk;
  walk.order = order;
  walk.top = AbsolutePath(folder);
  walk.scan = &scan;
  if (std::optional<CFileStatus> status = GetPathStatus(walk.top)) {
    walk.seen.insert({status->device, status->inode});
  }
  scan.root.folder = walk.top;
  if (!WalkFolder(scan.root, 0, walk)) return std::nullopt;
  std::sort(scan.skipped.begin(), scan.skipped.end(),
            [](const CSkippedFile& left, const CSkippedFile& right) {
              return NaturalLess(left.path, right.path);
            });
  std::sort(scan.unreadable.begin(), scan.unreadable.end(), NaturalLess);
  return scan;
}

CAlbum AlbumFromTree(const CTreeAlbum& tree) {
  CAlbum album;
  album.title = tree.title;
  album.folder = tree.folder;
  for (const CFolderPhoto& photo : tree.photos) {
    album.photos.push_back({photo.path, photo.title, photo.video});
  }
  for (const CTreeAlbum& sub_album : tree.albums) album.albums.push_back(AlbumFromTree(sub_album));
  return album;
}

std::vector<std::string> TreePhotoPaths(const CTreeAlbum& tree) {
  std::vector<std::string> paths;
  AppendPaths(tree, paths);
  return paths;
}

}  // namespace gallery
