#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "app/run.h"
#include "cache/cache_entry.h"
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

  // The cache entries (image files) of page images, or of thumbnails; aliases, which name the
  // entry of an image under another key, are left out.
  std::vector<std::string> EntryImages(bool page_images) const {
    std::vector<std::string> images;
    for (const CListedFile& file : ListFiles(CacheFolder())) {
      if (!file.name.ends_with(".rec")) continue;
      const std::string record = ReadFileBytes(CacheFolder() + "/" + file.name).value_or("");
      if (!ParseEntryRecord(record)) continue;
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

  // A photo rewritten with other bytes is made again; one only touched keeps its bytes, and
  // its images.
  AddPhoto(1, 150);
  const timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, (photos_ + "/p2.jpg").c_str(), times, 0));
  BinaryResult changed = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(changed, "made 1, reused 2, skipped 0")) << changed.output;
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
  // The first photo is large enough for every size of page image.
  AddPhoto(0, 1800, 1200);
  for (int i = 1; i < 3; ++i) AddPhoto(i, 400, 300);
  BinaryResult first = Gallery({"new", photos_, site_, "-t", "T"}, cache_home_);
  ASSERT_EQ(0, first.exit_code) << first.output;
  EXPECT_EQ(3u, EntryImages(true).size());
  // Thumbnails at 1x and 2x, and the medium and large sizes of the first photo; of the smaller
  // ones only the two thumbnails, as the other sizes would be the page image again and are
  // never made.
  EXPECT_EQ(8u, EntryImages(false).size());
  const std::string medium = ReadFileBytes(site_ + "/medium/1.jpg").value_or("");
  const std::string large = ReadFileBytes(site_ + "/large/1.jpg").value_or("");
  BinaryResult again = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(again, "made 0, reused 3, skipped 0")) << again.output;
  EXPECT_TRUE(SameAsCleanBuild());
  // Each size comes back from its own entry, not from that of another size.
  EXPECT_EQ(medium, ReadFileBytes(site_ + "/medium/1.jpg").value_or(""));
  EXPECT_EQ(large, ReadFileBytes(site_ + "/large/1.jpg").value_or(""));
  std::optional<PhotoSize> large_size = ReadPhotoSize(site_ + "/large/1.jpg", 1 << 22);
  ASSERT_TRUE(large_size.has_value());
  EXPECT_EQ(1536, large_size->width);
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site_ + "/large/2.jpg"));  // as large as its page image

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

TEST_F(GalleryCacheTest, PhotosRenamedOrMovedToAnotherFolderAreNotMadeAgain) {
  for (int i = 0; i < 4; ++i) AddPhoto(i, 400, 300);
  BinaryResult first = Gallery({"new", photos_, site_, "-t", "T"}, cache_home_);
  ASSERT_EQ(0, first.exit_code) << first.output;
  const std::string album = photos_ + "/album/2024";
  ASSERT_TRUE(CreateFolders(album));
  const std::string renamed = photos_ + "/first of all.jpg";
  const std::string moved = album + "/p1.jpg";
  const std::string copied = album + "/copy of p2.jpg";
  ASSERT_EQ(0, rename((photos_ + "/p0.jpg").c_str(), renamed.c_str()));
  ASSERT_EQ(0, rename((photos_ + "/p1.jpg").c_str(), moved.c_str()));
  ASSERT_EQ(WriteFailure::kNone, CopyFileBytes(photos_ + "/p2.jpg", copied));
  ReplaceInCollection(photos_ + "/p0.jpg", renamed);
  ReplaceInCollection(photos_ + "/p1.jpg", moved);
  ReplaceInCollection(photos_ + "/p3.jpg", copied);
  BinaryResult again = Gallery({"build", collection_, site_}, cache_home_);
  ASSERT_EQ(0, again.exit_code) << again.output;
  EXPECT_TRUE(Says(again, "made 0, reused 4, skipped 0")) << again.output;
  EXPECT_TRUE(SameAsCleanBuild());
  // Each image is kept once, however many names its photo had (the one left out included).
  EXPECT_EQ(4u, EntryImages(true).size());
  EXPECT_EQ(8u, EntryImages(false).size());
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
  // A relative XDG_CACHE_HOME leaves the cache in HOME, and an image, a record and an alias of
  // each page image and thumbnail are kept there: the photos are too small for the other sizes.
  EXPECT_EQ(12u, ListFiles(folder_.Join("home/.cache/gallerygen")).size());
  // A missing folder is made, with every folder above it.
  const std::string deep = folder_.Join("a/b/c");
  ASSERT_EQ(0, Gallery({"new", photos_, site_, "-t", "T", "-q"}, deep).exit_code);
  EXPECT_EQ(12u, ListFiles(deep + "/gallerygen").size());
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

// Sets the modification time of `path` to two hours ago, long past any write still running.
void MakeStale(const std::string& path) {
  const timespec times[2] = {{0, UTIME_NOW}, {time(nullptr) - 7200, 0}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0)) << path;
}

struct stat StatusOf(const std::string& path) {
  struct stat info = {};
  EXPECT_EQ(0, lstat(path.c_str(), &info)) << path;
  return info;
}

TEST_F(GalleryCacheTest, ACacheFolderThatIsALinkIsRefusedAndLosesNothing) {
  for (int i = 0; i < 2; ++i) AddPhoto(i);
  // A person's folder, with stale files of every shape the cache's own files have.
  const std::string theirs = folder_.Join("theirs");
  ASSERT_TRUE(CreateFolder(theirs));
  const std::vector<std::string> names = {"0123.jpg",
                                          "x.rec",
                                          "0123456789abcdef.jpg",
                                          "0123456789abcdef.rec",
                                          "fedcba9876543210.jpg",
                                          "fedcba9876543210.jpg.12-0.tmp"};
  for (const std::string& name : names) MakeStale(folder_.WriteFile("theirs/" + name, name));
  ASSERT_TRUE(CreateFolder(cache_home_));
  ASSERT_EQ(0, symlink(theirs.c_str(), CacheFolder().c_str()));
  BinaryResult result = Gallery({"new", photos_, site_, "-t", "T"}, cache_home_);
  ASSERT_EQ(0, result.exit_code) << result.output;
  EXPECT_TRUE(Says(result, "made 2, skipped 0")) << result.output;
  EXPECT_NE(std::string::npos,
            result.output.find("gallery: warning: " + CacheFolder() + ": is a symbolic link"))
      << result.output;
  EXPECT_TRUE(SameAsCleanBuild());
  EXPECT_EQ(names.size(), ListFiles(theirs).size());
  for (const std::string& name : names) EXPECT_EQ(name, ReadFileBytes(theirs + "/" + name));

  // XDG_CACHE_HOME itself may lead elsewhere: the cache then makes a folder of its own there.
  const std::string linked_home = folder_.Join("linked home");
  ASSERT_EQ(0, symlink(theirs.c_str(), linked_home.c_str()));
  result = Gallery({"build", collection_, site_}, linked_home);
  ASSERT_EQ(0, result.exit_code) << result.output;
  EXPECT_EQ(std::string::npos, result.output.find("warning")) << result.output;
  EXPECT_EQ(12u, ListFiles(theirs + "/gallerygen").size());
  EXPECT_EQ(names.size(), ListFiles(theirs).size());
  for (const std::string& name : names) EXPECT_EQ(name, ReadFileBytes(theirs + "/" + name));
}

TEST_F(GalleryCacheTest, CacheFoldersOthersCouldChangeAreRefused) {
  for (int i = 0; i < 2; ++i) AddPhoto(i);
  ASSERT_EQ(0,
            Gallery({"new", photos_, site_, "-t", "T", "-q", "--no-cache"}, cache_home_).exit_code);
  ASSERT_TRUE(CreateFolders(CacheFolder()));
  struct Case {
    bool given_away;  // else writable by its group
    const char* why;
  } cases[] = {{false, ": other users may write to it"}, {true, ": belongs to another user"}};
  for (const Case& c : cases) {
    if (c.given_away && geteuid() != 0) GTEST_SKIP() << "only the superuser can give it away";
    ASSERT_EQ(0, chmod(CacheFolder().c_str(), c.given_away ? 0700 : 0775));
    if (c.given_away) {
      ASSERT_EQ(0, chown(CacheFolder().c_str(), 65534, 65534));
    }
    const BinaryResult result = Gallery({"build", collection_, site_}, cache_home_);
    ASSERT_EQ(0, result.exit_code) << result.output;
    EXPECT_TRUE(Says(result, "made 2, skipped 0")) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("gallery: warning: " + CacheFolder() + c.why))
        << result.output;
    EXPECT_TRUE(ListFiles(CacheFolder()).empty()) << c.why;
    EXPECT_TRUE(SameAsCleanBuild()) << c.why;
  }
}

TEST_F(GalleryCacheTest, EntriesPlantedByAnotherUserAreNeverServed) {
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser can plant another user's files";
  theme_ = {"--theme=classic"};
  for (int i = 0; i < 2; ++i) AddPhoto(i);
  ASSERT_EQ(0, Gallery({"new", photos_, site_, "-t", "T", "-q"}, cache_home_).exit_code);
  // Each page image's entry swapped for the other's image, with a record that fits it: whole
  // and consistent, as anyone could make them, since the key is made of readable facts.
  const std::vector<std::string> images = EntryImages(true);
  ASSERT_EQ(2u, images.size());
  const auto record_of = [](const std::string& image) {
    return image.substr(0, image.size() - 4) + ".rec";
  };
  std::vector<std::string> bytes;
  std::vector<CEntryRecord> records;
  for (const std::string& image : images) {
    bytes.push_back(ReadFileBytes(image).value_or(""));
    records.push_back(ParseEntryRecord(ReadFileBytes(record_of(image)).value_or("")).value());
  }
  for (size_t i = 0; i < 2; ++i) {
    CEntryRecord planted = records[1 - i];
    planted.key = records[i].key;
    ASSERT_TRUE(WriteFileBytes(images[i], bytes[1 - i]));
    ASSERT_TRUE(WriteFileBytes(record_of(images[i]), FormatEntryRecord(planted)));
  }
  // Had this user planted them, they would be served, and the gallery would be wrong.
  BinaryResult own = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(own, "made 0, reused 2, skipped 0")) << own.output;
  EXPECT_FALSE(SameAsCleanBuild());
  for (const std::string& image : images) {
    ASSERT_EQ(0, chown(image.c_str(), 65534, 65534));
    ASSERT_EQ(0, chown(record_of(image).c_str(), 65534, 65534));
  }
  BinaryResult planted = Gallery({"build", collection_, site_}, cache_home_);
  ASSERT_EQ(0, planted.exit_code) << planted.output;
  EXPECT_TRUE(Says(planted, "made 2, skipped 0")) << planted.output;
  EXPECT_TRUE(SameAsCleanBuild());
  for (const std::string& image : images) EXPECT_EQ(geteuid(), StatusOf(image).st_uid);
}

TEST_F(GalleryCacheTest, LinkedOrMisSizedEntriesAreMadeAgain) {
  theme_ = {"--theme=classic"};
  for (int i = 0; i < 3; ++i) AddPhoto(i);
  ASSERT_EQ(0, Gallery({"new", photos_, site_, "-t", "T", "-q"}, cache_home_).exit_code);
  const std::vector<std::string> images = EntryImages(true);
  ASSERT_EQ(3u, images.size());
  // A link to a whole copy of the image: only its being a link is wrong.
  const std::string copy = folder_.WriteFile("copy.jpg", ReadFileBytes(images[0]).value_or(""));
  ASSERT_TRUE(RemoveFile(images[0]));
  ASSERT_EQ(0, symlink(copy.c_str(), images[0].c_str()));
  // A record that gives another length than the image has.
  const std::string record = images[1].substr(0, images[1].size() - 4) + ".rec";
  CEntryRecord longer = ParseEntryRecord(ReadFileBytes(record).value_or("")).value();
  ++longer.length;
  ASSERT_TRUE(WriteFileBytes(record, FormatEntryRecord(longer)));
  BinaryResult result = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(result, "made 2, reused 1, skipped 0")) << result.output;
  EXPECT_TRUE(SameAsCleanBuild());
  EXPECT_TRUE(S_ISREG(StatusOf(images[0]).st_mode));
  EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(images[0]));
  BinaryResult next = Gallery({"build", collection_, site_}, cache_home_);
  EXPECT_TRUE(Says(next, "made 0, reused 3, skipped 0")) << next.output;
}

TEST_F(GalleryCacheTest, EditingAGalleryImageInPlaceChangesNoOtherCopy) {
  for (int i = 0; i < 2; ++i) AddPhoto(i, 400, 300);
  ASSERT_EQ(0, Gallery({"new", photos_, site_, "-t", "T", "-q"}, cache_home_).exit_code);
  const std::string other = folder_.Join("other");
  BinaryResult second = Gallery({"build", collection_, other}, cache_home_);
  ASSERT_TRUE(Says(second, "made 0, reused 2, skipped 0")) << second.output;
  const std::string edited = site_ + "/images/1.jpg";
  const std::string original = ReadFileBytes(edited).value_or("");
  std::string entry;
  for (const std::string& image : EntryImages(true)) {
    if (ReadFileBytes(image) == original) entry = image;
  }
  ASSERT_FALSE(entry.empty());
  const std::string copies[] = {edited, other + "/images/1.jpg", entry};
  for (const std::string& copy : copies) EXPECT_EQ(1u, StatusOf(copy).st_nlink) << copy;
  EXPECT_NE(StatusOf(copies[0]).st_ino, StatusOf(copies[1]).st_ino);
  EXPECT_NE(StatusOf(copies[0]).st_ino, StatusOf(copies[2]).st_ino);
  EXPECT_NE(StatusOf(copies[1]).st_ino, StatusOf(copies[2]).st_ino);
  // As a metadata editor that overwrites in place does it: same file, new bytes.
  const int file = open(edited.c_str(), O_WRONLY);
  ASSERT_LE(0, file);
  ASSERT_EQ(6, pwrite(file, "EDITED", 6, 100));
  close(file);
  ASSERT_NE(original, ReadFileBytes(edited));
  EXPECT_EQ(original, ReadFileBytes(other + "/images/1.jpg"));
  EXPECT_EQ(original, ReadFileBytes(entry));
  BinaryResult again = Gallery({"build", collection_, other}, cache_home_);
  EXPECT_TRUE(Says(again, "made 0, reused 2, skipped 0")) << again.output;
  EXPECT_EQ(original, ReadFileBytes(other + "/images/1.jpg"));
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
