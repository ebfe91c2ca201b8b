#include "app/output_plan.h"

#include <sys/stat.h>

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

TEST(OutputPlanTest, RefusedFoldersAreLeftAsTheyWere) {
  TempFolder folder;
  std::string file = folder.WriteFile("file", "mine");
  ASSERT_EQ(0, mkfifo(folder.Join("fifo").c_str(), 0600));
  ASSERT_TRUE(CreateFolder(folder.Join("letters")));
  folder.WriteFile("letters/letter.txt", "mine too");
  struct Case {
    std::string outdir;
    OutputRefusal refusal;
    std::string parent;
  } cases[] = {
      {file, OutputRefusal::kNotAFolder, ""},
      {file + "/", OutputRefusal::kNotAFolder, ""},
      {folder.Join("fifo"), OutputRefusal::kNotAFolder, ""},
      {folder.Join("letters"), OutputRefusal::kHoldsOtherFiles, ""},
      {folder.Join("no/site"), OutputRefusal::kNoParent, folder.Join("no")},
      {file + "/site", OutputRefusal::kNoParent, file},
  };
  const std::vector<std::string> before = SortedNames(folder.path());
  for (const Case& c : cases) {
    COutputChoice choice = PlanOutput(c.outdir);
    EXPECT_FALSE(choice.plan) << c.outdir;
    EXPECT_EQ(c.refusal, choice.refusal) << c.outdir;
    EXPECT_EQ(StripTrailingSeparators(c.outdir), choice.folder) << c.outdir;
    EXPECT_EQ(c.parent, choice.parent) << c.outdir;
  }
  EXPECT_EQ(before, SortedNames(folder.path()));
  EXPECT_EQ(std::vector<std::string>{"letter.txt"}, SortedNames(folder.Join("letters")));
}

TEST(OutputPlanTest, ExistingEmptyOrGalleryFolderIsWrittenInPlace) {
  TempFolder folder;
  for (const char* name : {"empty", "gallery", "gallery/advanced", "gallery/border"}) {
    ASSERT_TRUE(CreateFolder(folder.Join(name))) << name;
  }
  folder.WriteFile("gallery/index.htm", "earlier");
  for (const std::string& outdir : {folder.Join("empty"), folder.Join("gallery") + "//"}) {
    COutputChoice choice = PlanOutput(outdir);
    ASSERT_TRUE(choice.plan) << outdir;
    EXPECT_EQ(OutputRefusal::kNone, choice.refusal) << outdir;
    EXPECT_FALSE(choice.plan->staging) << outdir;
    EXPECT_EQ(StripTrailingSeparators(outdir), choice.plan->root()) << outdir;
    EXPECT_TRUE(choice.plan->Commit()) << outdir;
  }
  EXPECT_EQ((std::vector<std::string>{"empty", "gallery"}), SortedNames(folder.path()));
}

TEST(OutputPlanTest, NewFolderIsStagedBesideAndRemovedUnlessCommitted) {
  TempFolder folder;
  const std::string site = folder.Join("site");
  {
    COutputChoice choice = PlanOutput(site + "/");
    ASSERT_TRUE(choice.plan);
    ASSERT_TRUE(choice.plan->staging);
    EXPECT_EQ(site, choice.plan->folder);
    EXPECT_EQ(folder.path(), ParentFolder(choice.plan->root()));
    EXPECT_EQ(0u, choice.plan->root().rfind(folder.Join(".site.")));
    ASSERT_TRUE(CreateFolder(choice.plan->root() + "/pages"));
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/pages/0.htm", "x"));
    EXPECT_EQ(PathKind::kMissing, GetPathKind(site));
  }
  // Dropped without a commit: the staging folder went, with what was written into it.
  EXPECT_EQ(std::vector<std::string>{}, SortedNames(folder.path()));

  {
    COutputChoice choice = PlanOutput(site);
    ASSERT_TRUE(choice.plan);
    ASSERT_TRUE(WriteFileBytes(choice.plan->root() + "/index.htm", "done"));
    EXPECT_TRUE(choice.plan->Commit());
  }
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
  EXPECT_EQ("done", ReadWholeFile(site + "/index.htm"));
}

TEST(OutputPlanTest, FailedCommitLeavesTheNewcomerAndRemovesTheStaging) {
  TempFolder folder;
  const std::string site = folder.Join("site");
  {
    COutputChoice choice = PlanOutput(site);
    ASSERT_TRUE(choice.plan);
    // Something else made the folder, and put a file in it, while the gallery was built.
    ASSERT_TRUE(CreateFolder(site));
    folder.WriteFile("site/theirs.txt", "theirs");
    EXPECT_FALSE(choice.plan->Commit());
    EXPECT_TRUE(choice.plan->staging);
  }
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
  EXPECT_EQ("theirs", ReadWholeFile(site + "/theirs.txt"));
}

TEST(OutputPlanTest, MovedPlanOwnsTheStagingAlone) {
  TempFolder folder;
  const std::string site = folder.Join("site");
  std::optional<COutputPlan> kept;
  {
    COutputChoice choice = PlanOutput(site);
    ASSERT_TRUE(choice.plan);
    kept.emplace(std::move(*choice.plan));
  }
  // The moved-from plan removed nothing when it went.
  ASSERT_EQ(PathKind::kFolder, GetPathKind(kept->root()));
  ASSERT_TRUE(kept->Commit());
  kept.reset();
  EXPECT_EQ(PathKind::kFolder, GetPathKind(site));
  EXPECT_EQ(std::vector<std::string>{"site"}, SortedNames(folder.path()));
}

TEST(OutputPlanTest, PhotosInsideTheGalleryFoldersAreFound) {
  TempFolder folder;
  const std::string site = folder.Join("site");
  ASSERT_TRUE(CreateFolder(site));
  COutputChoice choice = PlanOutput(site);
  ASSERT_TRUE(choice.plan);
  struct Case {
    std::vector<std::string> photos;
    std::optional<size_t> found;
  } cases[] = {
      {{folder.Join("a.jpg"), site + "/images/0.jpg"}, 1},
      {{site + "/thumbs/sub/1.jpg"}, 0},
      {{site + "/pages/../border/2.jpg"}, 0},
      {{folder.Join("site/./advanced/next.jpg")}, 0},
      {{site + "/a.jpg", site + "/imagesX/0.jpg", site + "/images", folder.Join("images/0.jpg")},
       std::nullopt},
      {{}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.found, FindPhotoInGalleryFolders(c.photos, *choice.plan))
        << (c.photos.empty() ? "" : c.photos.back());
  }
  // A new folder holds no photo yet.
  COutputChoice fresh = PlanOutput(folder.Join("fresh"));
  ASSERT_TRUE(fresh.plan);
  EXPECT_EQ(std::nullopt,
            FindPhotoInGalleryFolders({folder.Join("fresh/images/0.jpg")}, *fresh.plan));
}

}  // namespace
}  // namespace gallery
