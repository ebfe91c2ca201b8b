#include "app/output_checks.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/gallery_builder.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

bool Holds(const std::vector<std::string>& paths, const std::string& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

TEST(ClassicGalleryFilesTest, SkippedPhotosHaveNoImagesAndThumbnailsMayBeMissing) {
  CGalleryBuilder builder;
  builder.style().table_columns = 2;
  builder.style().table_rows = 1;
  builder.photos() = {{"/p/a.jpg", "A"}, {"/p/b.jpg", "B"}, {"/p/c.jpg", "C"}};
  const CPlannedGallery planned = ListClassicGalleryFiles(builder, "gallery.xml", true, {1});
  ASSERT_FALSE(planned.files.empty());
  EXPECT_EQ("gallery.xml", planned.files.front());
  EXPECT_EQ("index.htm", planned.index_page);
  EXPECT_TRUE(Holds(planned.files, "index-1.htm"));
  EXPECT_EQ((std::vector<std::string>{"images", "thumbs", "pages", "advanced", "border"}),
            planned.folders);
  for (const char* photo : {"0", "2"}) {
    const std::string name = std::string(photo) + ".jpg";
    EXPECT_TRUE(Holds(planned.files, "images/" + name)) << photo;
    EXPECT_TRUE(Holds(planned.optional_files, "thumbs/" + name)) << photo;
  }
  // The photo that could not be made has its page, but no image of any size.
  EXPECT_TRUE(Holds(planned.files, "pages/1.htm"));
  for (const char* image : {"images/1.jpg", "thumbs/1.jpg"}) {
    EXPECT_FALSE(Holds(planned.files, image)) << image;
    EXPECT_FALSE(Holds(planned.optional_files, image)) << image;
  }
  // Frame pieces are drawn only for a border of some size.
  EXPECT_TRUE(std::any_of(planned.optional_files.begin(), planned.optional_files.end(),
                          [](const std::string& path) { return path.starts_with("border/"); }));
  EXPECT_FALSE(std::any_of(planned.files.begin(), planned.files.end(),
                           [](const std::string& path) { return path.starts_with("border/"); }));

  // Without thumbnails none is listed; without photos there is no index page to open.
  const CPlannedGallery bare = ListClassicGalleryFiles(builder, "gallery.xml", false);
  EXPECT_FALSE(std::any_of(bare.optional_files.begin(), bare.optional_files.end(),
                           [](const std::string& path) { return path.starts_with("thumbs/"); }));
  builder.photos().clear();
  EXPECT_EQ("", ListClassicGalleryFiles(builder, "gallery.xml", true).index_page);
}

TEST(NotCommittedTest, AGalleryNotAsPlannedIsNamedByItsFile) {
  TempFolder folder;
  const CPlannedGallery planned = {{}, {"index.html"}, {}, "index.html"};
  struct Case {
    std::vector<std::string> written;
    std::string named;
  } cases[] = {
      {{"index.html", "stray.tmp"}, "site/stray.tmp: the finished gallery holds this"},
      {{}, "site/index.html: the build meant to write this"},
  };
  for (const Case& c : cases) {
    std::optional<COutputPlan> plan = PlanOutput(folder.Join("site")).plan;
    ASSERT_TRUE(plan) << c.named;
    for (const std::string& file : c.written) {
      ASSERT_TRUE(WriteFileBytes(plan->root() + "/" + file, "made"));
    }
    const CommitOutcome outcome = plan->Commit(planned);
    ASSERT_EQ(CommitOutcome::kNotAsPlanned, outcome) << c.named;
    std::ostringstream out;
    std::ostringstream err;
    CCliEnvironment environment(out, err);
    ReportNotCommitted(outcome, *plan, CCliOptions{}, environment);
    EXPECT_NE(std::string::npos, err.str().find(c.named)) << err.str();
    EXPECT_NE(std::string::npos, err.str().find("Nothing was changed.")) << err.str();
    EXPECT_EQ(PathKind::kMissing, GetPathKind(folder.Join("site"))) << c.named;
  }
}

}  // namespace
}  // namespace gallery
