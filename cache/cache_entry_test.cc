#include "cache/cache_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cache/cache_key.h"
#include "imaging/image_cache.h"
#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/own_files.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(EntryRecordTest, ReadsBackWhatWasWrittenAndRejectsAnythingElse) {
  const CEntryRecord record = {12345, 0xDEADBEEF, {640, 480}, "path=/a b\nc;d"};
  const std::optional<CEntryRecord> back = ParseEntryRecord(FormatEntryRecord(record));
  ASSERT_TRUE(back);
  EXPECT_EQ(record.length, back->length);
  EXPECT_EQ(record.crc, back->crc);
  EXPECT_EQ(record.size.width, back->size.width);
  EXPECT_EQ(record.size.height, back->size.height);
  EXPECT_EQ(record.key, back->key);
  const std::string whole = FormatEntryRecord(record);
  for (const std::string& damaged :
       {std::string(), whole.substr(0, 30), "x" + whole, whole.substr(0, whole.find('\n')),
        std::string("gallerygen-cache-entry -1 0 1 1\nk")}) {
    EXPECT_FALSE(ParseEntryRecord(damaged)) << damaged;
  }
  // The CRC-32 check value of "123456789".
  EXPECT_EQ(0xCBF43926u, Crc32("123456789"));
}

TEST(EntryRecordTest, AliasesReadBackAndAreNeverTakenForEntries) {
  const CAliasRecord alias = {"sha256=ab\ncd;", "path=/a\nb 7\n"};
  const std::string whole = FormatAliasRecord(alias);
  const std::optional<CAliasRecord> back = ParseAliasRecord(whole);
  ASSERT_TRUE(back);
  EXPECT_EQ(alias.target, back->target);
  EXPECT_EQ(alias.key, back->key);
  EXPECT_FALSE(ParseEntryRecord(whole));
  EXPECT_FALSE(ParseAliasRecord(FormatEntryRecord({1, 2, {3, 4}, "k"})));
  for (const std::string& damaged :
       {whole.substr(0, whole.find('\n') + 3), std::string("gallerygen-cache-alias -1\nx"),
        std::string("gallerygen-cache-alias 1 \nx"), std::string("gallerygen-cache-alias\n")}) {
    EXPECT_FALSE(ParseAliasRecord(damaged)) << damaged;
  }
  // An empty key is still a key.
  EXPECT_EQ("", ParseAliasRecord(FormatAliasRecord({"t", ""})).value_or(alias).key);
}

TEST(CacheKeyTest, ContentKeysFollowTheBytesAndSettingsOnly) {
  const std::string digest(64, 'a');
  CImageSettings settings;
  const std::string base = MakeContentKey(digest, settings, kPageImageMode);
  EXPECT_EQ(base, MakeContentKey(digest, settings, kPageImageMode));
  CImageSettings other_settings;
  other_settings.max_long_side = 1024;
  const std::string others[] = {
      MakeContentKey(std::string(63, 'a') + "b", settings, kPageImageMode),
      MakeContentKey(digest, settings, kThumbnailMode),
      MakeContentKey(digest, other_settings, kPageImageMode),
      // No path key reads like a content key, whatever its path holds.
      MakeCacheKey("/p;sha256=" + digest, {}, settings, kPageImageMode),
  };
  for (const std::string& other : others) {
    EXPECT_NE(base, other) << other;
    EXPECT_NE(CacheEntryName(base), CacheEntryName(other)) << other;
  }
  EXPECT_NE(std::string::npos, base.find("format=" + std::to_string(kCacheFormatVersion) + ";"));
}

TEST(CacheKeyTest, EveryInputChangesTheKey) {
  const CFileStatus status = {1, 2, 3, 4, 5};
  CImageSettings settings;
  const std::string base = MakeCacheKey("/p.jpg", status, settings, kPageImageMode);
  EXPECT_EQ(base, MakeCacheKey("/p.jpg", status, settings, kPageImageMode));
  EXPECT_EQ(16u, CacheEntryName(base).size());
  EXPECT_EQ(CacheEntryName(base), CacheEntryName(std::string(base)));
  std::vector<std::string> others = {
      MakeCacheKey("/q.jpg", status, settings, kPageImageMode),
      MakeCacheKey("/p.jpg", status, settings, kThumbnailMode),
  };
  const std::function<void(CFileStatus&)> status_changes[] = {
      [](CFileStatus& s) { ++s.device; },     [](CFileStatus& s) { ++s.inode; },
      [](CFileStatus& s) { ++s.size; },       [](CFileStatus& s) { ++s.modified_ns; },
      [](CFileStatus& s) { ++s.changed_ns; },
  };
  for (const auto& change : status_changes) {
    CFileStatus changed = status;
    change(changed);
    others.push_back(MakeCacheKey("/p.jpg", changed, settings, kPageImageMode));
  }
  const std::function<void(CImageSettings&)> settings_changes[] = {
      [](CImageSettings& s) { ++s.thumb_box.width; },
      [](CImageSettings& s) { ++s.thumb_box.height; },
      [](CImageSettings& s) { ++s.thumb_type; },
      [](CImageSettings& s) { s.edge_ring = true; },
      [](CImageSettings& s) { ++s.background.red; },
      [](CImageSettings& s) { ++s.background.green; },
      [](CImageSettings& s) { ++s.background.blue; },
      [](CImageSettings& s) { ++s.quality; },
      [](CImageSettings& s) { ++s.max_long_side; },
      [](CImageSettings& s) { s.reduced_decoding = true; },
      [](CImageSettings& s) { ++s.thumb_scale; },
      [](CImageSettings& s) { s.never_enlarge = true; },
      [](CImageSettings& s) { s.cubic_resampling = true; },
  };
  for (const auto& change : settings_changes) {
    CImageSettings changed = settings;
    change(changed);
    others.push_back(MakeCacheKey("/p.jpg", status, changed, kPageImageMode));
  }
  for (size_t i = 0; i < others.size(); ++i) {
    EXPECT_NE(base, others[i]) << i;
    EXPECT_NE(CacheEntryName(base), CacheEntryName(others[i])) << i;
  }
}

TEST(EntryNameTest, OnlyTheCachesOwnNamesAreEntries) {
  const std::string name = "0123456789abcdef";
  EXPECT_TRUE(IsEntryName(name));
  EXPECT_EQ(name, EntryNameOfFile(name + ".jpg").value_or(""));
  EXPECT_EQ(name, EntryNameOfFile(name + ".rec").value_or(""));
  for (const std::string& other :
       std::vector<std::string>{"0123.jpg", "x.rec", ".jpg", name, name + ".jpeg",
                                name + ".jpg.bak", "0123456789ABCDEF.jpg", "0123456789abcdeg.jpg",
                                "00123456789abcdef.jpg", "123456789abcdef.rec", name + ".tmp"}) {
    EXPECT_FALSE(EntryNameOfFile(other)) << other;
  }
  EXPECT_FALSE(IsEntryName("0123456789abcde"));
}

class CacheEntryTest : public testing::Test {
 protected:
  CacheEntryTest() : cache_(folder_.Join("cache")) {
    made_ = folder_.WriteFile("made.jpg", image_);
  }

  std::string EntryImage() const { return folder_.Join("cache/" + EntryImageFile(kName)); }
  std::string EntryRecord() const { return folder_.Join("cache/" + EntryRecordFile(kName)); }

  static constexpr const char* kName = "00000000000000e1";
  TempFolder folder_;
  const COwnFolder cache_;
  const std::string image_ = std::string(1000, 'j') + "end";
  std::string made_;
};

TEST_F(CacheEntryTest, StoredEntryIsFetchedWhole) {
  ASSERT_TRUE(StoreEntry(cache_, kName, {7, 5}, "key", made_, 0));
  const std::optional<CEntryRecord> record =
      ParseEntryRecord(ReadFileBytes(EntryRecord()).value_or(""));
  ASSERT_TRUE(record);
  EXPECT_EQ(static_cast<int64_t>(image_.size()), record->length);
  EXPECT_EQ(Crc32(image_), record->crc);
  const std::string path = folder_.Join("out.jpg");
  const std::optional<PhotoSize> size = FetchEntry(cache_, kName, "key", path);
  ASSERT_TRUE(size);
  EXPECT_EQ(7, size->width);
  EXPECT_EQ(5, size->height);
  EXPECT_EQ(image_, ReadFileBytes(path).value_or(""));
  // Another key stored under the same name is not this image, and its entry stays.
  EXPECT_FALSE(FetchEntry(cache_, kName, "other key", folder_.Join("other.jpg")));
  EXPECT_TRUE(IsReadableFile(EntryImage()));
  EXPECT_FALSE(IsReadableFile(folder_.Join("other.jpg")));
}

TEST_F(CacheEntryTest, AnAliasLeadsToItsEntryOnceAndOnlyForItsKey) {
  const std::string alias_name = "00000000000000a1";
  const std::string alias_record = folder_.Join("cache/" + EntryRecordFile(alias_name));
  // The entry's key must hash to its name for the alias to find it.
  const std::string target_name = CacheEntryName("content");
  ASSERT_TRUE(StoreEntry(cache_, target_name, {7, 5}, "content", made_, 0));
  ASSERT_TRUE(StoreAlias(cache_, alias_name, "path", "content", 1));
  const std::string path = folder_.Join("out.jpg");
  const std::optional<PhotoSize> size = FetchEntry(cache_, alias_name, "path", path);
  ASSERT_TRUE(size);
  EXPECT_EQ(7, size->width);
  EXPECT_EQ(image_, ReadFileBytes(path).value_or(""));
  // The alias is a record alone: no second copy of the image.
  EXPECT_FALSE(FileExists(folder_.Join("cache/" + EntryImageFile(alias_name))));
  // Under another key, the alias is simply not this image's, and stays.
  EXPECT_FALSE(FetchEntry(cache_, alias_name, "other path", folder_.Join("other.jpg")));
  EXPECT_FALSE(FileExists(folder_.Join("other.jpg")));
  EXPECT_TRUE(FileExists(alias_record));
  // An alias reached through an alias is not followed.
  ASSERT_TRUE(StoreAlias(cache_, target_name, "content", "path", 2));
  EXPECT_FALSE(FetchEntry(cache_, alias_name, "path", folder_.Join("loop.jpg")));
  EXPECT_FALSE(FileExists(folder_.Join("loop.jpg")));
  // Storing that alias took the place of the entry, image and all.
  EXPECT_FALSE(FileExists(folder_.Join("cache/" + EntryImageFile(target_name))));
  // An alias whose entry is gone gives nothing, and no damage is seen in it.
  ASSERT_TRUE(RemoveEntry(cache_, target_name));
  EXPECT_FALSE(FetchEntry(cache_, alias_name, "path", folder_.Join("gone.jpg")));
  EXPECT_FALSE(FileExists(folder_.Join("gone.jpg")));
  EXPECT_TRUE(FileExists(alias_record));
}

TEST_F(CacheEntryTest, ADamagedEntryBehindAnAliasIsRemovedAndNotServed) {
  const std::string alias_name = "00000000000000a2";
  const std::string target_name = CacheEntryName("content");
  ASSERT_TRUE(StoreEntry(cache_, target_name, {7, 5}, "content", made_, 0));
  ASSERT_TRUE(StoreAlias(cache_, alias_name, "path", "content", 1));
  const std::string target_image = folder_.Join("cache/" + EntryImageFile(target_name));
  ASSERT_TRUE(WriteFileBytes(target_image, image_.substr(0, 100)));
  const std::string path = folder_.Join("out.jpg");
  EXPECT_FALSE(FetchEntry(cache_, alias_name, "path", path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(FileExists(target_image));
  // A record that is neither an entry's nor an alias's is damage too.
  ASSERT_TRUE(WriteFileBytes(folder_.Join("cache/" + EntryRecordFile(alias_name)),
                             "gallerygen-cache-alias 99\npath"));
  EXPECT_FALSE(FetchEntry(cache_, alias_name, "path", path));
  EXPECT_FALSE(FileExists(folder_.Join("cache/" + EntryRecordFile(alias_name))));
}

TEST_F(CacheEntryTest, GalleryFilesAndEntriesShareNoFile) {
  ASSERT_TRUE(StoreEntry(cache_, kName, {7, 5}, "key", made_, 0));
  const std::string path = folder_.Join("out.jpg");
  ASSERT_TRUE(FetchEntry(cache_, kName, "key", path));
  struct stat info;
  for (const std::string& file : {made_, path, EntryImage()}) {
    ASSERT_EQ(0, stat(file.c_str(), &info)) << file;
    EXPECT_EQ(1u, info.st_nlink) << file;
  }
  EXPECT_FALSE(IsSameFile(made_, EntryImage()));
  EXPECT_FALSE(IsSameFile(path, EntryImage()));
  // The entry is this user's alone.
  ASSERT_EQ(0, stat(EntryImage().c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777);
}

TEST_F(CacheEntryTest, DamagedEntryIsRemovedAndNothingIsLeftAtThePath) {
  std::string flipped = image_;
  flipped[500] ^= 0x10;
  const std::string damages[] = {image_.substr(0, 600), flipped, image_ + "x", ""};
  for (const std::string& damaged : damages) {
    ASSERT_TRUE(StoreEntry(cache_, kName, {7, 5}, "key", made_, 0));
    ASSERT_TRUE(WriteFileBytes(EntryImage(), damaged));
    const std::string path = folder_.Join("out.jpg");
    EXPECT_FALSE(FetchEntry(cache_, kName, "key", path)) << damaged.size();
    EXPECT_FALSE(IsReadableFile(path)) << damaged.size();
    EXPECT_FALSE(IsReadableFile(EntryImage())) << damaged.size();
    EXPECT_FALSE(IsReadableFile(EntryRecord())) << damaged.size();
  }
  // A damaged record goes the same way.
  ASSERT_TRUE(StoreEntry(cache_, kName, {7, 5}, "key", made_, 0));
  ASSERT_TRUE(WriteFileBytes(EntryRecord(), "gallerygen-cache-entry 1"));
  EXPECT_FALSE(FetchEntry(cache_, kName, "key", folder_.Join("out.jpg")));
  EXPECT_FALSE(IsReadableFile(EntryImage()));
}

TEST_F(CacheEntryTest, LinksInPlaceOfAnEntryAreNeverServedNorFollowed) {
  // A link to a whole, matching copy of the image: only its being a link is wrong.
  const std::string copy = folder_.WriteFile("copy.jpg", image_);
  for (bool link_the_image : {true, false}) {
    ASSERT_TRUE(StoreEntry(cache_, kName, {7, 5}, "key", made_, 0));
    const std::string linked = link_the_image ? EntryImage() : EntryRecord();
    const std::string target = link_the_image ? copy : folder_.WriteFile("record", "");
    if (!link_the_image) {
      ASSERT_TRUE(WriteFileBytes(target, ReadFileBytes(EntryRecord()).value_or("")));
    }
    ASSERT_TRUE(RemoveFile(linked));
    ASSERT_EQ(0, symlink(target.c_str(), linked.c_str()));
    const std::string path = folder_.Join("out.jpg");
    static_cast<void>(RemoveFile(path));
    EXPECT_FALSE(FetchEntry(cache_, kName, "key", path)) << link_the_image;
    EXPECT_FALSE(IsReadableFile(path)) << link_the_image;
    EXPECT_TRUE(IsReadableFile(target)) << link_the_image;
    // Storing the image again replaces the link, not what it leads to.
    ASSERT_TRUE(StoreEntry(cache_, kName, {7, 5}, "key", made_, 1));
    EXPECT_TRUE(FetchEntry(cache_, kName, "key", path)) << link_the_image;
    EXPECT_FALSE(IsSameFile(linked, target)) << link_the_image;
  }
  EXPECT_EQ(image_, ReadFileBytes(copy).value_or(""));
}

TEST_F(CacheEntryTest, EntriesOfAnotherUserAreNeverServed) {
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser can plant another user's files";
  for (bool give_the_image : {true, false}) {
    ASSERT_TRUE(StoreEntry(cache_, kName, {7, 5}, "key", made_, 0));
    const std::string given = give_the_image ? EntryImage() : EntryRecord();
    ASSERT_EQ(0, chown(given.c_str(), 65534, 65534));
    EXPECT_FALSE(FetchEntry(cache_, kName, "key", folder_.Join("out.jpg"))) << give_the_image;
    EXPECT_FALSE(IsReadableFile(folder_.Join("out.jpg"))) << give_the_image;
  }
}

}  // namespace
}  // namespace gallery
