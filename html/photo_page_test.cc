#include "html/photo_page.h"

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "collection/output_layout.h"
#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "collection/thumb_style.h"
#include "html/page_values.h"
#include "html/page_writer.h"
#include "html/templates.h"
#include "tests/page_text.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

using Values = PlaceholderValues;

CStyleSettings MakeStyle() {
  CStyleSettings style;
  style.collection_title = "Trip";
  style.collection_desc = "Summer & sea";
  style.font_name = "Verdana";
  style.font_color = 0x0000FF;
  style.back_color = 0xFFFFFF;
  style.font_size1 = 4;
  style.font_size2 = 3;
  return style;
}

constexpr const char kPageStart[] =
    "<html>\n"
    " <head>\n"
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
    "  <title>Sunset</title>\n"
    " </head>\n"
    " <body link=\"#ff0000\" vlink=\"#ff0000\" alink=\"#ff0000\" bgColor=\"#ffffff\">\n"
    "  <center>\n"
    "   <font face=\"Verdana\" size=\"4\" color=\"#ff0000\"><b>Summer &amp; sea</b></font>\n"
    "   <br>\n"
    "   <br>\n"
    "   <table><tr>\n"
    "    <td width=\"32\"><a href=\"0.htm\"><img src=\"../advanced/first.jpg\" alt=\"First\" border=\"0\"></a></td>\n"
    "    <td width=\"32\"><a href=\"0.htm\"><img src=\"../advanced/previous.jpg\" alt=\"Previous\" border=\"0\"></a></td>\n"
    "    <td width=\"32\"><a href=\"../index.htm\"><img src=\"../advanced/index.jpg\" alt=\"Index\" border=\"0\"></a></td>\n"
    "    <td width=\"32\"><a href=\"2.htm\"><img src=\"../advanced/next.jpg\" alt=\"Next\" border=\"0\"></a></td>\n"
    "    <td width=\"32\"><a href=\"2.htm\"><img src=\"../advanced/last.jpg\" alt=\"Last\" border=\"0\"></a></td>\n"
    "   </tr></table>\n"
    "   <br>\n";

constexpr const char kPageEnd[] =
    "   <br>\n"
    "   <br><font face=\"Verdana\" size=\"3\" color=\"#ff0000\">Photo 2 of 3 : Sunset</font>\n"
    "  </center>\n"
    " </body>\n"
    "</html>\n";

TEST(RenderPhotoPageTest, PlainPhotoIsOneCell) {
  CStyleSettings style = MakeStyle();
  CPageState state = StartPageState(style, 3);
  const CPhotoResult photo{"Sunset", 400, 300, 0, 0};
  EXPECT_EQ(std::string(kPageStart) +
                "   <td><img border=\"0\" alt=\"Sunset\" src=\"../images/1.jpg\"></td>\n" +
                kPageEnd,
            WithLineFeeds(RenderPhotoPage(style, photo, 1, 3, state)));
  EXPECT_EQ("2", state.values.photo_index);
  EXPECT_EQ("1", state.values.photo_number);
  EXPECT_EQ("../images/1.jpg", state.values.photo_path);
  EXPECT_EQ("Sunset", state.values.photo_title);
  EXPECT_EQ(0, state.image_width);
}

TEST(RenderPhotoPageTest, FramesFitRoundThePageImage) {
  struct Case {
    int thumb_style;
    int border;
    int width;
    int height;
    const char* edge_width;
    const char* edge_height;
  };
  const Case cases[] = {
      // Sixteen pieces: the edges leave room for an end piece of one border at each end.
      {10, 12, 400, 300, "376", "276"},
      {3, 5, 40, 30, "30", "20"},
      {4, 30, 40, 300, "-20", "240"},
      // Eight pieces: the edges are as long as the image.
      {1, 12, 400, 300, "400", "300"},
      {0, -2, 40, 30, "40", "30"},
  };
  for (const Case& c : cases) {
    CStyleSettings style = MakeStyle();
    style.thumb_style = c.thumb_style;
    style.thumb_border_size = c.border;
    CPageState state = StartPageState(style, 3);
    const CPhotoResult photo{"Sunset", c.width, c.height, 0, 0};
    const Values values = {{"%%BORDER_SIZE%%", std::to_string(c.border)},
                           {"%%IMAGE_WIDTH%%", c.edge_width},
                           {"%%IMAGE_HEIGHT%%", c.edge_height}};
    const std::string image =
        "             <td><img border=\"0\" alt=\"Sunset\" src=\"../images/1.jpg\"></td>";
    std::string block = "\n";
    if (DecodeThumbStyle(c.thumb_style).sixteen_pieces) {
      block += Filled(kPhotoFrame16Part1, values) + Filled(kPhotoFrame16Part2, values) + image +
               Filled(kPhotoFrame16Part3, values) + Filled(kPhotoFrame16Part4, values);
    } else {
      block += Filled(kPhotoFrame8Head, values) + image + Filled(kPhotoFrame8Tail, values);
    }
    EXPECT_EQ(std::string(kPageStart) + block + "\n" + kPageEnd,
              WithLineFeeds(RenderPhotoPage(style, photo, 1, 3, state)))
        << "style " << c.thumb_style << ", border " << c.border;
    EXPECT_EQ(c.edge_width, state.values.image_width);
  }
}

TEST(RenderPhotoPageTest, SixteenPieceFrameKeepsItsEmptyLine) {
  CStyleSettings style = MakeStyle();
  style.thumb_style = 10;
  style.thumb_border_size = 12;
  CPageState state = StartPageState(style, 3);
  const std::string page =
      RenderPhotoPage(style, CPhotoResult{"Sunset", 400, 300, 0, 0}, 1, 3, state).value_or("");
  EXPECT_NE(std::string::npos, page.find("../border/2.jpg\"></td>\r\n     </tr>\r\n\r\n     <tr>"));
  EXPECT_NE(std::string::npos,
            page.find("../images/1.jpg\"></td>      <td>\r\n       <table border=\"0\""));
}

TEST(RenderPhotoPageTest, EmptyTextsDropTheirLines) {
  CStyleSettings style = MakeStyle();
  style.collection_desc.clear();
  CPageState state = StartPageState(style, 1);
  const std::string page = WithLineFeeds(RenderPhotoPage(style, CPhotoResult{}, 0, 1, state));
  EXPECT_NE(std::string::npos, page.find("  <title></title>\n"));
  EXPECT_NE(std::string::npos, page.find("  <center>\n   <br>\n   <br>\n   <table><tr>\n"));
  EXPECT_NE(std::string::npos, page.find("</td>\n   <br>\n  </center>\n"));
  EXPECT_EQ(std::string::npos, page.find("<font"));
}

TEST(RenderPhotoPageTest, TitleGoesInUnescapedAndPerCentSignsHalve) {
  CStyleSettings style = MakeStyle();
  style.collection_desc = "100% \"%Navigation%\"";
  CPageState state = StartPageState(style, 1);
  const std::string page = WithLineFeeds(
      RenderPhotoPage(style, CPhotoResult{"<b>50%% off</b> %d", 0, 0, 0, 0}, 0, 1, state));
  EXPECT_NE(std::string::npos, page.find("<title><b>50% off</b> %d</title>"));
  EXPECT_NE(std::string::npos, page.find("alt=\"<b>50% off</b> %d\""));
  EXPECT_NE(std::string::npos, page.find("Photo 1 of 1 : <b>50% off</b> %d</font>"));
  // An escaped description shows as typed.
  EXPECT_NE(std::string::npos, page.find("<b>100% &quot;%Navigation%&quot;</b>"));
}

TEST(WritePhotoPageTest, WritesCrLfPageFile) {
  TempFolder folder;
  CStyleSettings style = MakeStyle();
  const std::vector<CPhotoResult> photos = {CPhotoResult{"One", 10, 10, 0, 0},
                                            CPhotoResult{"Two", 10, 10, 0, 0}};
  CPageState state = StartPageState(style, 2);
  WritePhotoPage(folder.Join("1.htm"), style, photos[1], 1, 2,
                 PageLinksByNumber(kPhotoPageKind, 1, 2), state);
  const std::string bytes = ReadWholeFile(folder.Join("1.htm"));
  EXPECT_EQ(
      0u, bytes.find("<html>\r\n <head>\r\n"
                     "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
                     "  <title>Two</title>\r\n"));
  EXPECT_EQ(bytes.size() - 9, bytes.find("</html>\r\n"));
  EXPECT_EQ("Two", state.values.photo_title);
}

TEST(WritePhotoPageTest, PageTooLargeIsPassedOverAndTheNextIsWritten) {
  // The description spells the photo title's name, so each page shows its title once per
  // occurrence: 200,000 times 1 KB is too much, 200,000 times 3 bytes is not.
  TempFolder folder;
  CStyleSettings style = MakeStyle();
  style.collection_desc.clear();
  for (int i = 0; i < 200000; ++i) style.collection_desc += "%PhotoTitle%";
  style.thumb_border_size = 4;
  const std::vector<CPhotoResult> photos = {CPhotoResult{std::string(1000, 'L'), 10, 10, 0, 0},
                                            CPhotoResult{"Two", 20, 20, 0, 0}};
  CPageState state = StartPageState(style, 2);
  const auto start = std::chrono::steady_clock::now();
  WritePhotoPage(folder.Join("0.htm"), style, photos[0], 0, 2,
                 PageLinksByNumber(kPhotoPageKind, 0, 2), state);
  EXPECT_GT(5.0, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  EXPECT_FALSE(FileExists(folder.Join("0.htm")));
  EXPECT_EQ("", state.values.photo_title);
  EXPECT_EQ(0, state.image_width);

  WritePhotoPage(folder.Join("1.htm"), style, photos[1], 1, 2,
                 PageLinksByNumber(kPhotoPageKind, 1, 2), state);
  const std::string bytes = ReadWholeFile(folder.Join("1.htm"));
  EXPECT_EQ(bytes.size() - 9, bytes.find("</html>\r\n"));
  EXPECT_LT(600000u, bytes.size());
  EXPECT_EQ(20, state.image_width);
}

TEST(WritePhotoPageTest, UnwritablePageChangesNoValue) {
  TempFolder folder;
  CStyleSettings style = MakeStyle();
  style.thumb_border_size = 4;
  const std::vector<CPhotoResult> photos = {CPhotoResult{"One", 10, 10, 0, 0}};
  CPageState state = StartPageState(style, 1);
  const CPageValues before = state.values;
  WritePhotoPage(folder.Join("missing/0.htm"), style, photos[0], 0, 1,
                 PageLinksByNumber(kPhotoPageKind, 0, 1), state);
  EXPECT_FALSE(FileExists(folder.Join("missing/0.htm")));
  EXPECT_EQ("", state.values.photo_title);
  EXPECT_EQ(before.image_width, state.values.image_width);
  EXPECT_EQ(0, state.image_width);
}

}  // namespace
}  // namespace gallery
