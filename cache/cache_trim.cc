#include "cache/cache_trim.h"

#include <algorithm>
#include <map>
#include <optional>

#include "cache/cache_entry.h"
#include "platform/file_system.h"
#include "platform/own_files.h"

namespace gallery {
namespace {

// The two halves of one entry, as far as they were found.
struct CEntryFiles {
  const CListedFile* image = nullptr;
  const CListedFile* record = nullptr;
};

}  // namespace

std::vector<std::string> ChooseFilesToTrim(const std::vector<CListedFile>& files, int64_t cap_bytes,
                                           int64_t now_ns) {
  std::vector<std::string> chosen;
  std::map<std::string, CEntryFiles> entries;
  const auto stale = [now_ns](const CListedFile& file) {
    return now_ns - file.modified_ns > kStaleTemporaryNanoseconds;
  };
  for (const CListedFile& file : files) {
    if (std::optional<std::string> target = TemporaryFileTarget(file.name)) {
      if (EntryNameOfFile(*target) && stale(file)) chosen.push_back(file.name);
      continue;
    }
    const std::optional<std::string> name = EntryNameOfFile(file.name);
    if (!name) continue;
    CEntryFiles& entry = entries[*name];
    (file.name.ends_with(kEntryImageExtension) ? entry.image : entry.record) = &file;
  }
  struct CWhole {
    int64_t last_use;
    int64_t size;
    std::string name;
    bool has_image;
  };
  std::vector<CWhole> whole;
  int64_t total = 0;
  for (const auto& [name, entry] : entries) {
    if (entry.record != nullptr) {
      // An entry, or an alias, which has no image of its own.
      const int64_t image_size = entry.image != nullptr ? entry.image->size : 0;
      whole.push_back({entry.record->modified_ns, image_size + entry.record->size, name,
                       entry.image != nullptr});
      total += whole.back().size;
    } else if (stale(*entry.image)) {
      // A store that was killed between its image and its record, long ago.
      chosen.push_back(entry.image->name);
    }
  }
  std::sort(whole.begin(), whole.end(), [](const CWhole& a, const CWhole& b) {
    return a.last_use != b.last_use ? a.last_use < b.last_use : a.name < b.name;
  });
  for (const CWhole& entry : whole) {
    if (total <= cap_bytes) break;
    // The record first, as `RemoveEntry` does.
    chosen.push_back(entry.name + std::string(kEntryRecordExtension));
    if (entry.has_image) {
      chosen.push_back(entry.name + std::string(kEntryImageExtension));
    }
    total -= entry.size;
  }
  return chosen;
}

int TrimCacheFolder(const COwnFolder& folder, int64_t cap_bytes) {
  const CFileHandle lock = folder.TryLock();
  if (!lock.is_open()) return 0;
  int removed = 0;
  for (const std::string& name :
       ChooseFilesToTrim(folder.ListFiles(), cap_bytes, WallClockNanoseconds())) {
    if (folder.RemoveFile(name)) ++removed;
  }
  return removed;
}

}  // namespace gallery
