#include <chrono>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/output_layout.h"
#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "html/index_page.h"
#include "html/page_values.h"
#include "html/page_writer.h"
#include "tests/index_page_inputs.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(RenderIndexPageTest, AmplifyingCollectionsArePassedOverQuickly) {
  struct Case {
    const char* what;
    void (*change)(CStyleSettings& style, std::vector<CPhotoResult>& photos);
  };
  const Case cases[] = {
      {"a title that escapes into the description's name, many times",
       [](CStyleSettings& style, std::vector<CPhotoResult>&) {
         for (int i = 0; i < 100000; ++i) style.collection_title += "%CollectionDescription%";
         style.collection_desc = std::string(1 << 20, 'd');
       }},
      {"a font name that shows every cell's title many times",
       [](CStyleSettings& style, std::vector<CPhotoResult>& photos) {
         for (int i = 0; i < 100000; ++i) style.font_name += "%%PhotoTitle%%";
         for (CPhotoResult& photo : photos) photo.title = std::string(1000, 't');
       }},
      {"a text limit that breaks every title into characters",
       [](CStyleSettings& style, std::vector<CPhotoResult>& photos) {
         style.text_limit = 1;
         style.text_limit_type = 1;
         for (int i = 0; i < 4000; ++i) style.font_name += "%%PhotoTitle%%";
         for (CPhotoResult& photo : photos) photo.title = std::string(4000, 't');
       }},
      {"a row of two billion cells, padded with empty ones",
       [](CStyleSettings& style, std::vector<CPhotoResult>&) {
         style.table_columns = INT_MAX;
         style.table_rows = 1;
       }},
      {"two billion rows without cells",
       [](CStyleSettings& style, std::vector<CPhotoResult>&) {
         style.table_columns = 0;
         style.table_rows = INT_MAX;
       }},
      {"sixteen-piece frames round tens of thousands of thumbnails on one page",
       [](CStyleSettings& style, std::vector<CPhotoResult>& photos) {
         style.thumb_style = 10;
         style.thumb_border_size = 8;
         style.table_columns = 200;
         style.table_rows = 200;
         photos = MakeIndexPhotos(40000);
       }},
  };
  for (const Case& c : cases) {
    CStyleSettings style = MakeIndexStyle();
    std::vector<CPhotoResult> photos = MakeIndexPhotos(3);
    c.change(style, photos);
    CPageState state = StartPageState(style, static_cast<int>(photos.size()));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RenderIndexPage(style, photos, 0, INT_MAX, 0, 1, state)) << c.what;
    EXPECT_GT(10.0, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count())
        << c.what;
  }
}

TEST(WriteIndexPageTest, PageTooLargeIsPassedOverAndChangesNoValue) {
  TempFolder folder;
  CStyleSettings style = MakeIndexStyle();
  style.thumb_style = 1;
  style.thumb_border_size = 10;
  style.table_columns = INT_MAX;
  const std::vector<CPhotoResult> photos = MakeIndexPhotos(2, 300, 90);
  CPageState state = StartPageState(style, 2);
  WriteIndexPage(folder.Join("index.htm"), style, photos, 0, INT_MAX,
                 PageLinksByNumber(kIndexPageKind, 0, 1, 0, 2), state);
  EXPECT_FALSE(FileExists(folder.Join("index.htm")));
  EXPECT_EQ(100, state.table_width);
  EXPECT_EQ(120, state.thumb_width);
  EXPECT_EQ("", state.values.photo_index);
}

// The state a page leaves is what the next page starts from, and only a written page leaves
// one: each step writes one page and checks what the next will see.
TEST(WriteIndexPageTest, OnlyWrittenPagesCarryTheirStateToTheNext) {
  TempFolder folder;
  CStyleSettings style = MakeIndexStyle();
  style.thumb_style = 1;
  style.thumb_border_size = 10;
  style.table_columns = 2;
  style.table_rows = 1;
  // Thumbnails 300, 90, 40 wide: the cell is widened from the one laid out before each.
  std::vector<CPhotoResult> photos = MakeIndexPhotos(4, 300, 90);
  photos[1].thumbnail_width = 90;
  photos[2].thumbnail_width = 40;
  photos[3].thumbnail_width = 40;
  struct Step {
    const char* file;
    int page;
    bool written;
    int table_width;  // after the step
    int thumb_width;
    const char* photo_index;
  };
  const Step steps[] = {
      {"missing/index.htm", 0, false, 100, 120, ""},
      {"index.htm", 0, true, 320, 90, "2"},
      {"missing/index-1.htm", 1, false, 320, 90, "2"},
      {"index-1.htm", 1, true, 320, 40, "4"},
  };
  CPageState state = StartPageState(style, 4);
  for (const Step& step : steps) {
    WriteIndexPage(
        folder.Join(step.file), style, photos, step.page * 2, step.page * 2 + 2,
        PageLinksByNumber(kIndexPageKind, step.page, 2, step.page * 2, step.page * 2 + 2), state);
    EXPECT_EQ(step.written, FileExists(folder.Join(step.file))) << step.file;
    EXPECT_EQ(step.table_width, state.table_width) << step.file;
    EXPECT_EQ(step.thumb_width, state.thumb_width) << step.file;
    EXPECT_EQ(step.photo_index, state.values.photo_index) << step.file;
  }
  const std::string bytes = ReadWholeFile(folder.Join("index-1.htm"));
  EXPECT_EQ(0u, bytes.find("<html>\r\n <head>\r\n"));
  EXPECT_EQ(bytes.size() - 9, bytes.find("</html>\r\n"));
  EXPECT_NE(std::string::npos, bytes.find("width=\"320\"")) << "a raised cell stays raised";
}

}  // namespace
}  // namespace gallery
