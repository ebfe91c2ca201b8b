#include "platform/own_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// Another user's id, for what only the superuser can set up.
constexpr uid_t kOtherUser = 65534;

mode_t ModeOf(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(OwnFolderTest, MakesMissingFoldersForThisUserAlone) {
  TempFolder folder;
  const std::string path = folder.Join("a/b/own");
  const COwnFolder own(path);
  ASSERT_TRUE(own.is_open());
  EXPECT_EQ(FolderRefusal::kNone, own.refusal());
  for (const std::string& made : {folder.Join("a"), folder.Join("a/b"), path}) {
    EXPECT_EQ(0700u, ModeOf(made)) << made;
  }
  // An existing folder that only its owner may write to is taken as it is.
  ASSERT_EQ(0, chmod(path.c_str(), 0755));
  EXPECT_TRUE(COwnFolder(path).is_open());
  EXPECT_EQ(0755u, ModeOf(path));
}

TEST(OwnFolderTest, RefusesWhatAnotherUserCouldChange) {
  TempFolder folder;
  const std::string photos = folder.Join("photos");
  ASSERT_TRUE(CreateFolder(photos));
  const std::string photo = folder.WriteFile("photos/0123.jpg", "a person's photo");
  ASSERT_EQ(0, symlink(photos.c_str(), folder.Join("link").c_str()));
  ASSERT_EQ(0, symlink(folder.Join("nowhere").c_str(), folder.Join("dangling").c_str()));
  folder.WriteFile("file", "x");
  ASSERT_TRUE(CreateFolder(folder.Join("shared")));
  ASSERT_EQ(0, chmod(folder.Join("shared").c_str(), 0770));
  ASSERT_TRUE(CreateFolder(folder.Join("public")));
  ASSERT_EQ(0, chmod(folder.Join("public").c_str(), 0757));
  ASSERT_TRUE(CreateFolder(folder.Join("open")));
  ASSERT_EQ(0, chmod(folder.Join("open").c_str(), 0777));
  ASSERT_TRUE(CreateFolder(folder.Join("sticky")));
  ASSERT_EQ(0, chmod(folder.Join("sticky").c_str(), 01777));
  struct Case {
    const char* name;
    FolderRefusal refusal;
  } cases[] = {
      {"link", FolderRefusal::kLink},
      {"dangling", FolderRefusal::kLink},
      {"file", FolderRefusal::kNotAFolder},
      {"file/below", FolderRefusal::kUnreachable},
      {"shared", FolderRefusal::kWritableByOthers},
      {"public", FolderRefusal::kWritableByOthers},
      // Anyone could rename a folder in there and put another in its place...
      {"open/own", FolderRefusal::kOpenParent},
      // ...unless the sticky bit keeps them to their own names, as in /tmp.
      {"sticky/own", FolderRefusal::kNone},
  };
  for (const Case& c : cases) {
    const COwnFolder own(folder.Join(c.name));
    EXPECT_EQ(c.refusal, own.refusal()) << c.name;
    EXPECT_EQ(c.refusal == FolderRefusal::kNone, own.is_open()) << c.name;
    EXPECT_TRUE(own.ListFiles().empty()) << c.name;
    EXPECT_FALSE(own.RemoveFile("0123.jpg")) << c.name;
  }
  EXPECT_EQ("a person's photo", ReadWholeFile(photo));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder.Join("nowhere")));
  EXPECT_EQ(0770u, ModeOf(folder.Join("shared")));
}

TEST(OwnFolderTest, RefusesFoldersOfOtherUsers) {
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser can give a folder away";
  TempFolder folder;
  ASSERT_TRUE(CreateFolder(folder.Join("theirs")));
  ASSERT_EQ(0, chown(folder.Join("theirs").c_str(), kOtherUser, kOtherUser));
  EXPECT_EQ(FolderRefusal::kForeignOwner, COwnFolder(folder.Join("theirs")).refusal());
  // Their folder's owner may rename anything in it, whatever its permissions say.
  ASSERT_EQ(0, chmod(folder.Join("theirs").c_str(), 0755));
  EXPECT_EQ(FolderRefusal::kOpenParent, COwnFolder(folder.Join("theirs/own")).refusal());
}

TEST(OwnFolderTest, TrustsOnlyOwnRegularFilesAndNeverFollowsLinks) {
  TempFolder folder;
  const COwnFolder own(folder.Join("own"));
  ASSERT_TRUE(own.is_open());
  const std::string outside = folder.WriteFile("outside.jpg", "not the cache's");
  folder.WriteFile("own/kept", "12345");
  folder.WriteFile("own/shared", "x");
  ASSERT_EQ(0, chmod(folder.Join("own/shared").c_str(), 0664));
  ASSERT_EQ(0, symlink(outside.c_str(), folder.Join("own/link").c_str()));
  ASSERT_EQ(0, mkfifo(folder.Join("own/fifo").c_str(), 0600));
  ASSERT_TRUE(CreateFolder(folder.Join("own/folder")));
  struct Case {
    const char* name;
    OwnFileCheck check;
  } cases[] = {
      {"kept", OwnFileCheck::kOwn},
      {"missing", OwnFileCheck::kMissing},
      {"shared", OwnFileCheck::kNotOwn},
      {"link", OwnFileCheck::kNotOwn},
      {"fifo", OwnFileCheck::kNotOwn},
      {"folder", OwnFileCheck::kNotOwn},
      {"../outside.jpg", OwnFileCheck::kMissing},
      {"..", OwnFileCheck::kMissing},
  };
  for (const Case& c : cases) {
    const COwnFile file = own.OpenFile(c.name);
    EXPECT_EQ(c.check, file.check) << c.name;
    EXPECT_EQ(c.check == OwnFileCheck::kOwn, file.file.is_open()) << c.name;
  }
  const COwnFile kept = own.OpenFile("kept");
  EXPECT_EQ(5, kept.file.size());
  EXPECT_EQ("12345", ReadFileContent(kept.file, 5).value_or("?"));
  EXPECT_FALSE(ReadFileContent(kept.file, 4));

  std::vector<std::string> listed;
  for (const CListedFile& file : own.ListFiles()) listed.push_back(file.name);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ((std::vector<std::string>{"kept", "shared"}), listed);

  // Only regular files are ever removed, and never through a link.
  for (const char* name : {"link", "fifo", "folder", "../outside.jpg"}) {
    EXPECT_FALSE(own.RemoveFile(name)) << name;
  }
  EXPECT_EQ("not the cache's", ReadWholeFile(outside));
  EXPECT_EQ(PathKind::kFolder, GetPathKind(folder.Join("own/folder")));
  EXPECT_TRUE(own.RemoveFile("shared"));
  EXPECT_EQ(OwnFileCheck::kMissing, own.OpenFile("shared").check);
}

TEST(OwnFolderTest, DistrustsFilesOfOtherUsers) {
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser can give a file away";
  TempFolder folder;
  const COwnFolder own(folder.Join("own"));
  ASSERT_TRUE(own.is_open());
  ASSERT_EQ(0, chown(folder.WriteFile("own/planted", "x").c_str(), kOtherUser, kOtherUser));
  EXPECT_EQ(OwnFileCheck::kNotOwn, own.OpenFile("planted").check);
}

TEST(OwnFolderTest, CreatesPrivateFilesRenamesAndLocks) {
  TempFolder folder;
  const COwnFolder own(folder.Join("own"));
  CFileHandle made = own.CreateFile("new.tmp");
  ASSERT_TRUE(made.is_open());
  EXPECT_FALSE(own.CreateFile("new.tmp").is_open()) << "an existing name is never reused";
  ASSERT_TRUE(WriteFileContent(made, "content"));
  ASSERT_TRUE(made.Close());
  EXPECT_EQ(0600u, ModeOf(folder.Join("own/new.tmp")));
  folder.WriteFile("own/old", "old");
  ASSERT_TRUE(own.Rename("new.tmp", "old"));
  EXPECT_EQ("content", ReadWholeFile(folder.Join("own/old")));
  EXPECT_FALSE(own.Rename("old", "../escaped"));

  {
    const CFileHandle first = own.TryLock();
    ASSERT_TRUE(first.is_open());
    EXPECT_FALSE(own.TryLock().is_open());
    const CFolderLock other(folder.Join("own"), false);
    EXPECT_FALSE(other.held()) << "the lock is the one that folder locks take";
  }
  EXPECT_TRUE(own.TryLock().is_open());
}

// Random bytes, so that a piece copied to the wrong place shows.
std::string RandomBytes(size_t count) {
  std::mt19937 random(7);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

TEST(CopyFileContentTest, CopiesEveryByteAndHandsOverTheCopy) {
  TempFolder folder;
  // Several of the copy's pieces and a part of one; and nothing at all.
  for (const std::string& content : {RandomBytes((1 << 19) + 12345), std::string()}) {
    const std::string from = folder.WriteFile("from", content);
    const CFileHandle source = OpenFileForReading(from);
    ASSERT_TRUE(source.is_open());
    static_cast<void>(RemoveFile(folder.Join("to")));
    const CFileHandle to(open(folder.Join("to").c_str(), O_RDWR | O_CREAT | O_EXCL, 0600), 0);
    std::string handed;
    ASSERT_TRUE(CopyFileContent(source.descriptor(), to.descriptor(),
                                [&handed](std::string_view piece) { handed.append(piece); }));
    EXPECT_EQ(content, handed);
    EXPECT_EQ(content, ReadWholeFile(folder.Join("to")));
    EXPECT_FALSE(IsSameFile(from, folder.Join("to")));
  }
}

TEST(CopyFileContentTest, CopiesWhatTheKernelCannotInPieces) {
  // A pipe is no file the kernel copies from, so the copy is read and written.
  int pipe_ends[2];
  ASSERT_EQ(0, pipe(pipe_ends));
  const std::string content = RandomBytes(300000);
  std::thread writer([&] {
    CFileHandle end(pipe_ends[1], 0);
    EXPECT_TRUE(WriteFileContent(end, content));
  });
  TempFolder folder;
  const CFileHandle to(open(folder.Join("to").c_str(), O_RDWR | O_CREAT | O_EXCL, 0600), 0);
  std::string handed;
  const bool copied = CopyFileContent(pipe_ends[0], to.descriptor(),
                                      [&handed](std::string_view piece) { handed.append(piece); });
  writer.join();
  close(pipe_ends[0]);
  EXPECT_TRUE(copied);
  EXPECT_EQ(content, handed);
  EXPECT_EQ(content, ReadWholeFile(folder.Join("to")));
}

}  // namespace
}  // namespace gallery
