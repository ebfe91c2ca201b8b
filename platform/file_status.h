#ifndef GALLERY_PLATFORM_FILE_STATUS_H_
#define GALLERY_PLATFORM_FILE_STATUS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gallery {

// What the file system says of a file, times in nanoseconds since 1970.
struct CFileStatus {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
  int64_t changed_ns = 0;  // the last change of content or metadata, which no one can set back
};

// The status of the regular file at `path` (links followed), or nothing when it is missing or
// not a regular file.
std::optional<CFileStatus> GetFileStatus(const std::string& path);

// The status of whatever `path` names (links followed): a folder too. Nothing when it is
// missing or cannot be reached.
std::optional<CFileStatus> GetPathStatus(const std::string& path);

// The status of the executable file of this process; nothing when the system does not say.
std::optional<CFileStatus> GetProgramStatus();

// A second name `link` for the existing file `existing` (a hard link). False when `link`
// exists already, or the file system or the two folders do not allow it.
bool LinkFile(const std::string& existing, const std::string& link);

// Sets the modification time of `path` to now; false when it cannot.
bool TouchFile(const std::string& path);

// Creates `path` and any folder missing above it. An existing folder counts as success.
bool CreateFolders(const std::string& path);

// A regular file directly in a folder, as listed by `ListFiles`.
struct CListedFile {
  std::string name;
  int64_t size = 0;
  int64_t modified_ns = 0;
};

// The regular files directly in `folder` (links not followed, so a link is left out), or an
// empty list when it cannot be read.
std::vector<CListedFile> ListFiles(const std::string& folder);
// Likewise, of the open folder `folder`, which is left open.
std::vector<CListedFile> ListFilesAt(int folder);

// Now, in nanoseconds since 1970, by the clock that file times are set from.
int64_t WallClockNanoseconds();

// The bytes that an unprivileged process may still write on the file system that holds
// `path`, or nothing when it cannot be told.
std::optional<uint64_t> FreeBytesOn(const std::string& path);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_FILE_STATUS_H_
