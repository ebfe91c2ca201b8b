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

std::vector<std::string> SortedNames(const std::string& folder) {
  std::vector<std::string> names = ListFolder(folder).value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  return names;
}

// A small earlier gallery in `folder`, plus `extra` files (relative paths).
void WriteGallery(const TempFolder& temp, const std::string& name,
                  const std::vector<std::string>& extra = {}) {
  for (const char* sub : {"", "/advanced", "/border", "/images", "/pages"}) {
    static_cast<void>(CreateFolder(temp.Join(name + sub)));
  }
  for (const char* file : {"index.htm", "index-1.htm", "collection.xml", "advanced/next.jpg",
                           "border/15.jpg", "images/0.jpg", "pages/0.htm"}) {
    temp.WriteFile(name + "/" + file, "old");
  }
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
  } cases[] = {
      {file, OutputRefusal::kNotAFolder, "", ""},
      {file + "/", OutputRefusal::kNotAFolder, "", ""},
      {folder.Join("fifo"), OutputRefusal::kNotAFolder, "", ""},
      {folder.Join("letters"), OutputRefusal::kHoldsOtherFiles, "", "letter.txt"},
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
    COutputChoice choice = PlanOutput(c.outdir, "collection.xml");
    EXPECT_FALSE(choice.plan) << c.outdir;
    EXPECT_EQ(c.refusal, choice.refusal) << c.outdir;
    EXPECT_EQ(StripTrailingSeparators(c.outdir), choice.folder) << c.outdir;
    if (c.refusal == OutputRefusal::kNoParent) {
      EXPECT_EQ(c.parent, choice.parent) << c.outdir;
    }
    EXPECT_EQ(c.foreign, choice.foreign) << c.outdir;
  }
  EXPECT_EQ(before, SortedNames(folder.path()));
  EXPECT_EQ(std::vector<std::string>{"letter.txt"}, SortedNames(folder.Join("letters")));
}

TEST(OutputPlanTest, GalleryFilesOfAnyEarlierBuildAreKnown) {
  TempFolder folder;
  WriteGallery(
      folder, "site",
      {"index-12.htm", "thumbs/3.jpg", "pages/0.htm.123-4.tmp", "mine.xml", "border/0.jpg"});
  EXPECT_EQ(std::nullopt, FindForeignEntry(folder.Join("site"), "mine.xml"));
  // The same gallery is not known when its output collection file had another name.
  EXPECT_EQ("mine.xml", FindForeignEntry(folder.Join("site"), "collection.xml"));
  struct Case {
    std::string name;
  } foreign[] = {{"index-0.htm"}, {"border/16.jpg"},    {"images/01.jpg"}, {"advanced/home.jpg"},
                 {"pages/x.htm"}, {"images/1.jpg.tmp"}, {".htaccess"}};
  for (const Case& c : foreign) {
    TempFolder other;
    WriteGallery(other, "site", {c.name});
    EXPECT_EQ(c.name, FindForeignEntry(other.Join("site"), "collection.xml")) << c.name;
  }
  ASSERT_TRUE(CreateFolder(folder.Join("empty")));
  EXPECT_EQ(std::nullopt, FindForeignEntry(folder.Join("empty"), "collection.xml"));
}

TEST(OutputPlanTest, CommitReplacesAnEarlierGalleryWholeAndKeepsItsPermissions) {
  TempFolder folder;
  WriteGallery(folder, "site", {"images/7.jpg", "index-3.htm"});
  ASSERT_EQ(0, chmod(folder.Join("site").c_str(), 0750));
  {
    COutputChoice choice = PlanOutput(folder.Join("site"), "collection.xml");
    ASSERT_TRUE(choice.plan);
    EXPECT_TRUE(choice.plan->replaces);
    EXPECT_EQ(0u, choice.plan->root().rfind(folder.Join(".site.staging-")));
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "new"));
    // The earlier gallery is shown whole until the commit.
    EXPECT_EQ("theirs", ReadWholeFile(folder.Join("site/images/7.jpg")));
    EXPECT_EQ(CommitOutcome::kCommitted, choice.plan->Commit());
  }
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
  EXPECT_EQ(std::vector<std::string>{"index.htm"}, SortedNames(folder.Join("site")));
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
    COutputChoice choice = PlanOutput(folder.Join("site/"), "collection.xml");
    ASSERT_TRUE(choice.plan);
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "new"));
  }
  {
    COutputChoice choice = PlanOutput(folder.Join("site"), "collection.xml");
    ASSERT_TRUE(choice.plan);
    // Someone put a file of their own into the gallery while it was rebuilt.
    folder.WriteFile("site/notes.txt", "theirs");
    EXPECT_EQ(CommitOutcome::kOutdirChanged, choice.plan->Commit());
  }
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
  EXPECT_EQ("theirs", ReadWholeFile(folder.Join("site/notes.txt")));
  EXPECT_EQ("old", ReadWholeFile(folder.Join("site/index.htm")));
  EXPECT_EQ(before.size() + 1, SortedNames(folder.Join("site")).size());
}

TEST(OutputPlanTest, NewFolderAndLinkedFolderAreCommittedInPlace) {
  TempFolder folder;
  {
    COutputChoice choice = PlanOutput(folder.Join("fresh"), "collection.xml");
    ASSERT_TRUE(choice.plan);
    EXPECT_FALSE(choice.plan->replaces);
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "done"));
    EXPECT_EQ(CommitOutcome::kCommitted, choice.plan->Commit());
  }
  EXPECT_EQ("done", ReadWholeFile(folder.Join("fresh/index.htm")));
  // A link named as OUTDIR keeps leading to the folder, which gets the new gallery.
  WriteGallery(folder, "fresh");
  ASSERT_EQ(0, symlink("fresh", folder.Join("link").c_str()));
  {
    COutputChoice choice = PlanOutput(folder.Join("link"), "collection.xml");
    ASSERT_TRUE(choice.plan);
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "again"));
    EXPECT_EQ(CommitOutcome::kCommitted, choice.plan->Commit());
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
    COutputChoice choice = PlanOutput(folder.Join("site"), "collection.xml");
    ASSERT_TRUE(choice.plan);
    // Another build's staging, locked, is not taken for abandoned while it is alive.
    COutputChoice second = PlanOutput(folder.Join("site"), "collection.xml");
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
  COutputChoice choice = PlanOutput(folder.Join("site"), "collection.xml");
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
