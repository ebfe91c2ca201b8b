#include "app/output_plan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// The plan of a build that writes index.htm alone.
const CPlannedGallery kIndexAlone = {{}, {"index.htm"}, {}, "index.htm"};

std::vector<std::string> SortedNames(const std::string& folder) {
  std::vector<std::string> names = ListFolder(folder).value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  return names;
}

// A small earlier gallery in `folder` with the record of its build, plus `extra` files
// (relative paths) that someone else put there.
void WriteGallery(const TempFolder& temp, const std::string& name,
                  const std::vector<std::string>& extra = {}) {
  CPlannedGallery planned;
  planned.folders = {"advanced", "border", "images", "pages"};
  planned.files = {"index.htm",     "index-1.htm",  "collection.xml", "advanced/next.jpg",
                   "border/15.jpg", "images/0.jpg", "pages/0.htm"};
  static_cast<void>(CreateFolder(temp.Join(name)));
  for (const std::string& sub : planned.folders) {
    static_cast<void>(CreateFolder(temp.Join(name + "/" + sub)));
  }
  for (const std::string& file : planned.files) temp.WriteFile(name + "/" + file, "old");
  static_cast<void>(WriteBuildRecord(temp.Join(name), planned));
  for (const std::string& file : extra) temp.WriteFile(name + "/" + file, "theirs");
}

TEST(OutputPlanTest, RefusedFoldersAreLeftAsTheyWere) {
  TempFolder folder;
  std::string file = folder.WriteFile("file", "mine");
  ASSERT_EQ(0, mkfifo(folder.Join("fifo").c_str(), 0600));
  ASSERT_TRUE(CreateFolder(folder.Join("letters")));
  folder.WriteFile("letters/letter.txt", "mine too");
  WriteGallery(folder, "noted", {"notes.txt"});
  WriteGallery(folder, "cover", {"images/cover.png"});
  WriteGallery(folder, "kept", {"source-collection.xml"});
  ASSERT_EQ(0, symlink(folder.Join("gone").c_str(), folder.Join("dangling").c_str()));
  struct Case {
    std::string outdir;
    OutputRefusal refusal;
    std::string parent;
    std::string foreign;
    ForeignCause cause = ForeignCause::kAdded;
  } cases[] = {
      {file, OutputRefusal::kNotAFolder, "", ""},
      {file + "/", OutputRefusal::kNotAFolder, "", ""},
      {folder.Join("fifo"), OutputRefusal::kNotAFolder, "", ""},
      {folder.Join("letters"), OutputRefusal::kHoldsOtherFiles, "", "", ForeignCause::kNoRecord},
      {folder.Join("noted"), OutputRefusal::kHoldsOtherFiles, "", "notes.txt"},
      {folder.Join("cover"), OutputRefusal::kHoldsOtherFiles, "", "images/cover.png"},
      {folder.Join("kept"), OutputRefusal::kHoldsOtherFiles, "", "source-collection.xml"},
      {folder.Join("no/site"), OutputRefusal::kNoParent, folder.Join("no"), ""},
      {file + "/site", OutputRefusal::kNoParent, file, ""},
      {folder.Join("dangling"), OutputRefusal::kDanglingLink, "", ""},
      {folder.Join("dangling/"), OutputRefusal::kDanglingLink, "", ""},
  };
  const std::vector<std::string> before = SortedNames(folder.path());
  for (const Case& c : cases) {
    COutputChoice choice = PlanOutput(c.outdir);
    EXPECT_FALSE(choice.plan) << c.outdir;
    EXPECT_EQ(c.refusal, choice.refusal) << c.outdir;
    EXPECT_EQ(StripTrailingSeparators(c.outdir), choice.folder) << c.outdir;
    if (c.refusal == OutputRefusal::kNoParent) {
      EXPECT_EQ(c.parent, choice.parent) << c.outdir;
    }
    EXPECT_EQ(c.foreign, choice.foreign.path) << c.outdir;
    EXPECT_EQ(c.cause, choice.foreign.cause) << c.outdir;
  }
  EXPECT_EQ(before, SortedNames(folder.path()));
  EXPECT_EQ(std::vector<std::string>{"letter.txt"}, SortedNames(folder.Join("letters")));
}

TEST(OutputPlanTest, CommitReplacesAnEarlierGalleryWholeAndKeepsItsPermissions) {
  TempFolder folder;
  WriteGallery(folder, "site");
  ASSERT_EQ(0, chmod(folder.Join("site").c_str(), 0750));
  {
    COutputChoice choice = PlanOutput(folder.Join("site"));
    ASSERT_TRUE(choice.plan);
    EXPECT_TRUE(choice.plan->replaces);
    EXPECT_EQ(0u, choice.plan->root().rfind(folder.Join(".site.staging-")));
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "new"));
    // The earlier gallery is shown whole until the commit.
    EXPECT_EQ("old", ReadWholeFile(folder.Join("site/images/0.jpg")));
    EXPECT_EQ(CommitOutcome::kCommitted, choice.plan->Commit(kIndexAlone));
  }
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
  // The new gallery holds what was built and the record of it, which the next build trusts.
  EXPECT_EQ((std::vector<std::string>{".gallery-record", "index.htm"}),
            SortedNames(folder.Join("site")));
  EXPECT_EQ(std::nullopt, FindForeignEntry(folder.Join("site")));
  EXPECT_EQ("new", ReadWholeFile(folder.Join("site/index.htm")));
  struct stat info;
  ASSERT_EQ(0, stat(folder.Join("site").c_str(), &info));
  EXPECT_EQ(0750u, info.st_mode & 07777);
}

TEST(OutputPlanTest, UncommittedOrRefusedCommitsLeaveOutdirAsItWas) {
  TempFolder folder;
  WriteGallery(folder, "site");
  const std::vector<std::string> before = SortedNames(folder.Join("site"));
  {
    COutputChoice choice = PlanOutput(folder.Join("site/"));
    ASSERT_TRUE(choice.plan);
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "new"));
  }
  // Someone put a file of their own into the gallery, or edited one of it, while it was rebuilt.
  struct Case {
    std::string path;
    std::string bytes;
    ForeignCause cause;
  } cases[] = {
      {"images/notes.txt", "theirs", ForeignCause::kAdded},
      {"pages/0.htm", "new", ForeignCause::kChanged},
  };
  for (const Case& c : cases) {
    COutputChoice choice = PlanOutput(folder.Join("site"));
    ASSERT_TRUE(choice.plan) << c.path;
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "new"));
    folder.WriteFile("site/" + c.path, c.bytes);
    EXPECT_EQ(CommitOutcome::kOutdirChanged, choice.plan->Commit(kIndexAlone)) << c.path;
    EXPECT_EQ(c.path, choice.plan->staging.foreign().path);
    EXPECT_EQ(c.cause, choice.plan->staging.foreign().cause) << c.path;
    EXPECT_EQ(c.bytes, ReadWholeFile(folder.Join("site/" + c.path)));
    // Put back as the last build left it, which the next case's plan accepts.
    if (c.cause == ForeignCause::kAdded) {
      ASSERT_TRUE(RemoveFile(folder.Join("site/" + c.path)));
    } else {
      folder.WriteFile("site/" + c.path, "old");
    }
  }
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
  EXPECT_EQ("old", ReadWholeFile(folder.Join("site/index.htm")));
  EXPECT_EQ(before, SortedNames(folder.Join("site")));
}

TEST(OutputPlanTest, AGalleryNotAsPlannedIsNotCommitted) {
  TempFolder folder;
  WriteGallery(folder, "site");
  const std::vector<std::string> before = SortedNames(folder.Join("site"));
  struct Case {
    std::string what;
    std::vector<std::string> written;
    std::string path;
    PlanMismatch cause;
  } cases[] = {
      {"a planned file missing", {}, "index.htm", PlanMismatch::kMissing},
      {"a file no plan names",
       {"index.htm", "index.htm.tmp"},
       "index.htm.tmp",
       PlanMismatch::kUnplanned},
  };
  for (const Case& c : cases) {
    COutputChoice choice = PlanOutput(folder.Join("site"));
    ASSERT_TRUE(choice.plan) << c.what;
    for (const std::string& file : c.written) {
      ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/" + file, "new"));
    }
    EXPECT_EQ(CommitOutcome::kNotAsPlanned, choice.plan->Commit(kIndexAlone)) << c.what;
    EXPECT_EQ(c.path, choice.plan->staging.mismatch().path) << c.what;
    EXPECT_EQ(c.cause, choice.plan->staging.mismatch().cause) << c.what;
    EXPECT_EQ(before, SortedNames(folder.Join("site"))) << c.what;
    EXPECT_EQ("old", ReadWholeFile(folder.Join("site/index.htm"))) << c.what;
  }
  // Nothing of the staging folders is left beside the gallery, which is kept as it was.
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
  EXPECT_EQ(std::nullopt, FindForeignEntry(folder.Join("site")));
}

TEST(OutputPlanTest, NewFolderAndLinkedFolderAreCommittedInPlace) {
  TempFolder folder;
  {
    COutputChoice choice = PlanOutput(folder.Join("fresh"));
    ASSERT_TRUE(choice.plan);
    EXPECT_FALSE(choice.plan->replaces);
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "done"));
    EXPECT_EQ(CommitOutcome::kCommitted, choice.plan->Commit(kIndexAlone));
  }
  EXPECT_EQ("done", ReadWholeFile(folder.Join("fresh/index.htm")));
  // A link named as OUTDIR keeps leading to the folder, which gets the new gallery.
  WriteGallery(folder, "fresh");
  ASSERT_EQ(0, symlink("fresh", folder.Join("link").c_str()));
  {
    COutputChoice choice = PlanOutput(folder.Join("link"));
    ASSERT_TRUE(choice.plan);
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "again"));
    EXPECT_EQ(CommitOutcome::kCommitted, choice.plan->Commit(kIndexAlone));
  }
  EXPECT_EQ((std::vector<std::string>{"fresh", "link"}), SortedNames(folder.path()));
  EXPECT_EQ("again", ReadWholeFile(folder.Join("link/index.htm")));
}

TEST(OutputPlanTest, StagingOfKilledBuildsGoesAndThatOfLiveBuildsStays) {
  TempFolder folder;
  for (const char* name : {".site.staging-abc123", ".site.staging-live01", ".site.staging-x",
                           ".other.staging-abc123"}) {
    ASSERT_TRUE(CreateFolder(folder.Join(name))) << name;
    folder.WriteFile(std::string(name) + "/index.htm", "left");
  }
  {
    CFolderLock live(folder.Join(".site.staging-live01"));
    ASSERT_TRUE(live.held());
    COutputChoice choice = PlanOutput(folder.Join("site"));
    ASSERT_TRUE(choice.plan);
    // Another build's staging, locked, is not taken for abandoned while it is alive.
    COutputChoice second = PlanOutput(folder.Join("site"));
    ASSERT_TRUE(second.plan);
    EXPECT_EQ(PathKind::kFolder, GetPathKind(choice.plan->root()));
  }
  std::vector<std::string> names = SortedNames(folder.path());
  EXPECT_EQ((std::vector<std::string>{".other.staging-abc123", ".site.staging-live01",
                                      ".site.staging-x"}),
            names);
}

TEST(OutputPlanTest, InputsInsideOutdirAreFound) {
  TempFolder folder;
  WriteGallery(folder, "site");
  COutputChoice choice = PlanOutput(folder.Join("site"));
  ASSERT_TRUE(choice.plan);
  struct Case {
    std::vector<std::string> paths;
    std::optional<size_t> found;
  } cases[] = {
      {{folder.Join("a.jpg"), folder.Join("site/images/0.jpg")}, 1},
      {{folder.Join("site/deep/er/a.jpg")}, 0},
      {{folder.Join("site/../site/b.xml")}, 0},
      {{folder.Join("site2/a.jpg"), folder.Join("site"), folder.Join("a/site/b.jpg")},
       std::nullopt},
      {{}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.found, FindPathInside(c.paths, *choice.plan))
        << (c.paths.empty() ? "" : c.paths.back());
  }
}

}  // namespace
}  // namespace gallery
