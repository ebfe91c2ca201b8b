#include "cache/cache_entry.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cache/cache_key.h"
#include "imaging/image_cache.h"
#include "platform/file_status.h"
#include "platform/file_system.h"
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

class CacheEntryTest : public testing::Test {
 protected:
  CacheEntryTest() {
    cache_ = folder_.Join("cache");
    static_cast<void>(CreateFolder(cache_));
    made_ = folder_.WriteFile("made.jpg", image_);
    record_ = {static_cast<int64_t>(image_.size()), Crc32(image_), {7, 5}, "key"};
  }

  TempFolder folder_;
  std::string cache_;
  const std::string image_ = std::string(1000, 'j') + "end";
  std::string made_;
  CEntryRecord record_;
};

TEST_F(CacheEntryTest, StoredEntryIsFetchedWhole) {
  ASSERT_TRUE(StoreEntry(cache_, "e", record_, made_, image_, 0));
  const std::string path = folder_.Join("out.jpg");
  const std::optional<PhotoSize> size = FetchEntry(cache_, "e", "key", path);
  ASSERT_TRUE(size);
  EXPECT_EQ(7, size->width);
  EXPECT_EQ(5, size->height);
  EXPECT_EQ(image_, ReadFileBytes(path).value_or(""));
  // Another key stored under the same name is not this image, and its entry stays.
  EXPECT_FALSE(FetchEntry(cache_, "e", "other key", folder_.Join("other.jpg")));
  EXPECT_TRUE(IsReadableFile(EntryImagePath(cache_, "e")));
  EXPECT_FALSE(IsReadableFile(folder_.Join("other.jpg")));
}

TEST_F(CacheEntryTest, DamagedEntryIsRemovedAndNothingIsLeftAtThePath) {
  std::string flipped = image_;
  flipped[500] ^= 0x10;
  const std::string damages[] = {image_.substr(0, 600), flipped, image_ + "x", ""};
  for (const std::string& damaged : damages) {
    ASSERT_TRUE(StoreEntry(cache_, "e", record_, made_, image_, 0));
    ASSERT_TRUE(WriteFileBytes(EntryImagePath(cache_, "e"), damaged));
    const std::string path = folder_.Join("out.jpg");
    EXPECT_FALSE(FetchEntry(cache_, "e", "key", path)) << damaged.size();
    EXPECT_FALSE(IsReadableFile(path)) << damaged.size();
    EXPECT_FALSE(IsReadableFile(EntryImagePath(cache_, "e"))) << damaged.size();
    EXPECT_FALSE(IsReadableFile(EntryRecordPath(cache_, "e"))) << damaged.size();
  }
  // A damaged record goes the same way.
  ASSERT_TRUE(StoreEntry(cache_, "e", record_, made_, image_, 0));
  ASSERT_TRUE(WriteFileBytes(EntryRecordPath(cache_, "e"), "gallerygen-cache-entry 1"));
  EXPECT_FALSE(FetchEntry(cache_, "e", "key", folder_.Join("out.jpg")));
  EXPECT_FALSE(IsReadableFile(EntryImagePath(cache_, "e")));
}

}  // namespace
}  // namespace gallery
