#ifndef GALLERY_PLATFORM_FILE_SYSTEM_H_
#define GALLERY_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gallery {

// Every path handed to these functions may use "\" as a separator; it becomes "/" before the
// operating system sees it.
std::string ToSystemPath(std::string_view path);

// The folder part of `path`: everything before its last "/" or "\", or "." when it has neither.
std::string ParentFolder(std::string_view path);

// The whole content of a regular file, or nothing when it cannot be read (missing, a folder,
// unreadable, or not a regular file). Anything but a regular file is not even opened, so a
// device or FIFO sees no open.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Why a file could not be written, from the error of the step that failed.
enum class WriteFailure {
  kNone,              // it was written
  kNoSpace,           // the file system is full (ENOSPC)
  kQuota,             // the disk quota is reached (EDQUOT)
  kFileSizeLimit,     // the process's file-size limit, or the largest file there (EFBIG)
  kNoPermission,      // EACCES, EPERM
  kReadOnly,          // the file system is mounted read-only (EROFS)
  kNoFolder,          // the folder it goes into is missing, or no folder (ENOENT, ENOTDIR)
  kUnreadableSource,  // a copy whose source could not be read
  kEnding,            // the process is ending (RemoveLiveTemporaryFiles): nothing more is written
  kOther,             // any other error (EIO ...), or bytes that were never made
};

// The cause of a failed write that set `error` (an errno value).
WriteFailure WriteFailureFromError(int error);

// Writes `bytes` to a temporary file beside `path` and renames it into place, so that `path`
// holds either its old content or the complete new one, never a part. Returns false and leaves
// no temporary file behind when any step fails.
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// `WriteFileBytes`, telling why it failed.
WriteFailure TryWriteFileBytes(const std::string& path, std::string_view bytes);

// The file at `source` written to `path` as `WriteFileBytes` does, read and written in pieces
// of a fixed size, so that a file of any size needs no more memory than one piece.
WriteFailure CopyFileBytes(const std::string& source, const std::string& path);

// Like `WriteFileBytes`, but never replaces anything: false when `path` exists already.
bool WriteNewFileBytes(const std::string& path, std::string_view bytes);
// `WriteNewFileBytes`, telling why it failed (an existing `path` is kOther: look at it to tell).
WriteFailure TryWriteNewFileBytes(const std::string& path, std::string_view bytes);

// True when `path` names a regular file that this process may read.
bool IsReadableFile(const std::string& path);

// Like `WriteFileBytes`, with the bytes written by `write` to the open temporary file, which
// returns false when it could not write them all; it may read them back, as the file is open
// for reading too. The temporary file is named
// `path` + "." + process id + "-" + a number + ".tmp".
bool WriteFileWith(const std::string& path, const std::function<bool(int descriptor)>& write);
// `WriteFileWith`, telling why it failed. When `write` returns false the file is tried once
// more where its writing ended; the error of that try is the cause, and kOther when it went
// through (then `write` failed for a reason of its own).
WriteFailure TryWriteFileWith(const std::string& path,
                              const std::function<bool(int descriptor)>& write);

// The file name that a temporary file named `name` was written for by `WriteFileWith` (of any
// process), or nothing when `name` is not of that exact form.
std::optional<std::string> TemporaryFileTarget(std::string_view name);

// Removes the regular files directly in `folder` that are temporary files of `WriteFileWith`
// written for a name that `is_target` accepts; anything else is left alone. The caller makes
// sure that no other process is writing there. Returns how many were removed.
int RemoveTemporaryFiles(const std::string& folder,
                         const std::function<bool(std::string_view name)>& is_target);

// Removes the temporary files that writes of this process have open right now and the files
// held by a `COwnNewFile`, and makes every later write fail before it creates one.
// Async-signal-safe: it is for a handler that then ends the process. A write running on another
// thread as this is called either has its temporary file removed or creates none.
void RemoveLiveTemporaryFiles();

// A file this process has just created that stays its own until kept: removed when the object
// is dropped, unless `Keep` was called, and until then also by `RemoveLiveTemporaryFiles`, so
// that a process ended by a signal leaves it behind no more than a temporary file. The caller
// makes sure that the file is this process's own (it created it, say with `WriteNewFileBytes`).
// A file is not seen by `RemoveLiveTemporaryFiles` when every slot for names is taken.
class COwnNewFile {
 public:
  explicit COwnNewFile(std::string path);
  ~COwnNewFile();
  COwnNewFile(const COwnNewFile&) = delete;
  COwnNewFile& operator=(const COwnNewFile&) = delete;

  // The file stays for good.
  void Keep();

 private:
  std::string path_;  // empty once kept
  int slot_ = -1;     // where a signal handler finds the name, if anywhere
};

// A new content for the existing file `path`, written beside it and put in its place in one
// step (a `path` that is a symbolic link keeps it: the file it leads to gets the content, beside
// that file): the temporary file (named as `WriteFileWith` names its own) is written whole, given the
// permission bits of `path` and flushed to the disk by `Write`, and renamed over `path` (the
// folder then flushed too) only by `Commit`. Until then `path` is untouched, and the temporary
// file goes when the object is dropped, or is held as a `COwnNewFile` holds its file.
class CFileReplacement {
 public:
  explicit CFileReplacement(std::string path);
  ~CFileReplacement();
  CFileReplacement(const CFileReplacement&) = delete;
  CFileReplacement& operator=(const CFileReplacement&) = delete;

  // Once, before `Commit`.
  WriteFailure Write(std::string_view bytes);
  // After a `Write` that succeeded.
  WriteFailure Commit();

 private:
  std::string path_;
  std::string target_;     // the file `path_` leads to, as the system names it; set by `Write`
  std::string temporary_;  // empty until written, and again once committed or removed
  std::unique_ptr<COwnNewFile> own_;
};

// Creates one folder (not its parents). An existing folder counts as success.
bool CreateFolder(const std::string& path);

// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& path);

// Removes `path` when it is a regular file or a symbolic link (the link itself, wherever it
// points); a folder, FIFO, device or socket is left alone. False when nothing was removed.
bool RemoveFileOrLink(const std::string& path);

// True when both paths name one existing file.
bool IsSameFile(const std::string& first, const std::string& second);

// The position in `candidates` of the first that is the same existing file as one of `files`
// (same device and inode, whatever links lead there), or nothing. Each path is looked up once.
std::optional<size_t> FindSameFile(const std::vector<std::string>& candidates,
                                   const std::vector<std::string>& files);

// An exclusive advisory lock on a folder itself (nothing is added to it), held for the
// object's life. Taking it waits as long as another holder has it, in this process or any
// other, unless `wait` is false. A folder that cannot be opened or locked (or, without `wait`,
// is locked already) leaves the lock not held.
class CFolderLock {
 public:
  explicit CFolderLock(const std::string& folder, bool wait = true);
  ~CFolderLock();
  CFolderLock(const CFolderLock&) = delete;
  CFolderLock& operator=(const CFolderLock&) = delete;

  bool held() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

}  // namespace gallery

#endif  // GALLERY_PLATFORM_FILE_SYSTEM_H_
