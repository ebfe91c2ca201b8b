#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

namespace gallery {
namespace {

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) close(fd);
  }
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace

std::string ToSystemPath(std::string_view path) {
  std::string system_path(path);
  std::replace(system_path.begin(), system_path.end(), '\\', '/');
  return system_path;
}

std::string ParentFolder(std::string_view path) {
  size_t separator = path.find_last_of("/\\");
  if (separator == std::string_view::npos) return ".";
  return std::string(path.substr(0, separator));
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  // O_NONBLOCK keeps a FIFO in the file's place from blocking the open; fstat then refuses it.
  FdCloser file{open(ToSystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  if (file.fd < 0) return std::nullopt;
  struct stat info;
  if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t count = read(file.fd, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<size_t>(count));
  }
  return bytes;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  return WriteFileWith(path, [bytes](int descriptor) { return WriteAll(descriptor, bytes); });
}

bool WriteFileWith(const std::string& path, const std::function<bool(int descriptor)>& write) {
  static std::atomic<unsigned> temporary_count{0};
  const std::string target = ToSystemPath(path);
  std::string temporary;
  int fd = -1;
  // The temporary name is unique to this process and write; O_EXCL refuses a leftover of
  // another process that happens to have the same name, and the next name is tried.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = target;
    temporary += '.';
    temporary += std::to_string(getpid());
    temporary += '-';
    temporary += std::to_string(temporary_count.fetch_add(1));
    temporary += ".tmp";
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = write(fd);
  ok = close(fd) == 0 && ok;
  if (ok && rename(temporary.c_str(), target.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

bool IsReadableFile(const std::string& path) {
  std::string system_path = ToSystemPath(path);
  struct stat info;
  return stat(system_path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         access(system_path.c_str(), R_OK) == 0;
}

bool CreateFolder(const std::string& path) {
  std::string system_path = ToSystemPath(path);
  if (mkdir(system_path.c_str(), 0777) == 0) return true;
  struct stat info;
  return errno == EEXIST && stat(system_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RemoveFile(const std::string& path) { return unlink(ToSystemPath(path).c_str()) == 0; }

bool IsSameFile(const std::string& first, const std::string& second) {
  struct stat a;
  struct stat b;
  return stat(ToSystemPath(first).c_str(), &a) == 0 &&
         stat(ToSystemPath(second).c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

}  // namespace gallery
