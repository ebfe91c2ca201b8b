#include "cache/result_cache.h"

#include "cache/cache_entry.h"
#include "cache/cache_key.h"

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
  const std::optional<std::string> key =
      usable() ? ReadCacheKey(origin, settings, mode) : std::nullopt;
  if (!key) return WriteScaledPhoto(settings, source, path, mode);
  const std::string name = CacheEntryName(*key);
  if (const std::optional<PhotoSize> size = FetchEntry(folder_, name, *key, path)) {
    if (mode == kPageImageMode) ++reused_page_images_;
    return {size, PhotoFailure::kNone};
  }
  const CScaledPhoto made = WriteScaledPhoto(settings, source, path, mode);
  // Only whole images are kept; a failure is tried again next time, as its cause (memory, disk
  // space) may be gone by then.
  if (made.failure != PhotoFailure::kNone || !made.size) return made;
  // A photo that changed while it was read could have given an image of neither version.
  if (ReadCacheKey(origin, settings, mode) != key) return made;
  static_cast<void>(StoreEntry(folder_, name, *made.size, *key, path, next_temporary_tag_++));
  return made;
}

void CResultCache::Trim() {
  if (usable()) static_cast<void>(TrimCacheFolder(folder_, cap_bytes_));
}

}  // namespace gallery
