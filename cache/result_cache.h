#ifndef GALLERY_CACHE_RESULT_CACHE_H_
#define GALLERY_CACHE_RESULT_CACHE_H_

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "cache/cache_trim.h"
#include "imaging/image_cache.h"
#include "platform/own_files.h"

namespace gallery {

// The cache folder of this program for the values of XDG_CACHE_HOME and HOME (null when
// unset): "$XDG_CACHE_HOME/gallerygen", or "$HOME/.cache/gallerygen" when XDG_CACHE_HOME is
// unset or not an absolute path; nothing when neither gives an absolute path.
std::optional<std::string> CacheFolderFor(const char* xdg_cache_home, const char* home);

// How long after its last change a photo's file must be left alone before its images are
// stored: past one tick of the clock that sets file times, a change always shows in them.
inline constexpr int64_t kSettledPhotoNanoseconds = int64_t{20} * 1000000;

// Page images and thumbnails kept from earlier builds in one folder, each reused while every
// setting that shaped it is unchanged and its photo is the same file (path, status) or holds
// the same bytes as the photo it was made from, wherever that lay and whatever it was called.
// The bytes are read only for a photo not seen before under its path and status. Builds of
// several processes may share the folder at once; any entry may be removed by anyone at any
// time (it is then made again).
class CResultCache : public IImageCache {
 public:
  // The cache in `folder`, created when missing. A folder that cannot be made or written, or
  // that anyone but this user could change (see COwnFolder), turns the cache off: every image
  // is then made afresh and nothing is stored. Only entries this user's own builds wrote are
  // ever served.
  explicit CResultCache(const std::string& folder, int64_t cap_bytes = kDefaultCacheCapBytes);

  CScaledPhoto FetchOrMake(const CImageSettings& settings, const std::string& origin,
                           const std::string& source, const std::string& path, int mode) override;

  // Trims the folder to the size limit; for the end of a build.
  void Trim();

  bool usable() const { return folder_.is_open(); }
  // Why the cache is off; kNone while it is usable.
  FolderRefusal refusal() const { return folder_.refusal(); }
  // How many page images were taken from the cache so far.
  int reused_page_images() const { return reused_page_images_.load(); }

 private:
  // The SHA-256 of the photo file `origin` of status `status`, read once for all its images;
  // nothing when it could not be read whole, changed meanwhile or may still be changing.
  std::optional<std::string> DigestOf(const std::string& origin, const CFileStatus& status);

  const COwnFolder folder_;
  const int64_t cap_bytes_;
  std::atomic<int> reused_page_images_{0};
  std::atomic<unsigned> next_temporary_tag_{0};
  std::mutex digests_mutex_;
  std::map<std::string, std::string> digests_;  // by the status of the file read
};

}  // namespace gallery

#endif  // GALLERY_CACHE_RESULT_CACHE_H_
