#ifndef GALLERY_PLATFORM_OWN_FILES_H_
#define GALLERY_PLATFORM_OWN_FILES_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"

namespace gallery {

// An open file, closed with the object.
class CFileHandle {
 public:
  CFileHandle() = default;
  CFileHandle(int descriptor, int64_t size) : descriptor_(descriptor), size_(size) {}
  ~CFileHandle();
  CFileHandle(CFileHandle&& other) noexcept;
  CFileHandle& operator=(CFileHandle&& other) noexcept;

  bool is_open() const { return descriptor_ >= 0; }
  int descriptor() const { return descriptor_; }
  // The size the file had when it was opened, in bytes.
  int64_t size() const { return size_; }

  // Closes the file now; false when the system reported an error, which for a file just
  // written means that its content may not all have reached it.
  bool Close();

 private:
  int descriptor_ = -1;
  int64_t size_ = 0;
};

// The regular file at `path` (links followed), open for reading; not open when it is missing
// or anything else. A FIFO is never waited for.
CFileHandle OpenFileForReading(const std::string& path);

// All of the file from its start, or nothing when it cannot be read or is longer than `limit`.
std::optional<std::string> ReadFileContent(const CFileHandle& file, int64_t limit);

// Writes all of `bytes` at the file's current offset; false when any could not be written.
bool WriteFileContent(const CFileHandle& file, std::string_view bytes);

// Sets the modification time of the open file to now.
bool TouchOpenFile(const CFileHandle& file);

// Copies the whole content of the regular file `from`, from its start, into the empty file
// `to` (opened for reading and writing): as a reflink where the file system offers one, else
// within the kernel, else read and written in bounded pieces. `copied` is handed every byte
// of the copy in order, as it now is in `to`. False when anything could not be read or
// written; `to` may then hold a part.
bool CopyFileContent(int from, int to, const std::function<void(std::string_view)>& copied);

// Why a folder is not one that only this user can change.
enum class FolderRefusal {
  kNone,
  kUnreachable,       // missing and could not be made, or cannot be opened or written
  kLink,              // a symbolic link stands in its place
  kNotAFolder,        // a file or anything else stands in its place
  kForeignOwner,      // it belongs to another user than the one this process runs as
  kWritableByOthers,  // its group or everyone may write to it
  kOpenParent,        // the folder it is in lets another user rename or replace it
};

// What was found under a name of an own folder.
enum class OwnFileCheck {
  kOwn,      // a regular file of this user's that no one else may write to
  kMissing,  // nothing at all
  kNotOwn,   // a link, a folder or other special file, another user's, or writable by others
};

struct COwnFile {
  OwnFileCheck check = OwnFileCheck::kMissing;
  CFileHandle file;  // open for reading when `check` is kOwn
};

// A folder of this user's own, held open and worked in by plain names (no "/" in them), so
// that nothing done in it reaches through a link or into a folder put in its place later.
class COwnFolder {
 public:
  // Opens the folder `path`, making it first, with any folder missing above it, when it is
  // missing; folders made here may be used by this user alone. The folder is refused (and not
  // open) unless it is a real folder, not a link to one, of the effective user, that no other
  // user may write to, in a folder of this user or the superuser that others may write to
  // only when its sticky bit keeps them from renaming what is not theirs.
  explicit COwnFolder(const std::string& path);
  ~COwnFolder();
  COwnFolder(const COwnFolder&) = delete;
  COwnFolder& operator=(const COwnFolder&) = delete;

  bool is_open() const { return descriptor_ >= 0; }
  FolderRefusal refusal() const { return refusal_; }

  // What stands at `name`, never following a link and never waiting on a FIFO.
  COwnFile OpenFile(const std::string& name) const;
  // A new file `name`, for reading and writing by this user alone; not open when `name`
  // exists already or cannot be made.
  CFileHandle CreateFile(const std::string& name) const;
  // Gives the file `from` the name `to`, replacing whatever had that name.
  bool Rename(const std::string& from, const std::string& to) const;
  // Removes `name` when it is a regular file; a link, folder or other special file is left.
  bool RemoveFile(const std::string& name) const;
  // The regular files directly in the folder; links are left out.
  std::vector<CListedFile> ListFiles() const;
  // Takes an exclusive advisory lock on the folder, without waiting; held as long as the
  // returned handle is open, which it is not when the lock is held elsewhere (in this process
  // or another).
  CFileHandle TryLock() const;

 private:
  int descriptor_ = -1;
  FolderRefusal refusal_ = FolderRefusal::kUnreachable;
};

}  // namespace gallery

#endif  // GALLERY_PLATFORM_OWN_FILES_H_
