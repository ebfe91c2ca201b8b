#ifndef GALLERY_CACHE_CACHE_KEY_H_
#define GALLERY_CACHE_CACHE_KEY_H_

#include <optional>
#include <string>
#include <string_view>

#include "imaging/scaled_photo.h"
#include "platform/file_status.h"

namespace gallery {

// Raised whenever stored images of earlier versions must no longer be used: a change in how
// images are made or in how entries are stored.
inline constexpr int kCacheFormatVersion = 2;

// The text that names one stored image by where its photo was seen: the photo's absolute path
// and what says whether its content may have changed (device, inode, size, modification and
// change times), every image setting, the mode and the format version; the image is kept under
// its `MakeContentKey`, and this text is an alias of it. The same inputs give the same text on
// every run. Touches no file.
std::string MakeCacheKey(const std::string& absolute_origin, const CFileStatus& origin,
                         const CImageSettings& settings, int mode);

// The text that names one stored image by the bytes it was made from, wherever the photo lies
// and whatever it is called: `digest`, the SHA-256 of the photo's content in hexadecimal, every
// image setting, the mode and the format version. Never the text of a `MakeCacheKey`.
// Touches no file.
std::string MakeContentKey(std::string_view digest, const CImageSettings& settings, int mode);

// `MakeCacheKey` of the photo file at `origin` as it is now, or nothing when it is missing or
// not a regular file.
std::optional<std::string> ReadCacheKey(const std::string& origin, const CImageSettings& settings,
                                        int mode);

// The name, without extension, that the entry of `key` is stored under: 16 hexadecimal digits.
// Two keys may share one; the entry holds its whole key, which tells them apart.
std::string CacheEntryName(std::string_view key);

}  // namespace gallery

#endif  // GALLERY_CACHE_CACHE_KEY_H_
