#ifndef GALLERY_CACHE_RESULT_CACHE_H_
#define GALLERY_CACHE_RESULT_CACHE_H_

#include <atomic>
#include <cstdint>
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

// Page images and thumbnails kept from earlier builds in one folder, each reused while its
// photo file and every setting that shaped it are unchanged. Builds of several processes may
// share the folder at once; any entry may be removed by anyone at any time (it is then made
// again).
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
  const COwnFolder folder_;
  const int64_t cap_bytes_;
  std::atomic<int> reused_page_images_{0};
  std::atomic<unsigned> next_temporary_tag_{0};
};

}  // namespace gallery

#endif  // GALLERY_CACHE_RESULT_CACHE_H_
