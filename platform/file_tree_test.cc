#include "platform/file_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(FileTreeTest, ListsEveryEntryDepthFirstWithoutFollowingLinks) {
  TempFolder folder;
  TempFolder elsewhere;
  elsewhere.WriteFile("theirs.txt", "not to be listed");
  ASSERT_TRUE(CreateFolder(folder.Join("b")));
  ASSERT_TRUE(CreateFolder(folder.Join("b/empty")));
  ASSERT_TRUE(CreateFolder(folder.Join("b.c")));
  folder.WriteFile("b/page 1.htm", "12345");
  folder.WriteFile("a\nb", "");
  folder.WriteFile("b.c/x", "x");
  ASSERT_EQ(0, symlink(elsewhere.path().c_str(), folder.Join("b/linked").c_str()));
  ASSERT_EQ(0, symlink("gone", folder.Join("dangling").c_str()));
  ASSERT_EQ(0, mkfifo(folder.Join("pipe").c_str(), 0600));
  struct Expected {
    std::string path;
    TreeEntryKind kind;
  };
  const std::vector<Expected> expected = {
      {"a\nb", TreeEntryKind::kFile},         {"b", TreeEntryKind::kFolder},
      {"b/empty", TreeEntryKind::kFolder},    {"b/linked", TreeEntryKind::kLink},
      {"b/page 1.htm", TreeEntryKind::kFile}, {"b.c", TreeEntryKind::kFolder},
      {"b.c/x", TreeEntryKind::kFile},        {"dangling", TreeEntryKind::kLink},
      {"pipe", TreeEntryKind::kOther},
  };
  const std::vector<CTreeEntry> entries = ListTree(folder.path());
  ASSERT_EQ(expected.size(), entries.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].path, entries[i].path) << i;
    EXPECT_EQ(expected[i].kind, entries[i].kind) << entries[i].path;
    EXPECT_TRUE(entries[i].listed) << entries[i].path;
  }
  struct stat info;
  ASSERT_EQ(0, lstat(folder.Join("b/page 1.htm").c_str(), &info));
  EXPECT_EQ(static_cast<uint64_t>(info.st_ino), entries[4].inode);
  EXPECT_EQ(5, entries[4].size);
  EXPECT_EQ(info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec, entries[4].modified_ns);
  EXPECT_EQ(info.st_ctim.tv_sec * 1000000000 + info.st_ctim.tv_nsec, entries[4].changed_ns);
  EXPECT_TRUE(ListTree(folder.Join("missing")).empty());
  EXPECT_TRUE(ListTree(folder.Join("b/empty")).empty());
}

TEST(FileTreeTest, ContentHashIsSha256OfRegularFilesOnly) {
  TempFolder folder;
  struct Case {
    std::string content;
    std::string checksum;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // Longer than one piece read.
      {std::string(200000, 'x'),
       "91e3faafd322bcdf160f3f0ce886acb092b9b9e2a1e8526b40f21a8898a8700b"},
  };
  for (const Case& c : cases) {
    const std::string path = folder.WriteFile("file", c.content);
    EXPECT_EQ(c.checksum, HashFileContent(path)) << c.content.size();
  }
  ASSERT_EQ(0, symlink("file", folder.Join("link").c_str()));
  ASSERT_EQ(0, mkfifo(folder.Join("pipe").c_str(), 0600));
  for (const char* name : {"link", "pipe", "missing", ""}) {
    EXPECT_EQ(std::nullopt, HashFileContent(folder.Join(name))) << name;
  }
}

TEST(FileTreeTest, HashesAFileOnlyAsTheFileOfItsStatus) {
  TempFolder folder;
  const std::string path = folder.WriteFile("photo", std::string(200000, 'p'));
  ASSERT_EQ(0, symlink("photo", folder.Join("link").c_str()));
  const std::optional<CFileStatus> status = GetFileStatus(path);
  ASSERT_TRUE(status);
  const std::optional<std::string> digest = HashFileContent(path);
  ASSERT_TRUE(digest);
  EXPECT_EQ(digest, HashFileOfStatus(path, *status));
  // A photo may be reached through a link: it is the file that counts.
  EXPECT_EQ(digest, HashFileOfStatus(folder.Join("link"), *status));
  EXPECT_EQ(std::nullopt, HashFileOfStatus(folder.Join("missing"), *status));
  // Any other file, or this one since it changed, is not the file that was looked at.
  const std::string other = folder.WriteFile("other", std::string(200000, 'p'));
  EXPECT_EQ(std::nullopt, HashFileOfStatus(other, *status));
  const int file = open(path.c_str(), O_WRONLY);
  ASSERT_LE(0, file);
  ASSERT_EQ(1, pwrite(file, "q", 1, 100));
  close(file);
  // Its modification time set back: the change time still tells.
  const timespec times[2] = {{0, UTIME_OMIT},
                             {status->modified_ns / 1000000000, status->modified_ns % 1000000000}};
  ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
  const std::optional<CFileStatus> edited = GetFileStatus(path);
  ASSERT_TRUE(edited);
  ASSERT_EQ(status->size, edited->size);
  ASSERT_EQ(status->modified_ns, edited->modified_ns);
  EXPECT_EQ(std::nullopt, HashFileOfStatus(path, *status));
  const std::optional<std::string> new_digest = HashFileOfStatus(path, *edited);
  ASSERT_TRUE(new_digest);
  EXPECT_NE(*digest, *new_digest);
  for (const std::function<void(CFileStatus&)>& change :
       std::vector<std::function<void(CFileStatus&)>>{
           [](CFileStatus& s) { ++s.device; }, [](CFileStatus& s) { ++s.inode; },
           [](CFileStatus& s) { --s.size; }, [](CFileStatus& s) { ++s.modified_ns; },
           [](CFileStatus& s) { --s.changed_ns; }}) {
    CFileStatus wrong = *edited;
    change(wrong);
    EXPECT_EQ(std::nullopt, HashFileOfStatus(path, wrong));
  }
}

}  // namespace
}  // namespace gallery
