#ifndef GALLERY_CACHE_CACHE_TRIM_H_
#define GALLERY_CACHE_CACHE_TRIM_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_status.h"

namespace gallery {
class COwnFolder;

// The cache's size limit unless told otherwise: 2 GiB.
inline constexpr int64_t kDefaultCacheCapBytes = int64_t{2} << 30;

// How old a temporary file of the cache folder must be before it counts as left by a killed
// run rather than one still writing it: an hour.
inline constexpr int64_t kStaleTemporaryNanoseconds = int64_t{3600} * 1000000000;

// The names, among the files `files` of a cache folder listed at time `now_ns`, to remove so
// that what is left is at most `cap_bytes`: whole entries (image and record) and aliases (a
// record alone), those used least recently first (the record's time, set at each use), plus
// temporaries and images without a record older than `kStaleTemporaryNanoseconds`. An image
// counts once, however many aliases name it. Files of any other name than the cache gives its
// own (see `EntryNameOfFile`) are left out of the count and never named. Touches no file.
std::vector<std::string> ChooseFilesToTrim(const std::vector<CListedFile>& files, int64_t cap_bytes,
                                           int64_t now_ns);

// Trims the cache folder `folder` to `cap_bytes` (see `ChooseFilesToTrim`), removing regular
// files only. Only one process trims a folder at a time; when another is at it already, this
// returns at once. Returns how many files it removed.
int TrimCacheFolder(const COwnFolder& folder, int64_t cap_bytes);

}  // namespace gallery

#endif  // GALLERY_CACHE_CACHE_TRIM_H_
