#include "platform/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/file_system.h"

namespace gallery {
namespace {

struct DirClose {
  void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirClose>;

}  // namespace

PathKind GetPathKind(const std::string& path) {
  struct stat info;
  if (stat(ToSystemPath(path).c_str(), &info) != 0) return PathKind::kMissing;
  if (S_ISREG(info.st_mode)) return PathKind::kFile;
  if (S_ISDIR(info.st_mode)) return PathKind::kFolder;
  return PathKind::kOther;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat info;
  return lstat(ToSystemPath(path).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::optional<std::vector<std::string>> ListFolder(const std::string& path) {
  UniqueDir dir(opendir(ToSystemPath(path).c_str()));
  if (dir == nullptr) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  return names;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::weakly_canonical(ToSystemPath(path), error);
  if (error) absolute = std::filesystem::absolute(ToSystemPath(path), error).lexically_normal();
  std::string text = absolute.string();
  // weakly_canonical keeps the separator of a trailing "/" of the input; a folder's path is
  // wanted without it.
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool IsWritableFolder(const std::string& path) {
  return GetPathKind(path) == PathKind::kFolder &&
         access(ToSystemPath(path).c_str(), W_OK | X_OK) == 0;
}

std::optional<std::string> CreateUniqueFolder(const std::string& prefix) {
  std::string pattern = ToSystemPath(prefix) + "XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
  // mkdtemp makes the folder private; a gallery is meant to be read by a web server or others.
  mode_t mask = umask(0);
  umask(mask);
  static_cast<void>(chmod(pattern.c_str(), 0777 & ~mask));
  return pattern;
}

std::optional<std::string> CreateFolderBeside(const std::string& path) {
  std::string target = ToSystemPath(path);
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  size_t separator = target.find_last_of('/');
  std::string parent = separator == std::string::npos ? "./" : target.substr(0, separator + 1);
  std::string name = separator == std::string::npos ? target : target.substr(separator + 1);
  return CreateUniqueFolder(parent + "." + name + ".");
}

bool RenamePath(const std::string& from, const std::string& to) {
  return rename(ToSystemPath(from).c_str(), ToSystemPath(to).c_str()) == 0;
}

ExchangeOutcome ExchangePaths(const std::string& first, const std::string& second) {
  if (renameat2(AT_FDCWD, ToSystemPath(first).c_str(), AT_FDCWD, ToSystemPath(second).c_str(),
                RENAME_EXCHANGE) == 0) {
    return ExchangeOutcome::kExchanged;
  }
  // Older kernels and some network and FUSE file systems know no exchange.
  return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP ? ExchangeOutcome::kUnsupported
                                                                : ExchangeOutcome::kFailed;
}

bool CopyPermissions(const std::string& from, const std::string& to) {
  struct stat info;
  return stat(ToSystemPath(from).c_str(), &info) == 0 &&
         chmod(ToSystemPath(to).c_str(), info.st_mode & 07777) == 0;
}

bool RemoveTree(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(ToSystemPath(path), error);
  return !error;
}

}  // namespace gallery
