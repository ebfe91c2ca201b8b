#include "app/build_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

const std::string kSomeChecksum(64, 'a');

CRecordedEntry Folder(std::string path) {
  CRecordedEntry entry;
  entry.path = std::move(path);
  entry.folder = true;
  return entry;
}

CRecordedEntry File(std::string path, int64_t size, std::string checksum, uint64_t inode,
                    int64_t modified_ns, int64_t changed_ns) {
  CRecordedEntry entry;
  entry.path = std::move(path);
  entry.size = size;
  entry.checksum = std::move(checksum);
  entry.inode = inode;
  entry.modified_ns = modified_ns;
  entry.changed_ns = changed_ns;
  return entry;
}

TEST(BuildRecordTest, AnyPathSurvivesTheRecord) {
  const std::vector<CRecordedEntry> entries = {
      Folder("images"),
      File("images/1.jpg", 7, kSomeChecksum, 12, -5, 1700000000123456789),
      Folder("with space/new\nline/100%/\xC3\xA9t\xC3\xA9\xFF\x01"),
      File("%41", 0, std::string(64, '0'), 0, 0, 0),
  };
  const std::string text = RenderBuildRecord({entries, ""});
  // One line per entry, between the format line and the count.
  EXPECT_EQ(entries.size() + 2, static_cast<size_t>(std::count(text.begin(), text.end(), '\n')));
  EXPECT_EQ(0u, text.find("gallery-record 2\nfolder images\nfile 7 ")) << text;
  EXPECT_NE(std::string::npos, text.find(" %2541\nend 4\n")) << text;
  const std::optional<CBuildRecord> record = ParseBuildRecord(text);
  ASSERT_TRUE(record);
  EXPECT_EQ("", record->inputs);
  const std::vector<CRecordedEntry>* parsed = &record->entries;
  ASSERT_EQ(entries.size(), parsed->size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const CRecordedEntry& want = entries[i];
    const CRecordedEntry& got = (*parsed)[i];
    EXPECT_EQ(want.path, got.path) << i;
    EXPECT_EQ(want.folder, got.folder) << i;
    EXPECT_EQ(want.size, got.size) << i;
    EXPECT_EQ(want.checksum, got.checksum) << i;
    EXPECT_EQ(want.inode, got.inode) << i;
    EXPECT_EQ(want.modified_ns, got.modified_ns) << i;
    EXPECT_EQ(want.changed_ns, got.changed_ns) << i;
  }
  EXPECT_TRUE(ParseBuildRecord("gallery-record 1\nend 0\n"));
}

TEST(BuildRecordTest, InputsAreKeptAndFirstVersionRecordsStillRead) {
  const std::string inputs(64, 'b');
  const std::string file = "file 3 " + kSomeChecksum + " 1 2 3 a.jpg\n";
  const std::optional<CBuildRecord> record =
      ParseBuildRecord(RenderBuildRecord({{Folder("x")}, inputs}));
  ASSERT_TRUE(record);
  EXPECT_EQ(inputs, record->inputs);
  ASSERT_EQ(1u, record->entries.size());
  EXPECT_EQ("x", record->entries[0].path);
  // A record of the first version lists the same entries and knows no inputs.
  const std::optional<CBuildRecord> first =
      ParseBuildRecord("gallery-record 1\n" + file + "end 1\n");
  ASSERT_TRUE(first);
  EXPECT_EQ("", first->inputs);
  EXPECT_EQ("a.jpg", first->entries.at(0).path);
  const std::string refused[] = {
      "gallery-record 1\ninputs " + inputs + "\nend 0\n",  // the first version had none
      "gallery-record 2\ninputs " + inputs.substr(1) + "\nend 0\n",
      "gallery-record 2\ninputs \nend 0\n",
      "gallery-record 2\nfolder x\ninputs " + inputs + "\nend 1\n",  // only after the header
      "gallery-record 3\nend 0\n",
  };
  for (const std::string& text : refused) EXPECT_FALSE(ParseBuildRecord(text)) << text;
}

TEST(BuildRecordTest, RecordsDamagedOrCutShortAreNotRead) {
  const std::string file = "file 3 " + kSomeChecksum + " 1 2 3 a.jpg\n";
  const std::string whole = "gallery-record 1\nfolder x\n" + file + "end 2\n";
  ASSERT_TRUE(ParseBuildRecord(whole));
  const std::string cases[] = {
      "",
      whole.substr(0, whole.size() - 1),         // the last line end lost
      whole.substr(0, whole.find("end")),        // cut at a line end
      whole.substr(0, whole.find("a.jpg") + 2),  // cut within a line
      whole + "folder y\n",                      // more after the end
      "gallery-record 9\nend 0\n",               // a version this one does not know
      "gallery-record 1\nfolder x\nend 3\n",     // a count that does not match
      "gallery-record 1\nfolder x\nend 1x\n",
      "gallery-record 1\nlink x\nend 1\n",
      "gallery-record 1\nfolder \nend 1\n",     // no path
      "gallery-record 1\nfolder a b\nend 1\n",  // a space no record writes
      "gallery-record 1\nfolder a%2\nend 1\n",  // an escape cut short
      "gallery-record 1\nfolder a%g0\nend 1\n",
      "gallery-record 1\nfolder a\r\nend 1\n",
      "gallery-record 1\nfile -3 " + kSomeChecksum + " 1 2 3 a\nend 1\n",
      "gallery-record 1\nfile 3 " + kSomeChecksum.substr(1) + " 1 2 3 a\nend 1\n",
      "gallery-record 1\nfile 3 " + std::string(64, 'A') + " 1 2 3 a\nend 1\n",
      "gallery-record 1\nfile 3 " + kSomeChecksum + " 1 2 a\nend 1\n",
      "gallery-record 1\nfile 3 " + kSomeChecksum + " 1 2 3.5 a\nend 1\n",
  };
  for (const std::string& text : cases) EXPECT_FALSE(ParseBuildRecord(text)) << text;
}

CTreeEntry Found(std::string path, TreeEntryKind kind, bool listed = true) {
  CTreeEntry entry;
  entry.path = std::move(path);
  entry.kind = kind;
  entry.listed = listed;
  return entry;
}

TEST(PlanMismatchTest, AFolderMustHoldWhatItsPlanNamesAndNothingElse) {
  CPlannedGallery planned;
  planned.folders = {"assets", "images"};
  planned.files = {"index.html", "images/1.jpg", "assets/deep/gallery.css"};
  planned.optional_files = {"thumbs/1.jpg"};
  const std::vector<CTreeEntry> whole = {
      Found(".gallery-record", TreeEntryKind::kFile),  // the record writes itself
      Found("assets", TreeEntryKind::kFolder),
      Found("assets/deep", TreeEntryKind::kFolder),  // holds a planned file, so planned
      Found("assets/deep/gallery.css", TreeEntryKind::kFile),
      Found("images", TreeEntryKind::kFolder),
      Found("images/1.jpg", TreeEntryKind::kFile),
      Found("index.html", TreeEntryKind::kFile),
  };
  EXPECT_EQ(std::nullopt, FindPlanMismatch(whole, planned));
  // An optional file and its folder may be there, or not.
  std::vector<CTreeEntry> with_optional = whole;
  with_optional.push_back(Found("thumbs", TreeEntryKind::kFolder));
  with_optional.push_back(Found("thumbs/1.jpg", TreeEntryKind::kFile));
  EXPECT_EQ(std::nullopt, FindPlanMismatch(with_optional, planned));

  struct Case {
    std::string what;
    std::function<void(std::vector<CTreeEntry>&)> change;
    std::string path;
    PlanMismatch cause;
  } cases[] = {
      {"a file no plan names",
       [](auto& found) { found.push_back(Found("images/2.jpg", TreeEntryKind::kFile)); },
       "images/2.jpg", PlanMismatch::kUnplanned},
      {"a folder no plan names",
       [](auto& found) { found.push_back(Found("large", TreeEntryKind::kFolder)); }, "large",
       PlanMismatch::kUnplanned},
      {"a link in a planned file's place",
       [](auto& found) { found[6].kind = TreeEntryKind::kLink; }, "index.html",
       PlanMismatch::kMissing},
      {"a file in a planned folder's place",
       [](auto& found) {
         found.erase(found.begin() + 4, found.begin() + 6);
         found.push_back(Found("images", TreeEntryKind::kFile));
       },
       "images", PlanMismatch::kMissing},
      {"a planned file missing", [](auto& found) { found.erase(found.begin() + 5); },
       "images/1.jpg", PlanMismatch::kMissing},
      {"a planned folder missing with what it holds",
       [](auto& found) { found.erase(found.begin() + 1, found.begin() + 4); }, "assets",
       PlanMismatch::kMissing},
      {"a folder that cannot be listed", [](auto& found) { found[4].listed = false; }, "images",
       PlanMismatch::kUnreadable},
  };
  for (const Case& c : cases) {
    std::vector<CTreeEntry> found = whole;
    c.change(found);
    const std::optional<CPlanMismatchEntry> mismatch = FindPlanMismatch(found, planned);
    ASSERT_TRUE(mismatch) << c.what;
    EXPECT_EQ(c.path, mismatch->path) << c.what;
    EXPECT_EQ(c.cause, mismatch->cause) << c.what;
  }
}

TEST(PlanMismatchTest, AFolderNotAsPlannedIsNotRecorded) {
  TempFolder folder;
  folder.WriteFile("index.html", "made");
  folder.WriteFile("notes.txt", "theirs");
  const CPlannedGallery index_alone = {{}, {"index.html"}, {}, "index.html"};
  CRecordWriting writing = WriteBuildRecord(folder.path(), index_alone);
  EXPECT_FALSE(writing.entries);
  ASSERT_TRUE(writing.mismatch);
  EXPECT_EQ("notes.txt", writing.mismatch->path);
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder.Join(".gallery-record")));
  ASSERT_TRUE(RemoveFile(folder.Join("notes.txt")));
  writing = WriteBuildRecord(folder.path(), index_alone);
  ASSERT_TRUE(writing.entries);
  ASSERT_EQ(1u, writing.entries->size());
  EXPECT_EQ("index.html", writing.entries->front().path);
  EXPECT_EQ(std::nullopt, FindForeignEntry(folder.path()));
}

// A finished build in a temporary folder of its own, recorded.
class RecordedGallery {
 public:
  explicit RecordedGallery(std::string_view inputs = {}) {
    static_cast<void>(CreateFolder(path()));
    CPlannedGallery planned;
    planned.folders = {"images", "originals", "assets"};
    planned.files = {"index.html", "photo-1.html", "images/1.jpg", "originals/1.jpg",
                     "assets/gallery.css"};
    for (const std::string& sub : planned.folders) {
      static_cast<void>(CreateFolder(path() + "/" + sub));
    }
    for (const std::string& file : planned.files) Write(file, "made: " + file);
    record_ =
        WriteBuildRecord(path(), planned, inputs).entries.value_or(std::vector<CRecordedEntry>{});
  }

  std::string path() const { return folder_.Join("site"); }
  std::string Join(const std::string& name) const { return path() + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const {
    folder_.WriteFile("site/" + name, bytes);
  }
  const std::vector<CRecordedEntry>& record() const { return record_; }

  // Writes `bytes` over the file `name` in place, then sets its modification time back, as a
  // careful editor or a copy that keeps times would.
  void RewriteKeepingTime(const std::string& name, const std::string& bytes) const {
    struct stat info;
    ASSERT_EQ(0, stat(Join(name).c_str(), &info));
    Write(name, bytes);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    ASSERT_EQ(0, utimensat(AT_FDCWD, Join(name).c_str(), times, 0));
  }

 private:
  TempFolder folder_;
  std::vector<CRecordedEntry> record_;
};

TEST(BuildRecordFolderTest, WhatTheBuildWroteIsKnownUnchanged) {
  RecordedGallery gallery;
  const std::vector<CRecordedEntry>& record = gallery.record();
  ASSERT_EQ(8u, record.size());
  EXPECT_EQ("assets", record[0].path);
  EXPECT_TRUE(record[0].folder);
  EXPECT_EQ("assets/gallery.css", record[1].path);
  EXPECT_EQ(std::nullopt, FindForeignEntry(gallery.path()));
  // Removing what a build wrote loses nothing of anyone's.
  ASSERT_TRUE(RemoveFile(gallery.Join("photo-1.html")));
  ASSERT_TRUE(RemoveTree(gallery.Join("originals")));
  EXPECT_EQ(std::nullopt, FindForeignEntry(gallery.path()));
  // The same bytes written again are read and found the same.
  gallery.Write("index.html", "made: index.html");
  EXPECT_EQ(std::nullopt, FindForeignEntry(gallery.path()));
  TempFolder empty;
  EXPECT_EQ(std::nullopt, FindForeignEntry(empty.path()));
}

TEST(BuildRecordFolderTest, InputsCountOnlyForTheWholeGalleryUnchanged) {
  const std::string inputs(64, 'c');
  EXPECT_EQ(inputs, CheckAgainstRecord(RecordedGallery(inputs).path()).inputs);
  {
    // Nothing foreign, but no longer what the inputs made.
    RecordedGallery gallery(inputs);
    ASSERT_TRUE(RemoveFile(gallery.Join("photo-1.html")));
    const CRecordCheck check = CheckAgainstRecord(gallery.path());
    EXPECT_FALSE(check.foreign);
    EXPECT_EQ("", check.inputs);
  }
  {
    RecordedGallery gallery(inputs);
    ASSERT_TRUE(RemoveTree(gallery.Join("assets")));
    EXPECT_EQ("", CheckAgainstRecord(gallery.path()).inputs);
  }
  {
    RecordedGallery gallery(inputs);
    gallery.RewriteKeepingTime("images/1.jpg", "MADE: images/1.jpg");
    const CRecordCheck check = CheckAgainstRecord(gallery.path());
    ASSERT_TRUE(check.foreign);
    EXPECT_EQ("images/1.jpg", check.foreign->path);
    EXPECT_EQ("", check.inputs);
  }
}

TEST(BuildRecordFolderTest, AnythingAddedOrChangedIsNamed) {
  TempFolder elsewhere;
  const std::string mine = elsewhere.WriteFile("mine.jpg", "mine");
  struct Case {
    std::string what;
    std::function<void(const RecordedGallery&)> change;
    std::string path;
    ForeignCause cause;
  } cases[] = {
      {"a file added", [](const RecordedGallery& g) { g.Write("images/7.jpg", "mine"); },
       "images/7.jpg", ForeignCause::kAdded},
      {"an empty folder added",
       [](const RecordedGallery& g) { ASSERT_TRUE(CreateFolder(g.Join("thumbs"))); }, "thumbs",
       ForeignCause::kAdded},
      {"a link added, not followed",
       [&](const RecordedGallery& g) {
         ASSERT_EQ(0, symlink(elsewhere.path().c_str(), g.Join("more").c_str()));
       },
       "more", ForeignCause::kAdded},
      {"a file grown", [](const RecordedGallery& g) { g.Write("assets/gallery.css", "made: +"); },
       "assets/gallery.css", ForeignCause::kChanged},
      {"the same size and time",
       [](const RecordedGallery& g) { g.RewriteKeepingTime("images/1.jpg", "MADE: images/1.jpg"); },
       "images/1.jpg", ForeignCause::kChanged},
      {"a file replaced by a link",
       [&](const RecordedGallery& g) {
         ASSERT_TRUE(RemoveFile(g.Join("index.html")));
         ASSERT_EQ(0, symlink(mine.c_str(), g.Join("index.html").c_str()));
       },
       "index.html", ForeignCause::kChanged},
      {"a folder replaced by a file",
       [](const RecordedGallery& g) {
         ASSERT_TRUE(RemoveTree(g.Join("originals")));
         g.Write("originals", "mine");
       },
       "originals", ForeignCause::kChanged},
      {"no record",
       [](const RecordedGallery& g) { ASSERT_TRUE(RemoveFile(g.Join(".gallery-record"))); }, "",
       ForeignCause::kNoRecord},
      {"a record cut short",
       [](const RecordedGallery& g) {
         ASSERT_EQ(0, truncate(g.Join(".gallery-record").c_str(), 40));
       },
       "", ForeignCause::kDamagedRecord},
      {"a record that is a folder",
       [](const RecordedGallery& g) {
         ASSERT_TRUE(RemoveFile(g.Join(".gallery-record")));
         ASSERT_TRUE(CreateFolder(g.Join(".gallery-record")));
       },
       "", ForeignCause::kDamagedRecord},
  };
  for (const Case& c : cases) {
    RecordedGallery gallery;
    c.change(gallery);
    const std::optional<CForeignEntry> foreign = FindForeignEntry(gallery.path());
    ASSERT_TRUE(foreign) << c.what;
    EXPECT_EQ(c.path, foreign->path) << c.what;
    EXPECT_EQ(c.cause, foreign->cause) << c.what;
  }
  EXPECT_EQ("mine", ReadWholeFile(mine));
}

}  // namespace
}  // namespace gallery
