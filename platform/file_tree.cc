#include "platform/file_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <memory>

#include "platform/file_system.h"

namespace gallery {
namespace {

struct DirClose {
  void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirClose>;

struct DigestFree {
  void operator()(EVP_MD_CTX* digest) const { EVP_MD_CTX_free(digest); }
};
using UniqueDigest = std::unique_ptr<EVP_MD_CTX, DigestFree>;

// Closes a descriptor that no DIR owns.
class CDescriptor {
 public:
  explicit CDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~CDescriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  CDescriptor(const CDescriptor&) = delete;
  CDescriptor& operator=(const CDescriptor&) = delete;

  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

int64_t ToNanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

TreeEntryKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return TreeEntryKind::kFile;
  if (S_ISDIR(mode)) return TreeEntryKind::kFolder;
  if (S_ISLNK(mode)) return TreeEntryKind::kLink;
  return TreeEntryKind::kOther;
}

// Lists the folder open as `descriptor` (which this takes) into `entries`, its entries' paths
// starting with `prefix`; false when it cannot be read. Each subfolder is opened relative to its
// parent and without following links, so that a link swapped in meanwhile is not entered.
bool ListInto(int descriptor, const std::string& prefix, std::vector<CTreeEntry>& entries) {
  UniqueDir dir(fdopendir(descriptor));
  if (dir == nullptr) {
    close(descriptor);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  const int folder = dirfd(dir.get());
  for (const std::string& name : names) {
    struct stat info;
    CTreeEntry entry;
    entry.path = prefix + name;
    if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      // Gone since it was listed, or unreachable: it is still there for all anyone knows.
      entry.listed = false;
      entries.push_back(std::move(entry));
      continue;
    }
    entry.kind = KindOf(info.st_mode);
    entry.inode = static_cast<uint64_t>(info.st_ino);
    entry.size = static_cast<int64_t>(info.st_size);
    entry.modified_ns = ToNanoseconds(info.st_mtim);
    entry.changed_ns = ToNanoseconds(info.st_ctim);
    const bool is_folder = entry.kind == TreeEntryKind::kFolder;
    entries.push_back(std::move(entry));
    if (!is_folder) continue;
    const int inner = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const size_t at = entries.size() - 1;
    if (inner < 0 || !ListInto(inner, prefix + name + "/", entries)) entries[at].listed = false;
  }
  return true;
}

UniqueDigest StartSha256() {
  UniqueDigest digest(EVP_MD_CTX_new());
  if (digest == nullptr || EVP_DigestInit_ex(digest.get(), EVP_sha256(), nullptr) != 1) {
    return nullptr;
  }
  return digest;
}

// The sum of `digest` as lower-case hexadecimal digits; nothing when it cannot be finished.
std::optional<std::string> FinishDigest(EVP_MD_CTX* digest) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> sum;
  unsigned int sum_size = 0;
  if (EVP_DigestFinal_ex(digest, sum.data(), &sum_size) != 1) return std::nullopt;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < sum_size; ++i) {
    text += kHex[sum[i] >> 4];
    text += kHex[sum[i] & 0xF];
  }
  return text;
}

// The SHA-256 of the rest of the open regular file `descriptor`, read in pieces of bounded
// size, as 64 lower-case hexadecimal digits; nothing when it cannot be read to its end.
std::optional<std::string> HashOpenFile(int descriptor) {
  UniqueDigest digest = StartSha256();
  if (digest == nullptr) return std::nullopt;
  std::array<unsigned char, 1 << 16> piece;
  for (;;) {
    const ssize_t got = read(descriptor, piece.data(), piece.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (EVP_DigestUpdate(digest.get(), piece.data(), static_cast<size_t>(got)) != 1) {
      return std::nullopt;
    }
  }
  return FinishDigest(digest.get());
}

// True when `info` is of a regular file with the status `expected`.
bool HasStatus(const struct stat& info, const CFileStatus& expected) {
  return S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_dev) == expected.device &&
         static_cast<uint64_t>(info.st_ino) == expected.inode &&
         static_cast<int64_t>(info.st_size) == expected.size &&
         ToNanoseconds(info.st_mtim) == expected.modified_ns &&
         ToNanoseconds(info.st_ctim) == expected.changed_ns;
}

}  // namespace

std::vector<CTreeEntry> ListTree(const std::string& folder) {
  std::vector<CTreeEntry> entries;
  const int descriptor = open(ToSystemPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor >= 0) static_cast<void>(ListInto(descriptor, "", entries));
  return entries;
}

std::optional<std::string> HashBytes(std::string_view bytes) {
  UniqueDigest digest = StartSha256();
  if (digest == nullptr || EVP_DigestUpdate(digest.get(), bytes.data(), bytes.size()) != 1) {
    return std::nullopt;
  }
  return FinishDigest(digest.get());
}

std::optional<std::string> HashFileContent(const std::string& path) {
  // Non-blocking, so that a FIFO put in a file's place cannot hold the open.
  CDescriptor file(
      open(ToSystemPath(path).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info;
  if (file.get() < 0 || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  return HashOpenFile(file.get());
}

std::optional<std::string> HashFileOfStatus(const std::string& path, const CFileStatus& expected) {
  CDescriptor file(open(ToSystemPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info;
  if (file.get() < 0 || fstat(file.get(), &info) != 0 || !HasStatus(info, expected)) {
    return std::nullopt;
  }
  std::optional<std::string> digest = HashOpenFile(file.get());
  // Every write to the file since it was opened shows in its change time or size.
  if (!digest || fstat(file.get(), &info) != 0 || !HasStatus(info, expected)) return std::nullopt;
  return digest;
}

}  // namespace gallery
