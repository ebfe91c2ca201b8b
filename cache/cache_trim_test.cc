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
#include "platform/folder_listing.h"
#include "platform/own_files.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

constexpr int64_t kHour = kStaleTemporaryNanoseconds;
constexpr int64_t kNow = 100 * kHour;

// The entry name the cache would give `word`: its letters in hex, padded with zeros.
std::string Name(const std::string& word) {
  std::string name;
  for (const char c : word) {
    constexpr char kDigits[] = "0123456789abcdef";
    name += kDigits[static_cast<unsigned char>(c) >> 4];
    name += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return std::string(16 - name.size(), '0') + name;
}

// An entry of `image_size` bytes plus a 10-byte record last used at `used`.
void AddEntry(std::vector<CListedFile>& files, const std::string& name, int64_t image_size,
              int64_t used) {
  files.push_back({Name(name) + ".jpg", image_size, 0});
  files.push_back({Name(name) + ".rec", 10, used});
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
  const std::string old_rec = Name("old") + ".rec", old_jpg = Name("old") + ".jpg";
  const std::string mid_rec = Name("mid") + ".rec", mid_jpg = Name("mid") + ".jpg";
  const std::string new_rec = Name("new") + ".rec", new_jpg = Name("new") + ".jpg";
  struct Case {
    int64_t cap;
    std::vector<std::string> expected;
  } cases[] = {
      {300, {}},
      {299, {old_rec, old_jpg}},
      {200, {old_rec, old_jpg}},
      {199, {old_rec, old_jpg, mid_rec, mid_jpg}},
      {0, {old_rec, old_jpg, mid_rec, mid_jpg, new_rec, new_jpg}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseFilesToTrim(files, c.cap, kNow)) << c.cap;
  }
}

TEST(ChooseFilesToTrimTest, RemovesOnlyStaleLeftoversAndNeverForeignFiles) {
  const std::string a = Name("a"), b = Name("b"), half = Name("half"), fresh = Name("fresh");
  const std::string orphan = Name("orphan");
  std::vector<CListedFile> files = {
      {a + ".jpg.12-0.tmp", 5000, kNow - 2 * kHour},  // a killed run's, long ago
      {b + ".rec.12-1.tmp", 5000, kNow - 60},         // a run that is still writing
      {half + ".jpg", 5000, kNow - 2 * kHour},        // stored without its record, long ago
      {fresh + ".jpg", 5000, kNow - 60},              // its record may come any moment
      {orphan + ".rec", 10, kNow - 2 * kHour},        // an alias: no image of its own
      // Names of any other shape are a person's files, however old or large.
      {"notes.txt", 1 << 30, 0},
      {"x.txt.12-0.tmp", 1 << 30, 0},
      {"0123.jpg", 5000, 0},
      {"x.rec", 10, 0},
      {"IMG_0001.jpg.12-0.tmp", 5000, 0},
      {"0123456789ABCDEF.jpg", 5000, 0},
      {a + ".jpg.tmp", 5000, 0},
      {a + ".jpg.x-0.tmp", 5000, 0},
  };
  AddEntry(files, "kept", 100, kNow - 5);
  EXPECT_EQ(Sorted({a + ".jpg.12-0.tmp", half + ".jpg"}),
            Sorted(ChooseFilesToTrim(files, 1000, kNow)));
}

TEST(ChooseFilesToTrimTest, AliasesCountTheirRecordOnlyAndGoByLastUse) {
  std::vector<CListedFile> files;
  AddEntry(files, "image", 1000, kNow - 10);
  // Three aliases of that image, one used after it and two before.
  files.push_back({Name("late") + ".rec", 30, kNow - 5});
  files.push_back({Name("early") + ".rec", 30, kNow - 20});
  files.push_back({Name("earlier") + ".rec", 30, kNow - 30});
  // The image once, its record and the three aliases.
  EXPECT_TRUE(ChooseFilesToTrim(files, 1100, kNow).empty());
  EXPECT_EQ(std::vector<std::string>{Name("earlier") + ".rec"},
            ChooseFilesToTrim(files, 1099, kNow));
  EXPECT_EQ(Sorted({Name("earlier") + ".rec", Name("early") + ".rec"}),
            Sorted(ChooseFilesToTrim(files, 1040, kNow)));
  EXPECT_EQ(Sorted({Name("earlier") + ".rec", Name("early") + ".rec", Name("image") + ".rec",
                    Name("image") + ".jpg"}),
            Sorted(ChooseFilesToTrim(files, 1039, kNow)));
}

// Sets the modification time of `path` to `hours` ago.
void AgeFile(const std::string& path, int hours) {
  const timespec times[2] = {{0, UTIME_NOW}, {time(nullptr) - hours * 3600, 0}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW)) << path;
}

TEST(TrimCacheFolderTest, TrimsOldestFirstAndNotWhileAnotherTrims) {
  TempFolder folder;
  const COwnFolder cache(folder.path());
  ASSERT_TRUE(cache.is_open());
  for (int i = 0; i < 3; ++i) {
    const std::string name = Name("e" + std::to_string(i));
    folder.WriteFile(name + ".jpg", std::string(1000, 'x'));
    AgeFile(folder.WriteFile(name + ".rec", "r"), i);  // used i hours ago
  }
  {
    const CFolderLock other(folder.path());
    ASSERT_TRUE(other.held());
    EXPECT_EQ(0, TrimCacheFolder(cache, 0));
  }
  EXPECT_EQ(2, TrimCacheFolder(cache, 2500));
  EXPECT_FALSE(FileExists(folder.Join(Name("e2") + ".jpg")));
  EXPECT_FALSE(FileExists(folder.Join(Name("e2") + ".rec")));
  EXPECT_TRUE(FileExists(folder.Join(Name("e1") + ".jpg")));
  EXPECT_TRUE(FileExists(folder.Join(Name("e0") + ".rec")));
}

TEST(TrimCacheFolderTest, LeavesAPersonsFilesLinksAndFoldersAlone) {
  TempFolder folder;
  const std::string photos = folder.Join("photos");
  ASSERT_TRUE(CreateFolder(photos));
  const std::string entry_named = Name("photo");
  std::vector<std::string> theirs;
  for (const std::string& name : {std::string("0123.jpg"), std::string("x.rec"),
                                  entry_named + ".jpg", entry_named + ".rec"}) {
    theirs.push_back(folder.WriteFile("photos/" + name, std::string(5000, 'p')));
    AgeFile(theirs.back(), 2);
  }
  const COwnFolder cache(folder.Join("cache"));
  ASSERT_TRUE(cache.is_open());
  // In the cache: a person's stray files, links of entry names leading to the photos, and a
  // folder of an entry's name, all long stale; and one entry of the cache's own.
  for (const std::string& name :
       {std::string("0123.jpg"), std::string("x.rec"), std::string("IMG_1.jpg.12-0.tmp")}) {
    AgeFile(folder.WriteFile("cache/" + name, "p"), 2);
  }
  for (const std::string& name : {entry_named + ".jpg", entry_named + ".rec", Name("lone") + ".jpg",
                                  Name("t") + ".jpg.12-0.tmp"}) {
    const std::string link = folder.Join("cache/" + name);
    ASSERT_EQ(0, symlink(theirs[2].c_str(), link.c_str()));
    AgeFile(link, 2);
  }
  ASSERT_TRUE(CreateFolder(folder.Join("cache/" + Name("dir") + ".jpg")));
  folder.WriteFile("cache/" + Name("own") + ".jpg", "o");
  folder.WriteFile("cache/" + Name("own") + ".rec", "r");
  EXPECT_EQ(2, TrimCacheFolder(cache, 0));
  for (const std::string& path : theirs) EXPECT_EQ(std::string(5000, 'p'), ReadWholeFile(path));
  EXPECT_EQ(8u, ListFolder(folder.Join("cache")).value_or(std::vector<std::string>{}).size());
  EXPECT_FALSE(FileExists(folder.Join("cache/" + Name("own") + ".jpg")));
}

}  // namespace
}  // namespace gallery
