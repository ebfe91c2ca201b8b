#include "cache/result_cache.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "cache/cache_entry.h"
#include "collection/style_settings.h"
#include "imaging/scaled_photo.h"
#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// Photos and their images through caches of one folder, each reused image compared with the
// image made without any cache.
class ResultCacheTest : public testing::Test {
 protected:
  ResultCacheTest() {
    settings_ = MakeImageSettings(CStyleSettings());
    settings_.thumb_box = {40, 30};
    for (const char* name : {"photos", "album", "out", "clean"}) {
      static_cast<void>(CreateFolder(folder_.Join(name)));
    }
  }

  // A photo of one colour at `name`, settled: the cache keeps nothing of a file changed within
  // a tick of the clock, which could change again unseen.
  std::string AddPhoto(const std::string& name, double red, const std::string& suffix = ".jpg") {
    const std::string path = Save(Solid(96, 64, {red, 90, 40}), folder_, name + suffix);
    Settle();
    return path;
  }

  static void Settle() {
    std::this_thread::sleep_for(std::chrono::nanoseconds(2 * kSettledPhotoNanoseconds));
  }

  // The page image of `photo` through `cache`, at out/`name`.jpg; true when the cache gave it.
  bool PageReused(CResultCache& cache, const std::string& photo, const std::string& name) {
    const int before = cache.reused_page_images();
    const std::string path = folder_.Join("out/" + name + ".jpg");
    const CScaledPhoto result = cache.FetchOrMake(settings_, photo, photo, path, kPageImageMode);
    EXPECT_EQ(PhotoFailure::kNone, result.failure) << photo;
    // Made or reused, the image is what a build without the cache makes of the photo.
    const std::string clean = folder_.Join("clean/" + name + ".jpg");
    EXPECT_EQ(PhotoFailure::kNone,
              WriteScaledPhoto(settings_, photo, clean, kPageImageMode).failure);
    EXPECT_EQ(ReadFileBytes(clean).value_or("clean"), ReadFileBytes(path).value_or("cached"))
        << photo;
    return cache.reused_page_images() > before;
  }

  // The thumbnail of `photo` through `cache`, from its page image at out/`name`.jpg, or with
  // `from_cache_only` from a page image that is not there, which only the cache can stand in for.
  bool ThumbnailGiven(CResultCache& cache, const std::string& photo, const std::string& name,
                      bool from_cache_only) {
    const std::string source =
        folder_.Join(from_cache_only ? "missing.jpg" : "out/" + name + ".jpg");
    return cache
               .FetchOrMake(settings_, photo, source, folder_.Join("out/" + name + "-t.jpg"),
                            kThumbnailMode)
               .failure == PhotoFailure::kNone;
  }

  // Both images of `photo`, made or reused; true when both were reused.
  bool BothReused(CResultCache& cache, const std::string& photo, const std::string& name) {
    const bool page = PageReused(cache, photo, name);
    const bool thumbnail = ThumbnailGiven(cache, photo, name, true);
    EXPECT_EQ(page, thumbnail) << photo;
    if (!thumbnail) {
      EXPECT_TRUE(ThumbnailGiven(cache, photo, name, false)) << photo;
    }
    return page && thumbnail;
  }

  // The files of the cache folder whose names end with `extension`.
  std::vector<std::string> CacheFiles(const std::string& extension) const {
    std::vector<std::string> found;
    for (const CListedFile& file : ListFiles(folder_.Join("cache"))) {
      if (file.name.ends_with(extension)) found.push_back(folder_.Join("cache/" + file.name));
    }
    return found;
  }

  TempFolder folder_;
  CImageSettings settings_;
};

TEST_F(ResultCacheTest, RenamedMovedAndCopiedPhotosAreFoundByTheirBytes) {
  const std::string photo = AddPhoto("photos/a", 200);
  const std::string other = AddPhoto("photos/b", 20);
  {
    CResultCache cache(folder_.Join("cache"));
    ASSERT_TRUE(cache.usable());
    EXPECT_FALSE(BothReused(cache, photo, "a"));
    EXPECT_FALSE(BothReused(cache, other, "b"));
  }
  // One image of each kind per photo, each kept once, and one alias for each.
  EXPECT_EQ(4u, CacheFiles(".jpg").size());
  EXPECT_EQ(8u, CacheFiles(".rec").size());

  const std::string renamed = folder_.Join("photos/a renamed.jpg");
  ASSERT_EQ(0, rename(photo.c_str(), renamed.c_str()));
  const std::string moved = folder_.Join("album/b.jpg");
  ASSERT_EQ(0, rename(other.c_str(), moved.c_str()));
  const std::string copy = folder_.Join("album/copy of a.jpg");
  ASSERT_EQ(WriteFailure::kNone, CopyFileBytes(renamed, copy));
  Settle();
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_TRUE(BothReused(cache, renamed, "renamed"));
    EXPECT_TRUE(BothReused(cache, moved, "moved"));
    EXPECT_TRUE(BothReused(cache, copy, "copy"));
  }
  // No image was stored again: only aliases of the new names were added.
  EXPECT_EQ(4u, CacheFiles(".jpg").size());
  EXPECT_EQ(14u, CacheFiles(".rec").size());
  // Both paths of one content find it, and so does the name it had first, put back.
  ASSERT_EQ(0, rename(renamed.c_str(), photo.c_str()));
  Settle();
  CResultCache cache(folder_.Join("cache"));
  EXPECT_TRUE(BothReused(cache, copy, "copy"));
  EXPECT_TRUE(BothReused(cache, photo, "back"));
}

TEST_F(ResultCacheTest, AnUnchangedPhotoIsNotReadAtAll) {
  const std::string photo = AddPhoto("photos/a", 200);
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_FALSE(BothReused(cache, photo, "a"));
  }
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_LE(0, watch);
  ASSERT_LE(0, inotify_add_watch(watch, photo.c_str(), IN_OPEN | IN_ACCESS));
  CResultCache cache(folder_.Join("cache"));
  const int before = cache.reused_page_images();
  const std::string path = folder_.Join("out/again.jpg");
  EXPECT_EQ(PhotoFailure::kNone,
            cache.FetchOrMake(settings_, photo, photo, path, kPageImageMode).failure);
  EXPECT_EQ(before + 1, cache.reused_page_images());
  EXPECT_TRUE(ThumbnailGiven(cache, photo, "again", true));
  char events[4096];
  EXPECT_GT(0, read(watch, events, sizeof events)) << "the photo was opened";
  close(watch);
}

TEST_F(ResultCacheTest, APhotoEditedInPlaceAtTheSameSizeAndTimeIsMadeAgain) {
  // Uncompressed, so that other pixels take exactly as many bytes.
  const std::string photo = AddPhoto("photos/a", 200, ".tif");
  const std::string other = AddPhoto("photos/b", 20, ".tif");
  const std::optional<CFileStatus> status = GetFileStatus(photo);
  ASSERT_TRUE(status);
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_FALSE(BothReused(cache, photo, "a"));
  }
  const std::string first_bytes = ReadFileBytes(photo).value_or("");
  const std::string edited = ReadFileBytes(other).value_or("");
  ASSERT_EQ(first_bytes.size(), edited.size());
  ASSERT_NE(first_bytes, edited);
  const int file = open(photo.c_str(), O_WRONLY);
  ASSERT_LE(0, file);
  ASSERT_EQ(static_cast<ssize_t>(edited.size()), pwrite(file, edited.data(), edited.size(), 0));
  close(file);
  const timespec times[2] = {{0, UTIME_OMIT},
                             {status->modified_ns / 1000000000, status->modified_ns % 1000000000}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, photo.c_str(), times, 0));
  const std::optional<CFileStatus> now = GetFileStatus(photo);
  ASSERT_TRUE(now);
  ASSERT_EQ(status->inode, now->inode);
  ASSERT_EQ(status->size, now->size);
  ASSERT_EQ(status->modified_ns, now->modified_ns);
  Settle();
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_FALSE(BothReused(cache, photo, "edited"));
  }
  EXPECT_TRUE(PixelNear(LoadPixels(folder_.Join("out/edited.jpg")), 5, 5, {20, 90, 40}, 8));
  // Edited back, the first bytes are found again.
  ASSERT_TRUE(WriteFileBytes(photo, first_bytes));
  Settle();
  CResultCache cache(folder_.Join("cache"));
  EXPECT_TRUE(BothReused(cache, photo, "back"));
  EXPECT_TRUE(PixelNear(LoadPixels(folder_.Join("out/back.jpg")), 5, 5, {200, 90, 40}, 8));
}

TEST_F(ResultCacheTest, APhotoJustChangedIsMadeButNotKept) {
  const std::string photo = AddPhoto("photos/a", 200);
  {
    CResultCache cache(folder_.Join("cache"));
    // Its change time set to now, as any write or change of its permissions does.
    ASSERT_EQ(0, chmod(photo.c_str(), 0644));
    const CScaledPhoto page =
        cache.FetchOrMake(settings_, photo, photo, folder_.Join("out/a.jpg"), kPageImageMode);
    EXPECT_EQ(PhotoFailure::kNone, page.failure);
    ASSERT_EQ(0, chmod(photo.c_str(), 0644));
    EXPECT_TRUE(ThumbnailGiven(cache, photo, "a", false));
    EXPECT_EQ(0, cache.reused_page_images());
  }
  EXPECT_TRUE(CacheFiles(".jpg").empty());
  EXPECT_TRUE(CacheFiles(".rec").empty());
  Settle();
  CResultCache cache(folder_.Join("cache"));
  EXPECT_FALSE(BothReused(cache, photo, "a"));
  EXPECT_TRUE(BothReused(cache, photo, "a"));
}

TEST_F(ResultCacheTest, TruncatedOrForeignEntriesAreMadeAgain) {
  const std::string photo = AddPhoto("photos/a", 200);
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_FALSE(BothReused(cache, photo, "a"));
  }
  const std::string renamed = folder_.Join("photos/b.jpg");
  ASSERT_EQ(0, rename(photo.c_str(), renamed.c_str()));
  Settle();
  // Every stored image cut short: found by bytes, each is refused and made again whole.
  for (const std::string& image : CacheFiles(".jpg")) {
    const std::string bytes = ReadFileBytes(image).value_or("");
    ASSERT_TRUE(WriteFileBytes(image, bytes.substr(0, bytes.size() - 1)));
  }
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_FALSE(BothReused(cache, renamed, "truncated"));
  }
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_TRUE(BothReused(cache, renamed, "whole"));
  }
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser can plant another user's files";
  // Records of another user: aliases and entries alike are never served.
  for (const std::string& record : CacheFiles(".rec")) {
    ASSERT_EQ(0, chown(record.c_str(), 65534, 65534)) << record;
  }
  {
    CResultCache cache(folder_.Join("cache"));
    EXPECT_FALSE(BothReused(cache, renamed, "foreign"));
  }
  CResultCache cache(folder_.Join("cache"));
  EXPECT_TRUE(BothReused(cache, renamed, "own again"));
}

}  // namespace
}  // namespace gallery
