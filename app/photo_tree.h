#ifndef GALLERY_APP_PHOTO_TREE_H_
#define GALLERY_APP_PHOTO_TREE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/photo_folder.h"
#include "collection/album.h"

namespace gallery {

// Folders nested deeper than this under the folder walked are left out: a collection file
// cannot nest its albums much deeper.
inline constexpr int kMaxAlbumDepth = 64;

// A folder of a photo tree that holds photos, or folders that do.
struct CTreeAlbum {
  std::string folder;      // absolute, links resolved
  std::string name;        // the folder's own name
  std::string title;       // plain text, made from the name
  std::string date_taken;  // the earliest of its photos and albums; empty when none is dated
  std::vector<CFolderPhoto> photos;  // its own, sorted
  std::vector<CTreeAlbum> albums;    // sorted
};

struct CTreeScan {
  CTreeAlbum root;                      // the folder walked: no name or title of its own
  std::vector<CSkippedFile> skipped;    // files and folders left out, and why
  std::vector<std::string> mended;      // paths whose titles leave out control characters
  std::vector<std::string> unreadable;  // folders under the top that could not be read
};

// What an item is sorted by: its file or folder name and the date it was taken, if known.
struct CSortKey {
  std::string_view name;
  std::string_view date_taken;
};

// True when `left` comes before `right` in `order`: by name as a person reads it
// (`NaturalLess`), or by date with the undated last, each group by name.
bool SortsBefore(const CSortKey& left, const CSortKey& right, PhotoOrder order);

// An album title from a folder name: `TitleFromFileName` as plain text, a dot in the name kept
// as part of it.
std::string TitleFromFolderName(std::string_view name);

// Walks `folder` and every folder under it: each holds its photos as `ScanPhotoFolder` finds
// them, and its folders that hold photos at any depth as albums; empty folders are left out.
// Hidden files and folders are passed over. A folder whose name a collection cannot carry, a
// link to a folder outside the tree, a folder reached a second time (links round a loop, two
// links to one folder: folders are told apart by device and inode, and within a folder those
// that are no link are walked first) or nested past kMaxAlbumDepth is left out as skipped; one
// that cannot be read is left out as unreadable. Dates are read only for date order. Nothing
// when `folder` itself cannot be read.
std::optional<CTreeScan> ScanPhotoTree(const std::string& folder, PhotoOrder order);

// The album of a walked folder: titles, folders and photos (titled as `ScanPhotoFolder` titles
// them) as a collection holds them; no description or cover.
CAlbum AlbumFromTree(const CTreeAlbum& tree);

// True when `path` is `folder` or lies in it, at any depth; both absolute, without "." or "..".
bool IsPathWithin(const std::string& path, const std::string& folder);

// The paths of every photo of the tree.
std::vector<std::string> TreePhotoPaths(const CTreeAlbum& tree);

}  // namespace gallery

#endif  // GALLERY_APP_PHOTO_TREE_H_
