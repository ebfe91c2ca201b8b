#ifndef GALLERY_PLATFORM_FILE_SYSTEM_H_
#define GALLERY_PLATFORM_FILE_SYSTEM_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace gallery {

// Every path handed to these functions may use "\" as a separator; it becomes "/" before the
// operating system sees it.
std::string ToSystemPath(std::string_view path);

// The folder part of `path`: everything before its last "/" or "\", or "." when it has neither.
std::string ParentFolder(std::string_view path);

// The whole content of a regular file, or nothing when it cannot be read (missing, a folder,
// unreadable, or not a regular file).
std::optional<std::string> ReadFileBytes(const std::string& path);

// Writes `bytes` to a temporary file beside `path` and renames it into place, so that `path`
// holds either its old content or the complete new one, never a part. Returns false and leaves
// no temporary file behind when any step fails.
bool WriteFileBytes(const std::string& path, std::string_view bytes);

// True when `path` names a regular file that this process may read.
bool IsReadableFile(const std::string& path);

// Like `WriteFileBytes`, with the bytes written by `write` to the open temporary file, which
// returns false when it could not write them all.
bool WriteFileWith(const std::string& path, const std::function<bool(int descriptor)>& write);

// Creates one folder (not its parents). An existing folder counts as success.
bool CreateFolder(const std::string& path);

// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& path);

// True when both paths name one existing file.
bool IsSameFile(const std::string& first, const std::string& second);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_FILE_SYSTEM_H_
