#include "platform/file_system.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(FileSystemTest, PathsSplitAtEitherSeparator) {
  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"a/b/c.xml", "a/b"},  {"a\\b\\c.xml", "a\\b"}, {"a\\b/c.xml", "a\\b"},
      {"a/b\\c.xml", "a/b"}, {"c.xml", "."},          {"", "."},
      {"/c.xml", ""},        {"C:\\c.xml", "C:"},     {"dir/", "dir"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.folder, ParentFolder(c.path)) << c.path;
  EXPECT_EQ("C:/gallery/images//a.jpg", ToSystemPath("C:\\gallery\\images\\\\a.jpg"));
}

TEST(FileSystemTest, WritesReplaceWholeFilesAndLeaveNoTemporary) {
  TempFolder folder;
  const std::string path = folder.Join("page.htm");
  ASSERT_TRUE(WriteFileBytes(path, "old"));
  EXPECT_TRUE(WriteFileBytes(folder.path() + "\\back.htm", "b")) << "a backslash separates";
  EXPECT_EQ("b", ReadFileBytes(folder.Join("back.htm")).value_or(""));
  EXPECT_TRUE(WriteFileBytes(path, std::string(100000, 'n')));
  EXPECT_EQ(std::string(100000, 'n'), ReadFileBytes(path).value_or(""));
  // A folder that does not exist: nothing is written and nothing is left behind.
  EXPECT_FALSE(WriteFileBytes(folder.Join("absent/page.htm"), "new"));
  // A writer that fails keeps the old content.
  EXPECT_FALSE(WriteFileWith(path, [](int) { return false; }));
  EXPECT_EQ(std::string(100000, 'n'), ReadFileBytes(path).value_or(""));
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    EXPECT_EQ(std::string::npos, entry.path().string().find(".tmp")) << entry.path();
  }
  struct stat info;
  ASSERT_EQ(0, stat(path.c_str(), &info));
  EXPECT_NE(0u, info.st_mode & S_IRGRP) << "written files get the usual permissions";
}

TEST(FileSystemTest, ReadsOnlyRegularFiles) {
  TempFolder folder;
  EXPECT_EQ("abc", ReadFileBytes(folder.WriteFile("a.xml", "abc")).value_or("?"));
  EXPECT_EQ("", ReadFileBytes(folder.WriteFile("empty.xml", "")).value_or("?"));
  EXPECT_FALSE(ReadFileBytes(folder.Join("missing.xml")).has_value());
  EXPECT_FALSE(ReadFileBytes(folder.path()).has_value());
  ASSERT_EQ(0, mkfifo(folder.Join("fifo.xml").c_str(), 0600));
  EXPECT_FALSE(ReadFileBytes(folder.Join("fifo.xml")).has_value()) << "must not block";
}

TEST(FileSystemTest, FoldersFilesAndSameness) {
  TempFolder folder;
  EXPECT_TRUE(CreateFolder(folder.Join("images")));
  EXPECT_TRUE(CreateFolder(folder.Join("images"))) << "an existing folder is fine";
  EXPECT_FALSE(CreateFolder(folder.Join("absent/images"))) << "parents are not made";
  const std::string file = folder.WriteFile("c.xml", "x");
  EXPECT_FALSE(CreateFolder(file));
  EXPECT_TRUE(IsSameFile(file, folder.Join("images/../c.xml")));
  EXPECT_FALSE(IsSameFile(file, folder.Join("d.xml")));
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_FALSE(RemoveFile(file));
  EXPECT_FALSE(RemoveFile(folder.Join("images"))) << "folders are never removed";
}

}  // namespace
}  // namespace gallery
