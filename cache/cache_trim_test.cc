#include "cache/cache_trim.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_status.h"
#include "platform/file_system.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

constexpr int64_t kHour = kStaleTemporaryNanoseconds;
constexpr int64_t kNow = 100 * kHour;

// An entry of `image_size` bytes plus a 10-byte record last used at `used`.
void AddEntry(std::vector<CListedFile>& files, const std::string& name, int64_t image_size,
              int64_t used) {
  files.push_back({name + ".jpg", image_size, 0});
  files.push_back({name + ".rec", 10, used});
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ChooseFilesToTrimTest, RemovesLeastRecentlyUsedEntriesUntilUnderTheCap) {
  std::vector<CListedFile> files;
  AddEntry(files, "new", 90, kNow - 1);
  AddEntry(files, "old", 90, kNow - 3);
  AddEntry(files, "mid", 90, kNow - 2);
  struct Case {
    int64_t cap;
    std::vector<std::string> expected;
  } cases[] = {
      {300, {}},
      {299, {"old.rec", "old.jpg"}},
      {200, {"old.rec", "old.jpg"}},
      {199, {"old.rec", "old.jpg", "mid.rec", "mid.jpg"}},
      {0, {"old.rec", "old.jpg", "mid.rec", "mid.jpg", "new.rec", "new.jpg"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseFilesToTrim(files, c.cap, kNow)) << c.cap;
  }
}

TEST(ChooseFilesToTrimTest, RemovesOnlyStaleLeftoversAndNeverForeignFiles) {
  std::vector<CListedFile> files = {
      {"a.jpg.12-0.tmp", 5000, kNow - 2 * kHour},  // a killed run's, long ago
      {"b.rec.12-1.tmp", 5000, kNow - 60},         // a run that is still writing
      {"half.jpg", 5000, kNow - 2 * kHour},        // stored without its record, long ago
      {"fresh.jpg", 5000, kNow - 60},              // its record may come any moment
      {"orphan.rec", 10, kNow - 2 * kHour},
      {"notes.txt", 1 << 30, 0},
      {"x.txt.12-0.tmp", 1 << 30, 0},
  };
  AddEntry(files, "kept", 100, kNow - 5);
  EXPECT_EQ(Sorted({"a.jpg.12-0.tmp", "half.jpg", "orphan.rec"}),
            Sorted(ChooseFilesToTrim(files, 1000, kNow)));
}

TEST(TrimCacheFolderTest, TrimsOldestFirstAndNotWhileAnotherTrims) {
  TempFolder folder;
  const timespec now[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  for (int i = 0; i < 3; ++i) {
    const std::string name = "e" + std::to_string(i);
    folder.WriteFile(name + ".jpg", std::string(1000, 'x'));
    const std::string record = folder.WriteFile(name + ".rec", "r");
    // Used i hours ago.
    const timespec used[2] = {now[0], {time(nullptr) - i * 3600, 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, record.c_str(), used, 0));
  }
  {
    const CFolderLock other(folder.path());
    ASSERT_TRUE(other.held());
    EXPECT_EQ(0, TrimCacheFolder(folder.path(), 0));
  }
  EXPECT_EQ(2, TrimCacheFolder(folder.path(), 2500));
  EXPECT_FALSE(FileExists(folder.Join("e2.jpg")));
  EXPECT_FALSE(FileExists(folder.Join("e2.rec")));
  EXPECT_TRUE(FileExists(folder.Join("e1.jpg")));
  EXPECT_TRUE(FileExists(folder.Join("e0.rec")));
}

}  // namespace
}  // namespace gallery
