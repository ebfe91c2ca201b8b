#ifndef GALLERY_PLATFORM_FOLDER_LISTING_H_
#define GALLERY_PLATFORM_FOLDER_LISTING_H_

#include <optional>
#include <string>
#include <vector>

namespace gallery {

// What a path names, following symbolic links.
enum class PathKind { kMissing, kFile, kFolder, kOther };

PathKind GetPathKind(const std::string& path);

// True when `path` itself is a symbolic link, wherever it leads, if anywhere.
bool IsSymbolicLink(const std::string& path);

// The names of the entries of a folder ("." and ".." left out), in no particular order, or
// nothing when the folder cannot be read.
std::optional<std::vector<std::string>> ListFolder(const std::string& path);

// `path` made absolute against the current folder, with "." and ".." steps and repeated
// separators removed; links are resolved as far as the path exists.
std::string AbsolutePath(const std::string& path);

// True when this process may create files in the folder `path`.
bool IsWritableFolder(const std::string& path);

// Creates a new, empty folder named `prefix` and six random characters, readable as the umask
// allows, and returns its path; nothing when it cannot.
std::optional<std::string> CreateUniqueFolder(const std::string& prefix);

// Creates a new, empty, private-named folder beside `path` (in its parent folder) whose name
// starts with a dot and `path`'s own name, and returns its path; nothing when it cannot.
std::optional<std::string> CreateFolderBeside(const std::string& path);

// Renames a file or folder; fails when `to` exists (unless it is an empty folder).
bool RenamePath(const std::string& from, const std::string& to);

enum class ExchangeOutcome {
  kExchanged,    // each path now names what the other named
  kUnsupported,  // the file system cannot exchange names; nothing changed
  kFailed,       // anything else went wrong; nothing changed
};

// Swaps the entries `first` and `second` of one file system in one step, so that no moment
// passes where either name is missing.
ExchangeOutcome ExchangePaths(const std::string& first, const std::string& second);

// Gives `to` the permission bits of `from`; false when either cannot be reached.
bool CopyPermissions(const std::string& from, const std::string& to);

// Removes `path` and everything under it; links are removed, never followed. False when
// anything was left.
bool RemoveTree(const std::string& path);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_FOLDER_LISTING_H_
