#include "cache/cache_trim.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>

#include "cache/cache_entry.h"
#include "platform/file_system.h"

namespace gallery {
namespace {

// The two halves of one entry, as far as they were found.
struct CEntryFiles {
  const CListedFile* image = nullptr;
  const CListedFile* record = nullptr;
};

// The entry name of a cache file: its name without the image or record extension.
std::optional<std::string> EntryNameOf(std::string_view file_name) {
  for (std::string_view extension : {kEntryImageExtension, kEntryRecordExtension}) {
    if (file_name.size() > extension.size() && file_name.ends_with(extension)) {
      return std::string(file_name.substr(0, file_name.size() - extension.size()));
    }
  }
  return std::nullopt;
}

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
      if (EntryNameOf(*target) && stale(file)) chosen.push_back(file.name);
      continue;
    }
    const std::optional<std::string> name = EntryNameOf(file.name);
    if (!name) continue;
    CEntryFiles& entry = entries[*name];
    (file.name.ends_with(kEntryImageExtension) ? entry.image : entry.record) = &file;
  }
  struct CWhole {
    int64_t last_use;
    int64_t size;
    std::string name;
  };
  std::vector<CWhole> whole;
  int64_t total = 0;
  for (const auto& [name, entry] : entries) {
    if (entry.image != nullptr && entry.record != nullptr) {
      whole.push_back({entry.record->modified_ns, entry.image->size + entry.record->size, name});
      total += whole.back().size;
    } else if (const CListedFile* half = entry.image != nullptr ? entry.image : entry.record;
               stale(*half)) {
      // A store that was killed between its image and its record, long ago.
      chosen.push_back(half->name);
    }
  }
  std::sort(whole.begin(), whole.end(), [](const CWhole& a, const CWhole& b) {
    return a.last_use != b.last_use ? a.last_use < b.last_use : a.name < b.name;
  });
  for (const CWhole& entry : whole) {
    if (total <= cap_bytes) break;
    // The record first, as `RemoveEntry` does.
    chosen.push_back(entry.name + std::string(kEntryRecordExtension));
    chosen.push_back(entry.name + std::string(kEntryImageExtension));
    total -= entry.size;
  }
  return chosen;
}

int TrimCacheFolder(const std::string& folder, int64_t cap_bytes) {
  const CFolderLock lock(folder, false);
  if (!lock.held()) return 0;
  int removed = 0;
  for (const std::string& name :
       ChooseFilesToTrim(ListFiles(folder), cap_bytes, WallClockNanoseconds())) {
    if (RemoveFile(folder + "/" + name)) ++removed;
  }
  return removed;
}

}  // namespace gallery
