#ifndef GALLERY_PLATFORM_FILE_TREE_H_
#define GALLERY_PLATFORM_FILE_TREE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"

namespace gallery {

// What an entry of a folder is in itself: a link is a link, wherever it leads.
enum class TreeEntryKind { kFile, kFolder, kLink, kOther };

// One entry found under a folder by `ListTree`, times in nanoseconds since 1970.
struct CTreeEntry {
  std::string path;  // relative to the folder listed, its parts joined by "/"
  TreeEntryKind kind = TreeEntryKind::kOther;
  bool listed = true;  // false for a folder whose entries could not be read
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
  int64_t changed_ns = 0;  // the last change of content or metadata, which no one can set back
};

// Every entry under `folder` at any depth, depth first, the names of each folder in byte order,
// each folder just before what it holds. Links are listed, never followed. Empty when `folder`
// holds nothing or cannot be read.
std::vector<CTreeEntry> ListTree(const std::string& folder);

// The SHA-256 of `bytes` as 64 lower-case hexadecimal digits; nothing when the library that
// computes it fails (out of memory).
std::optional<std::string> HashBytes(std::string_view bytes);

// The SHA-256 of the content of the regular file at `path` as 64 lower-case hexadecimal digits,
// read in pieces of bounded size; nothing when `path` is no regular file (a link is not
// followed) or cannot be read to its end.
std::optional<std::string> HashFileContent(const std::string& path);

// The SHA-256 of the regular file at `path` (links followed), as `HashFileContent` gives it,
// provided that it is the file of status `expected` from before its first byte is read until
// after its last; nothing when it is another file, changed while it was read, or cannot be read
// to its end. A change that leaves the status as it was (within one tick of the clock that sets
// file times) is for the caller to rule out.
std::optional<std::string> HashFileOfStatus(const std::string& path, const CFileStatus& expected);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_FILE_TREE_H_
