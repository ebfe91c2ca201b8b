#include "platform/folder_listing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(FolderListingTest, KindsOfPaths) {
  TempFolder folder;
  std::string file = folder.WriteFile("a.txt", "x");
  ASSERT_TRUE(CreateFolder(folder.Join("sub")));
  ASSERT_EQ(0, symlink(file.c_str(), folder.Join("link").c_str()));
  ASSERT_EQ(0, symlink(folder.Join("gone").c_str(), folder.Join("broken").c_str()));
  struct Case {
    std::string path;
    PathKind expected;
  } cases[] = {
      {file, PathKind::kFile},
      {folder.Join("sub"), PathKind::kFolder},
      {folder.Join("link"), PathKind::kFile},  // links are followed
      {folder.Join("broken"), PathKind::kMissing},
      {folder.Join("none"), PathKind::kMissing},
      {"/dev/null", PathKind::kOther},
      {folder.path() + "\\sub", PathKind::kFolder},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, GetPathKind(c.path)) << c.path;
}

TEST(FolderListingTest, ListsEntriesWithoutDots) {
  TempFolder folder;
  folder.WriteFile("b.jpg", "");
  folder.WriteFile(".hidden", "");
  ASSERT_TRUE(CreateFolder(folder.Join("sub")));
  std::optional<std::vector<std::string>> names = ListFolder(folder.path());
  ASSERT_TRUE(names);
  std::sort(names->begin(), names->end());
  EXPECT_EQ((std::vector<std::string>{".hidden", "b.jpg", "sub"}), *names);
  EXPECT_FALSE(ListFolder(folder.Join("none")));
  EXPECT_FALSE(ListFolder(folder.Join("b.jpg")));
}

TEST(FolderListingTest, AbsolutePathsAreNormalised) {
  TempFolder folder;
  ASSERT_TRUE(CreateFolder(folder.Join("sub")));
  std::string base = AbsolutePath(folder.path());
  EXPECT_EQ('/', base.front());
  EXPECT_EQ(base + "/sub", AbsolutePath(folder.path() + "/sub/"));
  EXPECT_EQ(base + "/sub", AbsolutePath(folder.path() + "/./x/../sub"));
  EXPECT_EQ(base + "/new/deeper", AbsolutePath(folder.path() + "//new/deeper"));
  EXPECT_EQ("/", AbsolutePath("/"));
}

TEST(FolderListingTest, FolderBesideIsFreshAndRenamesIntoPlace) {
  TempFolder folder;
  std::string target = folder.Join("gallery");
  std::optional<std::string> first = CreateFolderBeside(target + "/");
  std::optional<std::string> second = CreateFolderBeside(target);
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(0u, first->find(folder.Join(".gallery."))) << *first;
  EXPECT_EQ(PathKind::kFolder, GetPathKind(*first));
  EXPECT_TRUE(IsWritableFolder(*first));

  ASSERT_TRUE(WriteFileBytes(*first + "/index.htm", "page"));
  ASSERT_TRUE(RenamePath(*first, target));
  EXPECT_EQ("page", ReadFileBytes(target + "/index.htm").value_or(""));
  // A folder that is not empty is never replaced.
  ASSERT_TRUE(WriteFileBytes(*second + "/other.htm", "x"));
  EXPECT_FALSE(RenamePath(*second, target));
  EXPECT_EQ(PathKind::kFile, GetPathKind(target + "/index.htm"));

  EXPECT_FALSE(CreateFolderBeside(folder.Join("missing/gallery")));
}

TEST(FolderListingTest, ExchangeSwapsTwoFoldersAtOnce) {
  TempFolder folder;
  ASSERT_TRUE(CreateFolder(folder.Join("old")));
  folder.WriteFile("old/index.htm", "old");
  std::optional<std::string> fresh = CreateUniqueFolder(folder.Join(".old.staging-"));
  ASSERT_TRUE(fresh);
  EXPECT_EQ(folder.Join(".old.staging-").size() + 6, fresh->size()) << *fresh;
  ASSERT_TRUE(WriteFileBytes(*fresh + "/index.htm", "new"));
  ASSERT_EQ(0, chmod(folder.Join("old").c_str(), 0710));
  EXPECT_TRUE(CopyPermissions(folder.Join("old"), *fresh));
  ASSERT_EQ(ExchangeOutcome::kExchanged, ExchangePaths(*fresh, folder.Join("old")));
  EXPECT_EQ("new", ReadFileBytes(folder.Join("old/index.htm")).value_or(""));
  EXPECT_EQ("old", ReadFileBytes(*fresh + "/index.htm").value_or(""));
  struct stat info;
  ASSERT_EQ(0, stat(folder.Join("old").c_str(), &info));
  EXPECT_EQ(0710u, info.st_mode & 07777);
  // Nothing to exchange with: nothing changes.
  EXPECT_EQ(ExchangeOutcome::kFailed, ExchangePaths(*fresh, folder.Join("absent")));
  EXPECT_EQ(PathKind::kFolder, GetPathKind(*fresh));
}

TEST(FolderListingTest, RemoveTreeRemovesLinksNotWhatTheyPointAt) {
  TempFolder folder;
  std::string kept = folder.WriteFile("kept.jpg", "photo");
  std::string tree = folder.Join("tree");
  ASSERT_TRUE(CreateFolder(tree));
  ASSERT_TRUE(CreateFolder(tree + "/images"));
  ASSERT_TRUE(WriteFileBytes(tree + "/images/0.jpg", "x"));
  ASSERT_EQ(0, symlink(folder.path().c_str(), (tree + "/up").c_str()));
  ASSERT_EQ(0, symlink(kept.c_str(), (tree + "/images/1.jpg").c_str()));
  EXPECT_TRUE(RemoveTree(tree));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(tree));
  EXPECT_EQ("photo", ReadFileBytes(kept).value_or(""));
  EXPECT_TRUE(RemoveTree(folder.Join("never-there")));
}

TEST(FolderListingTest, WritableFolderNeedsAFolder) {
  TempFolder folder;
  std::string file = folder.WriteFile("f", "");
  EXPECT_TRUE(IsWritableFolder(folder.path()));
  EXPECT_FALSE(IsWritableFolder(file));
  EXPECT_FALSE(IsWritableFolder(folder.Join("none")));
}

}  // namespace
}  // namespace gallery
