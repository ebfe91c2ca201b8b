#include "platform/file_status.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include "platform/file_system.h"

namespace gallery {
namespace {

int64_t ToNanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

}  // namespace

std::optional<CFileStatus> GetFileStatus(const std::string& path) {
  struct stat info;
  if (stat(ToSystemPath(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return CFileStatus{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                     static_cast<int64_t>(info.st_size), ToNanoseconds(info.st_mtim),
                     ToNanoseconds(info.st_ctim)};
}

std::optional<CFileStatus> GetProgramStatus() {
  // The link that Linux keeps to the executable leads to the file even after it is renamed.
  return GetFileStatus("/proc/self/exe");
}

std::optional<CFileStatus> GetPathStatus(const std::string& path) {
  struct stat info;
  if (stat(ToSystemPath(path).c_str(), &info) != 0) return std::nullopt;
  return CFileStatus{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                     static_cast<int64_t>(info.st_size), ToNanoseconds(info.st_mtim),
                     ToNanoseconds(info.st_ctim)};
}

bool LinkFile(const std::string& existing, const std::string& link) {
  return ::link(ToSystemPath(existing).c_str(), ToSystemPath(link).c_str()) == 0;
}

bool TouchFile(const std::string& path) {
  return utimensat(AT_FDCWD, ToSystemPath(path).c_str(), nullptr, 0) == 0;
}

bool CreateFolders(const std::string& path) {
  const std::string system_path = ToSystemPath(path);
  // Each folder from the top down; one that exists already is passed.
  for (size_t end = system_path.find('/', 1);; end = system_path.find('/', end + 1)) {
    const std::string part = system_path.substr(0, end);
    if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (end == std::string::npos) break;
  }
  struct stat info;
  return stat(system_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<CListedFile> ListFiles(const std::string& folder) {
  const int descriptor = open(ToSystemPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return {};
  std::vector<CListedFile> files = ListFilesAt(descriptor);
  close(descriptor);
  return files;
}

std::vector<CListedFile> ListFilesAt(int folder) {
  std::vector<CListedFile> files;
  // A descriptor of its own, as reading a folder moves the offset of the one it reads.
  const int descriptor = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return files;
  DIR* dir = fdopendir(descriptor);
  if (dir == nullptr) {
    close(descriptor);
    return files;
  }
  while (const dirent* entry = readdir(dir)) {
    struct stat info;
    if (fstatat(descriptor, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode)) {
      continue;
    }
    files.push_back(
        {entry->d_name, static_cast<int64_t>(info.st_size), ToNanoseconds(info.st_mtim)});
  }
  closedir(dir);
  return files;
}

int64_t WallClockNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return ToNanoseconds(now);
}

std::optional<uint64_t> FreeBytesOn(const std::string& path) {
  struct statvfs info = {};
  if (statvfs(ToSystemPath(path).c_str(), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

}  // namespace gallery
