#include "cache/cache_key.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "imaging/image_cache.h"
#include "platform/folder_listing.h"

namespace gallery {

std::string MakeCacheKey(const std::string& absolute_origin, const CFileStatus& origin,
                         const CImageSettings& settings, int mode) {
  // The path comes last, so that no character in it can make two different keys read alike.
  return "format=" + std::to_string(kCacheFormatVersion) + ";mode=" + std::to_string(mode) +
         ";device=" + std::to_string(origin.device) + ";inode=" + std::to_string(origin.inode) +
         ";size=" + std::to_string(origin.size) +
         ";modified=" + std::to_string(origin.modified_ns) +
         ";changed=" + std::to_string(origin.changed_ns) + ";" + ImageSettingsKey(settings) +
         "path=" + absolute_origin;
}

std::string MakeContentKey(std::string_view digest, const CImageSettings& settings, int mode) {
  return "format=" + std::to_string(kCacheFormatVersion) + ";mode=" + std::to_string(mode) +
         ";sha256=" + std::string(digest) + ";" + ImageSettingsKey(settings);
}

std::optional<std::string> ReadCacheKey(const std::string& origin, const CImageSettings& settings,
                                        int mode) {
  const std::optional<CFileStatus> status = GetFileStatus(origin);
  if (!status) return std::nullopt;
  return MakeCacheKey(AbsolutePath(origin), *status, settings, mode);
}

std::string CacheEntryName(std::string_view key) {
  // 64-bit FNV-1a: a collision only makes two images take turns in one entry.
  uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : key) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace gallery
