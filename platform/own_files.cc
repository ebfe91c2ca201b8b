#include "platform/own_files.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/file_system.h"

namespace gallery {
namespace {

// Reads and copies go in pieces of this size, so that no file is ever held whole in memory.
constexpr size_t kPieceBytes = size_t{1} << 17;

// A name directly in a folder: no separator, and neither "." nor "..", which lead elsewhere.
bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool WritableByOthers(const struct stat& info) { return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0; }

bool WriteAll(int file, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(file, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Hands `copied` the content of `file` from its start, in pieces; false on a read error.
bool ReadBack(int file, const std::function<void(std::string_view)>& copied) {
  std::string piece(kPieceBytes, '\0');
  for (off_t offset = 0;;) {
    const ssize_t count = pread(file, piece.data(), piece.size(), offset);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (count == 0) return true;
    copied(std::string_view(piece.data(), static_cast<size_t>(count)));
    offset += count;
  }
}

// True when the kernel copied all of `from` into `to`; nothing when it cannot copy
// these two files at all (then nothing was written).
std::optional<bool> CopyInKernel(int from, int to) {
  loff_t in = 0;
  loff_t out = 0;
  for (;;) {
    const ssize_t count = copy_file_range(from, &in, to, &out, size_t{1} << 30, 0);
    if (count > 0) continue;
    if (count == 0) return true;
    if (errno == EINTR) continue;
    // Two file systems it cannot copy between, or files of a kind it does not copy.
    if (out == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                     errno == EBADF || errno == EPERM)) {
      return std::nullopt;
    }
    return false;
  }
}

// Each folder of `path` from the top down made when missing, private to this user.
bool MakeFolders(const std::string& path) {
  for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string part = path.substr(0, end);
    if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (end == std::string::npos) return true;
  }
}

// Why the folder `parent_folder`, the parent of an own folder, does not keep others from
// replacing it; kNone when it does.
FolderRefusal CheckParent(int parent_folder) {
  struct stat info;
  if (fstat(parent_folder, &info) != 0) return FolderRefusal::kUnreachable;
  if (info.st_uid != geteuid() && info.st_uid != 0) return FolderRefusal::kOpenParent;
  if (WritableByOthers(info) && (info.st_mode & S_ISVTX) == 0) return FolderRefusal::kOpenParent;
  return FolderRefusal::kNone;
}

}  // namespace

CFileHandle::~CFileHandle() { static_cast<void>(Close()); }

CFileHandle::CFileHandle(CFileHandle&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), size_(other.size_) {}

CFileHandle& CFileHandle::operator=(CFileHandle&& other) noexcept {
  if (this != &other) {
    static_cast<void>(Close());
    descriptor_ = std::exchange(other.descriptor_, -1);
    size_ = other.size_;
  }
  return *this;
}

bool CFileHandle::Close() {
  if (descriptor_ < 0) return true;
  return close(std::exchange(descriptor_, -1)) == 0;
}

CFileHandle OpenFileForReading(const std::string& path) {
  const int descriptor = open(ToSystemPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return {};
  struct stat info;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(descriptor);
    return {};
  }
  return CFileHandle(descriptor, info.st_size);
}

std::optional<std::string> ReadFileContent(const CFileHandle& file, int64_t limit) {
  std::string bytes;
  bool too_long = false;
  const bool read = ReadBack(file.descriptor(), [&](std::string_view piece) {
    too_long = too_long || static_cast<int64_t>(bytes.size() + piece.size()) > limit;
    if (!too_long) bytes.append(piece);
  });
  if (!read || too_long) return std::nullopt;
  return bytes;
}

bool WriteFileContent(const CFileHandle& file, std::string_view bytes) {
  return WriteAll(file.descriptor(), bytes);
}

bool TouchOpenFile(const CFileHandle& file) { return futimens(file.descriptor(), nullptr) == 0; }

bool CopyFileContent(int from, int to, const std::function<void(std::string_view)>& copied) {
  if (ioctl(to, FICLONE, from) == 0) return ReadBack(to, copied);
  if (const std::optional<bool> in_kernel = CopyInKernel(from, to)) {
    return *in_kernel && ReadBack(to, copied);
  }
  std::string piece(kPieceBytes, '\0');
  for (;;) {
    const ssize_t count = read(from, piece.data(), piece.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (count == 0) return true;
    const std::string_view bytes(piece.data(), static_cast<size_t>(count));
    if (!WriteAll(to, bytes)) return false;
    copied(bytes);
  }
}

COwnFolder::COwnFolder(const std::string& path) {
  std::string folder = ToSystemPath(path);
  while (folder.size() > 1 && folder.ends_with('/')) folder.pop_back();
  const size_t separator = folder.rfind('/');
  const std::string name = separator == std::string::npos ? folder : folder.substr(separator + 1);
  const std::string parent = separator == std::string::npos ? "."
                             : separator == 0               ? "/"
                                                            : folder.substr(0, separator);
  if (!IsPlainName(name)) return;
  if (parent != "." && parent != "/" && !MakeFolders(parent)) return;
  // The parent is reached as its path says, links and all: a cache kept on another disk
  // through a link is the user's own choice. The folder itself never is a link.
  const CFileHandle parent_folder(open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), 0);
  if (!parent_folder.is_open()) return;
  if (mkdirat(parent_folder.descriptor(), name.c_str(), 0700) != 0 && errno != EEXIST) return;
  const int descriptor = openat(parent_folder.descriptor(), name.c_str(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat info;
  if (descriptor < 0) {
    if (fstatat(parent_folder.descriptor(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
      refusal_ = S_ISLNK(info.st_mode)    ? FolderRefusal::kLink
                 : !S_ISDIR(info.st_mode) ? FolderRefusal::kNotAFolder
                                          : FolderRefusal::kUnreachable;
    }
    return;
  }
  if (fstat(descriptor, &info) != 0) {
    refusal_ = FolderRefusal::kUnreachable;
  } else if (info.st_uid != geteuid()) {
    refusal_ = FolderRefusal::kForeignOwner;
  } else if (WritableByOthers(info)) {
    refusal_ = FolderRefusal::kWritableByOthers;
  } else if (faccessat(descriptor, ".", W_OK | X_OK, AT_EACCESS) != 0) {
    refusal_ = FolderRefusal::kUnreachable;
  } else {
    refusal_ = CheckParent(parent_folder.descriptor());
  }
  if (refusal_ == FolderRefusal::kNone) {
    descriptor_ = descriptor;
  } else {
    close(descriptor);
  }
}

COwnFolder::~COwnFolder() {
  if (descriptor_ >= 0) close(descriptor_);
}

COwnFile COwnFolder::OpenFile(const std::string& name) const {
  COwnFile found;
  if (!is_open() || !IsPlainName(name)) return found;
  struct stat info;
  if (fstatat(descriptor_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) found.check = OwnFileCheck::kNotOwn;
    return found;
  }
  found.check = OwnFileCheck::kNotOwn;
  // Opening a device can have effects of its own, so only a regular file is opened at all;
  // O_NONBLOCK keeps a FIFO put in its place meanwhile from blocking the open.
  if (!S_ISREG(info.st_mode)) return found;
  const int descriptor =
      openat(descriptor_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    if (errno == ENOENT) found.check = OwnFileCheck::kMissing;
    return found;
  }
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
      WritableByOthers(info)) {
    close(descriptor);
    return found;
  }
  found.check = OwnFileCheck::kOwn;
  found.file = CFileHandle(descriptor, info.st_size);
  return found;
}

CFileHandle COwnFolder::CreateFile(const std::string& name) const {
  if (!is_open() || !IsPlainName(name)) return {};
  return CFileHandle(
      openat(descriptor_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600),
      0);
}

bool COwnFolder::Rename(const std::string& from, const std::string& to) const {
  return is_open() && IsPlainName(from) && IsPlainName(to) &&
         renameat(descriptor_, from.c_str(), descriptor_, to.c_str()) == 0;
}

bool COwnFolder::RemoveFile(const std::string& name) const {
  struct stat info;
  // No one else may write to the folder, so what was looked at is what is removed.
  return is_open() && IsPlainName(name) &&
         fstatat(descriptor_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(info.st_mode) && unlinkat(descriptor_, name.c_str(), 0) == 0;
}

std::vector<CListedFile> COwnFolder::ListFiles() const {
  if (!is_open()) return {};
  return ListFilesAt(descriptor_);
}

CFileHandle COwnFolder::TryLock() const {
  if (!is_open()) return {};
  // A descriptor of its own, so that the lock belongs to this holder alone.
  CFileHandle lock(openat(descriptor_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC), 0);
  if (!lock.is_open()) return lock;
  while (flock(lock.descriptor(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return {};
  }
  return lock;
}

}  // namespace gallery
