#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "app/run.h"
#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/photo.h"
#include "tests/run_binary.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// Builds of the front end that keep their images in a cache folder of their own, compared with
// builds that use none.
class GalleryCacheTest : public testing::Test {
 protected:
  GalleryCacheTest() {
    photos_ = folder_.Join("photos");
    site_ = folder_.Join("site");
    collection_ = folder_.Join("site.collection.xml");
    cache_home_ = folder_.Join("cache home");
    static_cast<void>(CreateFolder(photos_));
  }

  // Photo `index`, noise of its own size so that every photo has its own bytes.
  std::string AddPhoto(int index, int width = 160, int height = 120) {
    const std::string path = photos_ + "/p" + std::to_string(index) + ".jpg";
    vips::VImage noise = vips::VImage::gaussnoise(width + index, height) * 2;
    noise.bandjoin({noise, noise}).cast(VIPS_FORMAT_UCHAR).jpegsave(path.c_str());
    return path;
  }

  BinaryResult Gallery(std::vector<std::string> arguments, const std::string& cache_home) {
    arguments.insert(arguments.end(), theme_.begin(), theme_.end());
    BinaryOptions options;
    // HOME too, where the cache goes when XDG_CACHE_HOME is of no use.
    options.environment = {"XDG_CACHE_HOME=" + cache_home, "HOME=" + folder_.Join("home")};
    return RunGalleryBinary(arguments, options);
  }

  // Builds the collection afresh into a folder of its own, without any cache, and tells whether
  // `site_` holds exactly the same files, apart from the record of each build, which differs by
  // the inodes and times of the files.
  bool SameAsCleanBuild() {
    const std::string clean = folder_.Join("clean");
    static_cast<void>(RemoveTree(clean));
    const std::string unused_home = folder_.Join("unused cache home");
    const BinaryResult result = Gallery({"build", collection_, clean, "--no-cache"}, unused_home);
    EXPECT_EQ(0, result.exit_code) << result.output;
    EXPECT_EQ(PathKind::kMissing, GetPathKind(unused_home));
    return std::system(
               ("diff -r -x .gallery-record '" + clean + "' '" + site_ + "' >&2").c_str()) == 0;
  }

  std::string CacheFolder() const { return cache_home_ + "/gallerygen"; }

  // The cache entries (image files) of page images, or of thumbnails.
  std::vector<std::string> EntryImages(bool page_images) const {
    std::vector<std::string> images;
    for (const CListedFile& file : ListFiles(CacheFolder())) {
      if (!file.name.ends_with(".rec")) continue;
      const std::string record = ReadFileBytes(CacheFolder() + "/" + file.name).value_or("");
      if ((record.find("mode=0;") != std::string::npos) != page_images) continue;
      images.push_back(CacheFolder() + "/" + file.name.substr(0, file.name.size() - 4) + ".jpg");
    }
    return images;
  }

  void ReplaceInCollection(const std::string& from, const std::string& to) {
    std::string text = ReadFileBytes(collection_).value_or("");
    const size_t at = text.find(from);
    ASSERT_NE(std::string::npos, at) << from;
    text.replace(at, from.size(), to);
    ASSERT_TRUE(WriteFileBytes(collection_, text));
  }

  std::vector<std::string> theme_;  // added to every command line
  TempFolder folder_;
  std::string photos_;
  std::string site_;
  std::string collection_;
  std::string cache_home_;
};

bool Says(const BinaryResult& result, const std::string& counts) {
  return result.output.find(": " + counts + "\n") != std::string::npos;
}

TEST_F(GalleryCacheTest, RebuildsReuseWhatIsUnchangedAndMatchCleanBuilds) {
  theme_ = {"--theme=classic"};
  for (int i = 0; i < 3; ++i) AddPhoto(i);
  BinaryResult first = Gallery({"new", photos_, site_, "-t", "T"}, cache_home_);
  ASSERT_EQ(0, first.exit_code) << first.output;
  EXPECT_TRUE(Says(first, "made 3, skipped 0")) << first.output;
  EXPECT_EQ(3u, EntryImages(true).size());
  EXPECT_EQ(3u, EntryImages(false).size());

  BinaryResult again = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(again, "made 0, reused 3, skipped 0")) << again.output;
  EXPECT_TRUE(SameAsCleanBuild());

  // A photo rewritten, or only touched, is made again.
  AddPhoto(1);
  const timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, (photos_ + "/p2.jpg").c_str(), times, 0));
  BinaryResult changed = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(changed, "made 2, reused 1, skipped 0")) << changed.output;
  EXPECT_TRUE(SameAsCleanBuild());

  // A colour of the pages shapes no photo: none is made, but the pages change.
  const std::string earlier_index = ReadFileBytes(site_ + "/index.htm").value_or("");
  ReplaceInCollection("back_color=\"15790320\"", "back_color=\"255\"");
  BinaryResult coloured = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(coloured, "made 0, reused 3, skipped 0")) << coloured.output;
  EXPECT_NE(earlier_index, ReadFileBytes(site_ + "/index.htm").value_or(""));
  EXPECT_TRUE(SameAsCleanBuild());

  // The thumbnail size is one of the image settings: every image is made again, and the
  // thumbnails come out smaller.
  const std::string earlier_thumbnail = ReadFileBytes(site_ + "/thumbs/0.jpg").value_or("");
  ReplaceInCollection("thumb_width=\"160\"", "thumb_width=\"90\"");
  BinaryResult smaller = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(smaller, "made 3, skipped 0")) << smaller.output;
  EXPECT_NE(earlier_thumbnail, ReadFileBytes(site_ + "/thumbs/0.jpg").value_or(""));
  EXPECT_TRUE(SameAsCleanBuild());
}

TEST_F(GalleryCacheTest, ModernRebuildsReuseEveryImageUntilTheCapChanges) {
  for (int i = 0; i < 3; ++i) AddPhoto(i, 400, 300);
  BinaryResult first = Gallery({"new", photos_, site_, "-t", "T"}, cache_home_);
  ASSERT_EQ(0, first.exit_code) << first.output;
  EXPECT_EQ(3u, EntryImages(true).size());
  EXPECT_EQ(9u, EntryImages(false).size());  // thumbnails at 1x and 2x, and the medium size
  BinaryResult again = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(again, "made 0, reused 3, skipped 0")) << again.output;
  EXPECT_TRUE(SameAsCleanBuild());

  ReplaceInCollection("back_color=\"15790320\"", "back_color=\"255\"");
  BinaryResult coloured = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(coloured, "made 0, reused 3, skipped 0")) << coloured.output;
  EXPECT_TRUE(SameAsCleanBuild());

  // The cap shapes the page images: a smaller one makes them again, smaller.
  theme_ = {"--max-size=200"};
  BinaryResult capped = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(capped, "made 3, skipped 0")) << capped.output;
  EXPECT_TRUE(SameAsCleanBuild());
  std::optional<PhotoSize> size = ReadPhotoSize(site_ + "/images/1.jpg", 1 << 20);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(200, size->width);
}

TEST_F(GalleryCacheTest, DamagedEntriesAreMadeAgain) {
  for (int i = 0; i < 3; ++i) AddPhoto(i);
  ASSERT_EQ(0, Gallery({"new", photos_, site_, "-t", "T", "-q"}, cache_home_).exit_code);
  const std::vector<std::string> page_images = EntryImages(true);
  ASSERT_EQ(3u, page_images.size());
  // One cut short, one with a bit flipped, each replaced whole (as a disk would show it),
  // so that the gallery's own files, which may share them, are not changed with them.
  const std::string bytes = ReadFileBytes(page_images[0]).value_or("");
  ASSERT_TRUE(WriteFileBytes(page_images[0], bytes.substr(0, bytes.size() / 2)));
  std::string flipped = ReadFileBytes(page_images[1]).value_or("");
  flipped[flipped.size() / 2] ^= 0x04;
  ASSERT_TRUE(WriteFileBytes(page_images[1], flipped));
  BinaryResult result = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(result, "made 2, reused 1, skipped 0")) << result.output;
  EXPECT_TRUE(SameAsCleanBuild());
  BinaryResult next = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(next, "made 0, reused 3, skipped 0")) << next.output;
}

TEST_F(GalleryCacheTest, NoUsableCacheFolderStillBuilds) {
  for (int i = 0; i < 2; ++i) AddPhoto(i);
  const std::string not_a_folder = folder_.WriteFile("file", "x");
  for (const std::string& home : {not_a_folder, not_a_folder + "/below", std::string("relative")}) {
    BinaryResult result = Gallery({"new", photos_, site_, "-t", "T"}, home);
    EXPECT_EQ(0, result.exit_code) << result.output;
    EXPECT_TRUE(Says(result, "made 2, skipped 0")) << home << ": " << result.output;
    EXPECT_TRUE(SameAsCleanBuild()) << home;
    ASSERT_TRUE(RemoveFile(collection_));
  }
  EXPECT_EQ(PathKind::kMissing, GetPathKind("relative"));
  // A relative XDG_CACHE_HOME leaves the cache in HOME, and an image and a record of each page
  // image, thumbnail (at one and two times) and medium size are kept there.
  EXPECT_EQ(16u, ListFiles(folder_.Join("home/.cache/gallerygen")).size());
  // A missing folder is made, with every folder above it.
  const std::string deep = folder_.Join("a/b/c");
  ASSERT_EQ(0, Gallery({"new", photos_, site_, "-t", "T", "-q"}, deep).exit_code);
  EXPECT_EQ(16u, ListFiles(deep + "/gallerygen").size());
}

TEST_F(GalleryCacheTest, KilledBuildsLeaveACacheThatBuildsCorrectly) {
  std::string listed;
  for (int i = 0; i < 40; ++i) listed += "<photo path=\"" + AddPhoto(i, 900, 700) + "\"/>";
  ASSERT_TRUE(WriteFileBytes(collection_, "<collection>" + listed + "<style/></collection>"));
  for (long after : {300000L, 700000L}) {
    BinaryOptions options;
    options.environment = {"XDG_CACHE_HOME=" + cache_home_, "HOME=" + folder_.Join("home")};
    options.kill_after_microseconds = after;
    static_cast<void>(RunGalleryBinary({"build", collection_, site_, "-q"}, options));
  }
  BinaryResult result = Gallery({"build", collection_, site_}, cache_home_);
  ASSERT_EQ(0, result.exit_code) << result.output;
  EXPECT_TRUE(SameAsCleanBuild());
}

TEST_F(GalleryCacheTest, BuildsAtOnceShareOneCache) {
  std::string listed;
  for (int i = 0; i < 12; ++i) listed += "<photo path=\"" + AddPhoto(i, 600, 400) + "\"/>";
  ASSERT_TRUE(WriteFileBytes(collection_, "<collection>" + listed + "<style/></collection>"));
  // Both make and store the same entries at the same moments; each reads only whole ones.
  for (int round = 0; round < 2; ++round) {
    const std::string other = folder_.Join("other");
    BinaryResult second;
    std::thread beside([&] { second = Gallery({"build", collection_, other}, cache_home_); });
    BinaryResult first = Gallery({"build", collection_, site_}, cache_home_);
    beside.join();
    ASSERT_EQ(0, first.exit_code) << first.output;
    ASSERT_EQ(0, second.exit_code) << second.output;
    EXPECT_TRUE(SameAsCleanBuild()) << round;
    EXPECT_EQ(
        0, std::system(("diff -r -x .gallery-record '" + site_ + "' '" + other + "' >&2").c_str()))
        << round;
  }
  BinaryResult last = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(last, "made 0, reused 12, skipped 0")) << last.output;
}

TEST_F(GalleryCacheTest, GallerygenNeverUsesTheCache) {
  for (int i = 0; i < 2; ++i) AddPhoto(i);
  ASSERT_EQ(0, Gallery({"new", photos_, site_, "-t", "T", "-q"}, cache_home_).exit_code);
  const std::string host_home = folder_.Join("host cache");
  ASSERT_TRUE(CreateFolder(host_home));
  ASSERT_TRUE(CreateFolder(folder_.Join("host")));
  BinaryOptions options;
  options.environment = {"XDG_CACHE_HOME=" + host_home, "HOME=" + host_home};
  const BinaryResult result = RunGallerygenBinary(
      {std::string(kAccessToken), collection_, folder_.Join("host/collection.xml"), "thumbs"},
      options);
  EXPECT_EQ(0, result.exit_code) << result.output;
  EXPECT_EQ(PathKind::kFile, GetPathKind(folder_.Join("host/images/1.jpg")));
  EXPECT_EQ(std::vector<std::string>(), ListFolder(host_home).value_or(std::vector<std::string>{}));
}

}  // namespace
}  // namespace gallery
