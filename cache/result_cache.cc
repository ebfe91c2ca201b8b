#include "cache/result_cache.h"

#include "cache/cache_entry.h"
#include "cache/cache_key.h"
#include "platform/file_status.h"
#include "platform/file_tree.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

}  // namespace

std::optional<std::string> CacheFolderFor(const char* xdg_cache_home, const char* home) {
  if (IsAbsolute(xdg_cache_home)) return std::string(xdg_cache_home) + "/gallerygen";
  if (IsAbsolute(home)) return std::string(home) + "/.cache/gallerygen";
  return std::nullopt;
}

CResultCache::CResultCache(const std::string& folder, int64_t cap_bytes)
    : folder_(folder), cap_bytes_(cap_bytes) {}

CScaledPhoto CResultCache::FetchOrMake(const CImageSettings& settings, const std::string& origin,
                                       const std::string& source, const std::string& path,
                                       int mode) {
  const std::optional<CFileStatus> status = usable() ? GetFileStatus(origin) : std::nullopt;
  if (!status) return WriteScaledPhoto(settings, source, path, mode);
  const auto reused = [&](PhotoSize size) {
    if (mode == kPageImageMode) ++reused_page_images_;
    return CScaledPhoto{size, PhotoFailure::kNone};
  };
  // The photo as it was seen last time, under its path and status: no byte of it is read.
  const std::string path_key = MakeCacheKey(AbsolutePath(origin), *status, settings, mode);
  const std::string path_name = CacheEntryName(path_key);
  if (const std::optional<PhotoSize> size = FetchEntry(folder_, path_name, path_key, path)) {
    return reused(*size);
  }
  // Renamed, moved, copied or only touched since: the same bytes give the same images.
  const std::optional<std::string> digest = DigestOf(origin, *status);
  if (!digest) return WriteScaledPhoto(settings, source, path, mode);
  const std::string content_key = MakeContentKey(*digest, settings, mode);
  const std::string content_name = CacheEntryName(content_key);
  if (const std::optional<PhotoSize> size = FetchEntry(folder_, content_name, content_key, path)) {
    static_cast<void>(StoreAlias(folder_, path_name, path_key, content_key, next_temporary_tag_++));
    return reused(*size);
  }
  const CScaledPhoto made = WriteScaledPhoto(settings, source, path, mode);
  // Only whole images are kept; a failure is tried again next time, as its cause (memory, disk
  // space) may be gone by then.
  if (made.failure != PhotoFailure::kNone || !made.size) return made;
  // A photo that changed while it was read could have given an image of neither version.
  if (ReadCacheKey(origin, settings, mode) != path_key) return made;
  const unsigned tag = next_temporary_tag_++;
  if (StoreEntry(folder_, content_name, *made.size, content_key, path, tag)) {
    static_cast<void>(StoreAlias(folder_, path_name, path_key, content_key, tag));
  }
  return made;
}

std::optional<std::string> CResultCache::DigestOf(const std::string& origin,
                                                  const CFileStatus& status) {
  // A write within the clock tick of the last change would leave the status as it is.
  // (A time ahead of this clock is another machine's, whose later changes show all the same.)
  const int64_t age = WallClockNanoseconds() - status.changed_ns;
  if (age >= 0 && age < kSettledPhotoNanoseconds) return std::nullopt;
  const std::string file = std::to_string(status.device) + ":" + std::to_string(status.inode) +
                           ":" + std::to_string(status.size) + ":" +
                           std::to_string(status.modified_ns) + ":" +
                           std::to_string(status.changed_ns);
  {
    const std::lock_guard<std::mutex> lock(digests_mutex_);
    if (const auto found = digests_.find(file); found != digests_.end()) return found->second;
  }
  std::optional<std::string> digest = HashFileOfStatus(origin, status);
  if (digest) {
    const std::lock_guard<std::mutex> lock(digests_mutex_);
    digests_.emplace(file, *digest);
  }
  return digest;
}

void CResultCache::Trim() {
  if (usable()) static_cast<void>(TrimCacheFolder(folder_, cap_bytes_));
}

}  // namespace gallery
