#include "platform/file_system.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/folder_listing.h"
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
  EXPECT_FALSE(ReadFileBytes("/dev/zero").has_value()) << "a device is no file";
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

TEST(FileSystemTest, RemovesOnlyFilesAndLinksAsFiles) {
  TempFolder folder;
  const std::string target = folder.WriteFile("target.xml", "keep");
  ASSERT_EQ(0, symlink(target.c_str(), folder.Join("link.xml").c_str()));
  ASSERT_EQ(0, mkfifo(folder.Join("fifo.xml").c_str(), 0600));
  ASSERT_TRUE(CreateFolder(folder.Join("folder.xml")));
  const std::string file = folder.WriteFile("file.xml", "x");
  struct Case {
    const char* name;
    bool removed;
  };
  for (const Case& c : {Case{"file.xml", true}, Case{"link.xml", true}, Case{"fifo.xml", false},
                        Case{"folder.xml", false}, Case{"missing.xml", false}}) {
    EXPECT_EQ(c.removed, RemoveFileOrLink(folder.Join(c.name))) << c.name;
    struct stat info;
    EXPECT_EQ(!c.removed && std::string(c.name) != "missing.xml",
              lstat(folder.Join(c.name).c_str(), &info) == 0)
        << c.name;
  }
  EXPECT_EQ("keep", ReadFileBytes(target).value_or("")) << "a link goes, not what it names";
}

TEST(FileSystemTest, FindsTheSameFileThroughLinksAndOtherNames) {
  TempFolder folder;
  const std::string a = folder.WriteFile("a.jpg", "a");
  const std::string b = folder.WriteFile("b.jpg", "b");
  ASSERT_TRUE(CreateFolder(folder.Join("sub")));
  ASSERT_EQ(0, link(b.c_str(), folder.Join("sub/hard.jpg").c_str()));
  ASSERT_EQ(0, symlink(a.c_str(), folder.Join("sub/soft.jpg").c_str()));
  const std::string missing = folder.Join("missing.jpg");
  struct Case {
    std::vector<std::string> candidates;
    std::vector<std::string> files;
    std::optional<size_t> expected;
  };
  const Case cases[] = {
      {{missing, a, b}, {folder.Join("sub/hard.jpg")}, 2},
      {{missing, a, b}, {folder.Join("sub/soft.jpg"), folder.Join("sub/hard.jpg")}, 1},
      {{b, a}, {folder.Join("sub/../a.jpg")}, 1},
      {{folder.path() + "\\b.jpg"}, {b}, 0},
      {{a, b}, {missing, folder.Join("sub/other.jpg")}, std::nullopt},
      {{missing}, {missing}, std::nullopt},
      {{}, {a}, std::nullopt},
      {{a}, {}, std::nullopt},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].expected, FindSameFile(cases[i].candidates, cases[i].files)) << "case " << i;
  }
}

TEST(FileSystemTest, TemporaryFileNamesAreRecognisedExactly) {
  struct Case {
    const char* name;
    const char* target;  // nullptr: not a temporary file of ours
  };
  const Case cases[] = {
      {"3.jpg.123-0.tmp", "3.jpg"},
      {"index-2.htm.9-15.tmp", "index-2.htm"},
      {"a.b-c.xml.4194304-77.tmp", "a.b-c.xml"},
      {"3.jpg.tmp", nullptr},
      {"3.jpg.123.tmp", nullptr},
      {"3.jpg.123-.tmp", nullptr},
      {"3.jpg.-1.tmp", nullptr},
      {"3.jpg.0-1.tmp", nullptr},
      {"3.jpg.012-1.tmp", nullptr},
      {"3.jpg.12-01.tmp", nullptr},
      {"3.jpg.1a-1.tmp", nullptr},
      {"3.jpg.12-1.TMP", nullptr},
      {"3.jpg.12-1.tmp.bak", nullptr},
      {".12-1.tmp", nullptr},
      {"12-1.tmp", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    std::optional<std::string> target = TemporaryFileTarget(c.name);
    EXPECT_EQ(c.target != nullptr ? std::optional<std::string>(c.target) : std::nullopt, target)
        << c.name;
  }

  // The names that writes really use are recognised.
  TempFolder folder;
  std::vector<std::string> seen;
  ASSERT_TRUE(WriteFileWith(folder.Join("page.htm"), [&](int) {
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      seen.push_back(TemporaryFileTarget(entry.path().filename().string()).value_or("?"));
    }
    return true;
  }));
  EXPECT_EQ(std::vector<std::string>{"page.htm"}, seen);
}

TEST(FileSystemTest, RemovesTemporaryFilesOfAcceptedNamesOnly) {
  TempFolder folder;
  folder.WriteFile("1.jpg", "photo");
  folder.WriteFile("1.jpg.55-3.tmp", "left by a killed run");
  folder.WriteFile("2.jpg.56-0.tmp", "");
  folder.WriteFile("notes.txt.55-4.tmp", "a name that is not written here");
  folder.WriteFile("1.jpg.tmp", "not our form");
  ASSERT_TRUE(CreateFolder(folder.Join("3.jpg.57-1.tmp")));
  ASSERT_EQ(0, symlink(folder.Join("1.jpg").c_str(), folder.Join("4.jpg.58-1.tmp").c_str()));
  const int removed = RemoveTemporaryFiles(
      folder.path(), [](std::string_view name) { return name.ends_with(".jpg"); });
  EXPECT_EQ(2, removed);
  for (const char* gone : {"1.jpg.55-3.tmp", "2.jpg.56-0.tmp"}) {
    EXPECT_FALSE(FileExists(folder.Join(gone))) << gone;
  }
  for (const char* kept :
       {"1.jpg", "notes.txt.55-4.tmp", "1.jpg.tmp", "3.jpg.57-1.tmp", "4.jpg.58-1.tmp"}) {
    EXPECT_TRUE(FileExists(folder.Join(kept))) << kept;
  }
  EXPECT_EQ(0, RemoveTemporaryFiles(folder.Join("absent"), [](std::string_view) { return true; }));
}

// Run in a child process, as afterwards every write of the process fails.
TEST(FileSystemTest, LiveTemporaryFilesAreRemovedAndNoMoreAreMade) {
  TempFolder folder;
  const std::string page = folder.Join("page.htm");
  const std::string later = folder.Join("later.htm");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool written = WriteFileWith(page, [](int descriptor) {
      RemoveLiveTemporaryFiles();
      // The descriptor still works; only the name is gone, so the rename fails.
      return write(descriptor, "x", 1) == 1;
    });
    _exit(written || WriteFileBytes(later, "y") ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status)) << "a write after the removal succeeded";
  EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "a temporary file was left";
}

TEST(FileSystemTest, OwnNewFileGoesUnlessKept) {
  TempFolder folder;
  const std::string dropped = folder.WriteFile("dropped.xml", "");
  const std::string kept = folder.WriteFile("kept.xml", "");
  { COwnNewFile own(dropped); }
  {
    COwnNewFile own(kept);
    own.Keep();
  }
  EXPECT_FALSE(FileExists(dropped));
  EXPECT_TRUE(FileExists(kept));
  // A process ended by a signal: the handler finds the file as it finds temporary files, and
  // leaves the one kept.
  const std::string held = folder.WriteFile("held.xml", "");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    COwnNewFile own(held);
    COwnNewFile other(kept);
    other.Keep();
    RemoveLiveTemporaryFiles();
    _exit(FileExists(held) || !FileExists(kept) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
  EXPECT_FALSE(FileExists(held));
  EXPECT_TRUE(FileExists(kept));
}

// A file reached through a link, as a collection kept elsewhere often is: the file it leads to
// gets the new content, beside itself, and the link stays a link.
TEST(FileSystemTest, AReplacementReachesTheFileALinkLeadsTo) {
  TempFolder folder;
  ASSERT_TRUE(CreateFolder(folder.Join("kept")));
  const std::string target = folder.WriteFile("kept/trip.xml", "old");
  ASSERT_EQ(0, symlink("kept/trip.xml", folder.Join("trip.xml").c_str()));
  ASSERT_EQ(0, symlink(folder.Join("trip.xml").c_str(), folder.Join("again.xml").c_str()));
  for (const char* name : {"trip.xml", "again.xml"}) {
    CFileReplacement replacement(folder.Join(name));
    ASSERT_EQ(WriteFailure::kNone, replacement.Write(name));
    ASSERT_EQ(WriteFailure::kNone, replacement.Commit());
    EXPECT_EQ(name, ReadWholeFile(target));
  }
  EXPECT_EQ("kept/trip.xml", std::filesystem::read_symlink(folder.Join("trip.xml")).string());
  EXPECT_EQ(folder.Join("trip.xml"), std::filesystem::read_symlink(folder.Join("again.xml")));
  EXPECT_EQ((std::vector<std::string>{"trip.xml"}), ListFolder(folder.Join("kept")));
  EXPECT_EQ(3u, ListFolder(folder.path()).value_or(std::vector<std::string>{}).size());
}

// In a child process, whose file-size limit the test sets: the limit stays with a process.
TEST(FileSystemTest, AWriteOverTheFileSizeLimitSaysSoAndKeepsTheOldFile) {
  TempFolder folder;
  const std::string path = folder.WriteFile("page.htm", "old");
  const std::string copied = folder.WriteFile("source.jpg", std::string(300000, 'p'));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {100000, 100000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(10);
    // Each check exits with a number of its own, which the parent names.
    if (TryWriteFileBytes(path, std::string(200000, 'n')) != WriteFailure::kFileSizeLimit) {
      _exit(1);
    }
    // A writer that does not say why it stopped, near the limit.
    const WriteFailure probed = TryWriteFileWith(path, [](int descriptor) {
      return write(descriptor, std::string(90000, 'w').data(), 90000) < 0;
    });
    if (probed != WriteFailure::kFileSizeLimit) _exit(2);
    if (CopyFileBytes(copied, folder.Join("copy.jpg")) != WriteFailure::kFileSizeLimit) _exit(3);
    _exit(TryWriteFileBytes(path, "fits") == WriteFailure::kNone ? 0 : 4);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status)) << "check " << WEXITSTATUS(status) << " failed";
  EXPECT_EQ("fits", ReadFileBytes(path).value_or(""));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder.Join("copy.jpg")));
  EXPECT_EQ(2u, ListFolder(folder.path()).value_or(std::vector<std::string>{}).size())
      << "a temporary file was left";
}

TEST(FileSystemTest, CausesAreTakenFromTheErrorOfTheStepThatFailed) {
  TempFolder folder;
  EXPECT_EQ(WriteFailure::kNoFolder, TryWriteFileBytes(folder.Join("absent/page.htm"), "x"));
  const std::string file = folder.WriteFile("file", "x");
  EXPECT_EQ(WriteFailure::kNoFolder, TryWriteFileBytes(file + "/page.htm", "x"));
  // A writer that fails on its own, while the file could still grow, is no fault of the disk.
  EXPECT_EQ(WriteFailure::kOther,
            TryWriteFileWith(folder.Join("page.htm"), [](int) { return false; }));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder.Join("page.htm")));
  const struct {
    int error;
    WriteFailure cause;
  } errors[] = {{ENOSPC, WriteFailure::kNoSpace},      {EDQUOT, WriteFailure::kQuota},
                {EFBIG, WriteFailure::kFileSizeLimit}, {EACCES, WriteFailure::kNoPermission},
                {EROFS, WriteFailure::kReadOnly},      {EIO, WriteFailure::kOther}};
  for (const auto& c : errors) EXPECT_EQ(c.cause, WriteFailureFromError(c.error)) << c.error;
}

TEST(FileSystemTest, CopiesAreWholeAndOfSourcesThatCanBeRead) {
  TempFolder folder;
  std::string bytes;
  // More than one piece, not a whole number of them.
  for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7 % 251);
  const std::string source = folder.WriteFile("source.jpg", bytes);
  EXPECT_EQ(WriteFailure::kNone, CopyFileBytes(source, folder.Join("copy.jpg")));
  EXPECT_EQ(bytes, ReadFileBytes(folder.Join("copy.jpg")).value_or(""));
  EXPECT_EQ(WriteFailure::kUnreadableSource,
            CopyFileBytes(folder.Join("missing.jpg"), folder.Join("other.jpg")));
  EXPECT_EQ(WriteFailure::kUnreadableSource,
            CopyFileBytes(folder.path(), folder.Join("other.jpg")));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder.Join("other.jpg")));
}

TEST(FileSystemTest, FolderLockWaitsForTheHolder) {
  TempFolder folder;
  std::optional<CFolderLock> first(std::in_place, folder.path());
  ASSERT_TRUE(first->held());
  std::atomic<bool> released{false};
  std::atomic<bool> second_saw_release{false};
  std::thread second([&] {
    CFolderLock lock(folder.path() + "/");
    second_saw_release = lock.held() && released;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  released = true;
  first.reset();
  second.join();
  EXPECT_TRUE(second_saw_release) << "the second lock was taken while the first was held";
  EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "the lock adds no file";

  EXPECT_FALSE(CFolderLock(folder.Join("absent")).held());
  EXPECT_FALSE(CFolderLock(folder.WriteFile("file", "")).held());

  // Without waiting, a held lock is not taken, and a free one is.
  CFolderLock holder(folder.path());
  EXPECT_FALSE(CFolderLock(folder.path(), false).held());
}

TEST(FileSystemTest, NewFilesNeverReplaceAnything) {
  TempFolder folder;
  const std::string path = folder.WriteFile("mine.xml", "mine");
  EXPECT_FALSE(WriteNewFileBytes(path, "new"));
  EXPECT_EQ("mine", ReadFileBytes(path).value_or(""));
  ASSERT_EQ(0, symlink("gone.xml", folder.Join("dangling.xml").c_str()));
  EXPECT_FALSE(WriteNewFileBytes(folder.Join("dangling.xml"), "new"));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder.Join("gone.xml")));
  EXPECT_TRUE(WriteNewFileBytes(folder.Join("fresh.xml"), "fresh"));
  EXPECT_EQ("fresh", ReadFileBytes(folder.Join("fresh.xml")).value_or(""));
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    EXPECT_EQ(std::string::npos, entry.path().string().find(".tmp")) << entry.path();
  }
}

}  // namespace
}  // namespace gallery
