#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

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

// The temporary files that writes have open, where a signal handler can find them: fixed
// slots, so that filling one needs no allocation and reading them needs no lock. A slot's word
// holds its state in the low two bits and, above them, a count of how often it was taken,
// which lets the handler tell that a name it copied was not rewritten meanwhile.
enum : unsigned { kSlotFree = 0, kSlotHeld = 1, kSlotCreating = 2, kSlotLive = 3 };
constexpr unsigned kSlotStateMask = 3;
constexpr unsigned kSlotTaken = 4;
constexpr int kTemporarySlots = 32;

struct CTemporarySlot {
  std::atomic<unsigned> word{kSlotFree};
  // Characters of their own: a handler may copy a name while a write on another thread renames
  // the slot, and only the count in `word` tells afterwards whether it did.
  std::atomic<char> path[PATH_MAX];
};

static_assert(std::atomic<unsigned>::is_always_lock_free &&
                  std::atomic<bool>::is_always_lock_free && std::atomic<char>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

// Process-wide by nature: a signal handler has no other way to reach them.
CTemporarySlot temporary_slots[kTemporarySlots];
std::atomic<bool> temporaries_ending{false};

void SetSlotState(CTemporarySlot& slot, unsigned state) {
  unsigned word = slot.word.load();
  slot.word.store((word & ~kSlotStateMask) | state);
}

// A free slot, now held, or null when all are taken.
CTemporarySlot* ClaimSlot() {
  for (CTemporarySlot& slot : temporary_slots) {
    unsigned word = slot.word.load();
    if ((word & kSlotStateMask) == kSlotFree &&
        slot.word.compare_exchange_strong(word, word + kSlotTaken + kSlotHeld)) {
      return &slot;
    }
  }
  return nullptr;
}

// Writes `path` into the held `slot`, which is then in `state`; false (the slot still held)
// when the name does not fit.
bool NameSlot(CTemporarySlot& slot, const std::string& path, unsigned state) {
  if (path.size() >= PATH_MAX) return false;
  // Counted as taken again: the name is about to change.
  // An exchange rather than a store, so that no character of the new name goes before the count
  // that marks it.
  static_cast<void>(
      slot.word.exchange(((slot.word.load() & ~kSlotStateMask) + kSlotTaken) | kSlotHeld));
  for (size_t i = 0; i < path.size(); ++i) slot.path[i].store(path[i], std::memory_order_relaxed);
  slot.path[path.size()].store('\0', std::memory_order_relaxed);
  SetSlotState(slot, state);
  return true;
}

// One write's claim on a slot, if any is free (a write without one still works; a signal then
// leaves its temporary file for the next run to remove).
class CTemporaryClaim {
 public:
  CTemporaryClaim() : slot_(ClaimSlot()) {}
  ~CTemporaryClaim() {
    if (slot_ != nullptr) SetSlotState(*slot_, kSlotFree);
  }
  CTemporaryClaim(const CTemporaryClaim&) = delete;
  CTemporaryClaim& operator=(const CTemporaryClaim&) = delete;

  // Creates the temporary file `path` exclusively; its descriptor, or -1 with errno set.
  int Create(const std::string& path) {
    CTemporarySlot* slot =
        slot_ != nullptr && NameSlot(*slot_, path, kSlotCreating) ? slot_ : nullptr;
    // Announcing the name before looking at the flag, while the handler sets the flag before
    // looking at the names, means that one of the two always sees the other.
    if (temporaries_ending.load()) {
      if (slot != nullptr) SetSlotState(*slot, kSlotHeld);
      errno = ECANCELED;
      return -1;
    }
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (slot != nullptr) SetSlotState(*slot, fd >= 0 ? kSlotLive : kSlotHeld);
    return fd;
  }

 private:
  CTemporarySlot* slot_ = nullptr;
};

// A decimal number as std::to_string writes it: digits only, no leading zero.
bool IsDecimal(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
         (text[0] != '0' || text.size() == 1);
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
  const std::string system_path = ToSystemPath(path);
  struct stat info;
  // Opening a device can have effects of its own, so only a regular file is opened at all.
  if (stat(system_path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  // O_NONBLOCK keeps a FIFO put in the file's place meanwhile from blocking the open; fstat
  // then refuses it.
  FdCloser file{open(system_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  if (file.fd < 0) return std::nullopt;
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

WriteFailure WriteFailureFromError(int error) {
  switch (error) {
    case ENOSPC:
      return WriteFailure::kNoSpace;
    case EDQUOT:
      return WriteFailure::kQuota;
    case EFBIG:
      return WriteFailure::kFileSizeLimit;
    case EACCES:
    case EPERM:
      return WriteFailure::kNoPermission;
    case EROFS:
      return WriteFailure::kReadOnly;
    case ENOENT:
    case ENOTDIR:
      return WriteFailure::kNoFolder;
    case ECANCELED:
      return WriteFailure::kEnding;
    default:
      return WriteFailure::kOther;
  }
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  return TryWriteFileBytes(path, bytes) == WriteFailure::kNone;
}

WriteFailure TryWriteFileBytes(const std::string& path, std::string_view bytes) {
  return TryWriteFileWith(path, [bytes](int descriptor) { return WriteAll(descriptor, bytes); });
}

namespace {

// True when the file `from` could be given the name `to`, which must not exist, and lost its
// own name.
bool RenameToNewName(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  // A file system without that kind of rename mostly has hard links.
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  return link(from.c_str(), to.c_str()) == 0 && unlink(from.c_str()) == 0;
}

// Why writing into `descriptor` stopped: a writer may not say (an encoder writing from threads
// of its own), so the file is tried once more where it ends. More than a block is written, as
// the last block may still have room.
WriteFailure ProbeWriteFailure(int descriptor) {
  struct stat info;
  if (fstat(descriptor, &info) != 0) return WriteFailureFromError(errno);
  static const std::string probe(1 << 16, '\0');
  // A write that reaches a limit part way is cut short; the next one gets the error.
  for (size_t done = 0; done < probe.size();) {
    const ssize_t written =
        pwrite(descriptor, probe.data() + done, probe.size() - done, info.st_size + done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? WriteFailureFromError(errno) : WriteFailure::kOther;
    done += static_cast<size_t>(written);
  }
  return WriteFailure::kOther;
}

// `TryWriteFileWith`; with `replace` false, a `path` that exists is kept and the write fails.
WriteFailure WriteThroughTemporary(const std::string& path,
                                   const std::function<bool(int descriptor)>& write, bool replace) {
  static std::atomic<unsigned> temporary_count{0};
  const std::string target = ToSystemPath(path);
  CTemporaryClaim claim;
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
    fd = claim.Create(temporary);
    if (fd < 0 && errno != EEXIST) return WriteFailureFromError(errno);
  }
  if (fd < 0) return WriteFailure::kOther;
  WriteFailure failure = write(fd) ? WriteFailure::kNone : ProbeWriteFailure(fd);
  // A file system that stores data late (NFS, quotas) may only refuse it on close.
  if (close(fd) != 0 && failure == WriteFailure::kNone) failure = WriteFailureFromError(errno);
  if (failure == WriteFailure::kNone) {
    const bool renamed = replace ? rename(temporary.c_str(), target.c_str()) == 0
                                 : RenameToNewName(temporary, target);
    if (renamed) return WriteFailure::kNone;
    failure = WriteFailureFromError(errno);
  }
  unlink(temporary.c_str());
  // Whatever step failed, it may have failed because the process is ending, which removed the
  // temporary file under it.
  return temporaries_ending.load() ? WriteFailure::kEnding : failure;
}

}  // namespace

bool WriteFileWith(const std::string& path, const std::function<bool(int descriptor)>& write) {
  return TryWriteFileWith(path, write) == WriteFailure::kNone;
}

WriteFailure TryWriteFileWith(const std::string& path,
                              const std::function<bool(int descriptor)>& write) {
  return WriteThroughTemporary(path, write, true);
}

bool WriteNewFileBytes(const std::string& path, std::string_view bytes) {
  return TryWriteNewFileBytes(path, bytes) == WriteFailure::kNone;
}

WriteFailure TryWriteNewFileBytes(const std::string& path, std::string_view bytes) {
  return WriteThroughTemporary(
      path, [bytes](int descriptor) { return WriteAll(descriptor, bytes); }, false);
}

WriteFailure CopyFileBytes(const std::string& source, const std::string& path) {
  const std::string system_source = ToSystemPath(source);
  struct stat info;
  if (stat(system_source.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return WriteFailure::kUnreadableSource;
  }
  FdCloser from{open(system_source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  if (from.fd < 0 || fstat(from.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    return WriteFailure::kUnreadableSource;
  }
  bool unreadable = false;
  const WriteFailure failure = TryWriteFileWith(path, [&](int descriptor) {
    char buffer[1 << 16];
    for (;;) {
      const ssize_t count = read(from.fd, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) {
        unreadable = true;
        return false;
      }
      if (count == 0) return true;
      if (!WriteAll(descriptor, {buffer, static_cast<size_t>(count)})) return false;
    }
  });
  return unreadable ? WriteFailure::kUnreadableSource : failure;
}

std::optional<std::string> TemporaryFileTarget(std::string_view name) {
  constexpr std::string_view kEnd = ".tmp";
  if (!name.ends_with(kEnd)) return std::nullopt;
  name.remove_suffix(kEnd.size());
  const size_t dash = name.rfind('-');
  if (dash == std::string_view::npos || !IsDecimal(name.substr(dash + 1))) return std::nullopt;
  name = name.substr(0, dash);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  const std::string_view process = name.substr(dot + 1);
  if (!IsDecimal(process) || process == "0") return std::nullopt;
  return std::string(name.substr(0, dot));
}

int RemoveTemporaryFiles(const std::string& folder,
                         const std::function<bool(std::string_view name)>& is_target) {
  const std::string system_folder = ToSystemPath(folder);
  DIR* dir = opendir(system_folder.c_str());
  if (dir == nullptr) return 0;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    std::optional<std::string> target = TemporaryFileTarget(entry->d_name);
    if (target && is_target(*target)) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  int removed = 0;
  for (const std::string& name : names) {
    const std::string path = system_folder + "/" + name;
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && unlink(path.c_str()) == 0) {
      ++removed;
    }
  }
  return removed;
}

void RemoveLiveTemporaryFiles() {
  temporaries_ending.store(true);
  for (CTemporarySlot& slot : temporary_slots) {
    unsigned word = slot.word.load();
    // A write between announcing its name and creating the file gets a moment to finish, so
    // that its file is not created after the name was removed. If it was interrupted on this
    // very thread it never finishes: its name is removed anyway, in case the file exists.
    for (int wait = 0; (word & kSlotStateMask) == kSlotCreating && wait < 100; ++wait) {
      const timespec millisecond = {0, 1000000};
      nanosleep(&millisecond, nullptr);
      word = slot.word.load();
    }
    const unsigned state = word & kSlotStateMask;
    if (state != kSlotCreating && state != kSlotLive) continue;
    char path[PATH_MAX];
    size_t length = 0;
    while (length + 1 < sizeof path) {
      // Acquiring, so that the count is read again only after every character.
      const char c = slot.path[length].load(std::memory_order_acquire);
      if (c == '\0') break;
      path[length++] = c;
    }
    path[length] = '\0';
    // A slot taken again while the name was copied may have mixed two names: left alone.
    if ((slot.word.load() & ~kSlotStateMask) == (word & ~kSlotStateMask)) unlink(path);
  }
}

COwnNewFile::COwnNewFile(std::string path) : path_(std::move(path)) {
  CTemporarySlot* slot = ClaimSlot();
  if (slot == nullptr) return;
  if (!NameSlot(*slot, ToSystemPath(path_), kSlotLive)) {
    SetSlotState(*slot, kSlotFree);
    return;
  }
  slot_ = static_cast<int>(slot - temporary_slots);
}

COwnNewFile::~COwnNewFile() {
  if (path_.empty()) return;
  static_cast<void>(RemoveFile(path_));
  // Freed only once the file is gone, so that a handler never misses it.
  if (slot_ >= 0) SetSlotState(temporary_slots[slot_], kSlotFree);
}

void COwnNewFile::Keep() {
  if (slot_ >= 0) SetSlotState(temporary_slots[slot_], kSlotFree);
  slot_ = -1;
  path_.clear();
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

bool RemoveFileOrLink(const std::string& path) {
  const std::string system_path = ToSystemPath(path);
  struct stat info;
  return lstat(system_path.c_str(), &info) == 0 &&
         (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) && unlink(system_path.c_str()) == 0;
}

bool IsSameFile(const std::string& first, const std::string& second) {
  struct stat a;
  struct stat b;
  return stat(ToSystemPath(first).c_str(), &a) == 0 &&
         stat(ToSystemPath(second).c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

std::optional<size_t> FindSameFile(const std::vector<std::string>& candidates,
                                   const std::vector<std::string>& files) {
  std::map<std::pair<dev_t, ino_t>, size_t> known;  // the first candidate of each file
  for (size_t i = 0; i < candidates.size(); ++i) {
    struct stat info;
    if (stat(ToSystemPath(candidates[i]).c_str(), &info) == 0) {
      known.emplace(std::make_pair(info.st_dev, info.st_ino), i);
    }
  }
  std::optional<size_t> first;
  if (known.empty()) return first;
  for (const std::string& file : files) {
    struct stat info;
    if (stat(ToSystemPath(file).c_str(), &info) != 0) continue;
    auto found = known.find(std::make_pair(info.st_dev, info.st_ino));
    if (found != known.end() && (!first || found->second < *first)) first = found->second;
  }
  return first;
}

CFolderLock::CFolderLock(const std::string& folder, bool wait) {
  // The folder "" is the root of a path such as "/c.xml".
  const std::string system_folder = folder.empty() ? "/" : ToSystemPath(folder);
  int fd = open(system_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  while (flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) {
      close(fd);
      return;
    }
  }
  descriptor_ = fd;
}

CFolderLock::~CFolderLock() {
  // Closing the only descriptor of the open folder releases the lock.
  if (descriptor_ >= 0) close(descriptor_);
}

}  // namespace gallery

namespace gallery {

CFileReplacement::CFileReplacement(std::string path) : path_(std::move(path)) {}

CFileReplacement::~CFileReplacement() {
  // The file of `own_` goes with it.
  own_.reset();
}

WriteFailure CFileReplacement::Write(std::string_view bytes) {
  if (!temporary_.empty()) return WriteFailure::kOther;
  static std::atomic<unsigned> replacement_count{0};
  struct stat info;
  if (stat(ToSystemPath(path_).c_str(), &info) != 0) return WriteFailureFromError(errno);
  // Renaming over a link would put a file in its place and leave the file it leads to as it
  // was: the file itself is replaced, in its own folder.
  std::unique_ptr<char, decltype(&free)> resolved(realpath(ToSystemPath(path_).c_str(), nullptr),
                                                  &free);
  if (!resolved) return WriteFailureFromError(errno);
  target_ = resolved.get();
  const std::string& target = target_;
  int fd = -1;
  std::string temporary;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = target + "." + std::to_string(getpid()) + "-r" +
                std::to_string(replacement_count.fetch_add(1)) + ".tmp";
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return WriteFailureFromError(errno);
  }
  if (fd < 0) return WriteFailure::kOther;
  own_ = std::make_unique<COwnNewFile>(temporary);
  temporary_ = temporary;
  FdCloser closer{fd};
  if (!WriteAll(fd, bytes) || fchmod(fd, info.st_mode & 07777) != 0 || fsync(fd) != 0) {
    const WriteFailure failure = WriteFailureFromError(errno);
    own_.reset();
    temporary_.clear();
    return failure;
  }
  closer.fd = -1;
  if (close(fd) != 0) {
    const WriteFailure failure = WriteFailureFromError(errno);
    own_.reset();
    temporary_.clear();
    return failure;
  }
  return WriteFailure::kNone;
}

WriteFailure CFileReplacement::Commit() {
  if (temporary_.empty() || !own_) return WriteFailure::kOther;
  if (rename(temporary_.c_str(), target_.c_str()) != 0) {
    const WriteFailure failure = WriteFailureFromError(errno);
    own_.reset();
    temporary_.clear();
    return failure;
  }
  own_->Keep();
  own_.reset();
  temporary_.clear();
  // The new name lasts only once the folder that holds it is on the disk as well.
  const std::string folder_path = target_.substr(0, std::max<size_t>(target_.rfind('/'), 1));
  FdCloser folder{open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (folder.fd >= 0) static_cast<void>(fsync(folder.fd));
  return WriteFailure::kNone;
}

}  // namespace gallery
