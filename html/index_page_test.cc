#include "html/index_page.h"

#include <chrono>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "collection/photo_result.h"
#include "collection/style_settings.h"
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
  style.font_size3 = 2;
  style.table_columns = 3;
  style.table_rows = 2;
  style.table_width = 100;
  style.table_height = 90;
  style.table_border_size = 1;
  style.table_spacing = 2;
  style.table_padding = 3;
  style.table_item_back_color = 0xEEEEEE;
  style.thumb_width = 120;
  style.thumb_height = 90;
  return style;
}

std::vector<CPhotoResult> MakePhotos(int count, int width = 120, int height = 90) {
  std::vector<CPhotoResult> photos;
  for (int i = 0; i < count; ++i) {
    photos.push_back(CPhotoResult{"P" + std::to_string(i), 0, 0, width, height});
  }
  return photos;
}

// The text between the navigation bar and the end of the thumbnail table.
std::string TableRows(const std::optional<std::string>& page) {
  const std::string text = WithLineFeeds(page);
  const size_t start = text.find(">\n", text.find("   <table border=")) + 2;
  return text.substr(start, text.rfind("\n   </table>\n") + 1 - start);
}

std::string TitlePiece(const std::string& title) {
  return "     <br><font face=\"Verdana\" size=\"2\" color=\"#ff0000\"><div align=\"center\">" +
         title + "</div></font><br>\n        </td>\n";
}

TEST(ShortenTitleTest, LimitsCharactersNotBytes) {
  struct Case {
    const char* title;
    int limit;
    int type;
    const char* expected;
  };
  const Case cases[] = {
      {"abcdefghijklmn", 10, 0, "abcdefg..."},
      {"abcdefghij", 10, 0, "abcdefghij"},
      {"abcdefghijk", 10, 1, "abcdefghij<br>k"},
      {"abcdefghijklmnopqrstuvwxy", 10, 1, "abcdefghij<br>klmnopqrst<br>uvwxy"},
      {"abcdefghijklmnopqrst", 10, 1, "abcdefghij<br>klmnopqrst"},
      {"abcde", 2, 0, "..."},
      {"abcde", 3, 0, "..."},
      {"abcde", 4, 0, "a..."},
      {"abcde", 1, 1, "a<br>b<br>c<br>d<br>e"},
      {"abcdefghijklmn", 10, 2, "abcdefghijklmn"},
      {"abcdefghijklmn", 0, 0, "abcdefghijklmn"},
      {"abcdefghijklmn", -4, 1, "abcdefghijklmn"},
      {"", 3, 0, ""},
      // Ten characters in twenty bytes fit a limit of ten.
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 10, 0,
       "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
      {"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x93\xB7!", 5, 0, "\xC3\xA9t..."},
      {"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 2, 1, "\xE2\x82\xAC\xE2\x82\xAC<br>\xE2\x82\xAC"},
      {"a\xF0\x9F\x93\xB7"
       "bc",
       2, 1, "a\xF0\x9F\x93\xB7<br>bc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ShortenTitle(c.title, c.limit, c.type))
        << "title " << c.title << ", limit " << c.limit << ", type " << c.type;
  }
}

TEST(RenderIndexPageTest, LastPagePadsItsRowWithEmptyCells) {
  CStyleSettings style = MakeStyle();
  CPageState state = StartPageState(style, 7);
  const std::string expected =
      "<html>\n"
      " <head>\n"
      "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
      "  <title>Trip</title>\n"
      " </head>\n"
      " <body link=\"#ff0000\" vlink=\"#ff0000\" alink=\"#ff0000\" bgColor=\"#ffffff\">\n"
      "  <center>\n"
      "   <font face=\"Verdana\" size=\"4\" color=\"#ff0000\"><b>Summer &amp; sea</b></font>\n"
      "   <br>\n"
      "   <br>\n"
      "   <table><tr>\n"
      "    <td width=\"32\"><a href=\"index.htm\"><img src=\"advanced/first.jpg\" alt=\"First\" border=\"0\"></a></td>\n"
      "    <td width=\"32\"><a href=\"index.htm\"><img src=\"advanced/previous.jpg\" alt=\"Previous\" border=\"0\"></a></td>\n"
      "    " +
      HomeCell() +
      "\n"
      "    <td width=\"32\">&nbsp;</td>\n"
      "    <td width=\"32\">&nbsp;</td>\n"
      "   </tr></table>\n"
      "   <br>\n"
      "   <table border=\"1\" cellspacing=\"2\" cellpadding=\"3\" bgcolor=\"#000000\" >\n"
      "    <tr>\n"
      "<td align=\"center\" bgcolor=\"#eeeeee\"  width=\"100\" height=\"90\"><a href=\"pages/6.htm\"><img border=\"0\" alt=\"P6\" src=\"thumbs/6.jpg\"></a>" +
      TitlePiece("P6") +
      "     <td>&nbsp;</td>\n"
      "     <td>&nbsp;</td>\n"
      "    </tr>\n"
      "   </table>\n"
      "  </center>\n"
      " </body>\n"
      "</html>\n";
  EXPECT_EQ(expected, WithLineFeeds(RenderIndexPage(style, MakePhotos(7), 6, 12, 1, 2, state)));
  // Empty cells set the photo values too.
  EXPECT_EQ("9", state.values.photo_index);
  EXPECT_EQ("thumbs/8.jpg", state.values.photo_path);
  EXPECT_EQ("pages/8.htm", state.values.photo_page);
  EXPECT_EQ("", state.values.photo_title);
}

TEST(RenderIndexPageTest, RowsStopAfterTheLastPhoto) {
  struct Case {
    int photos;
    int columns;
    int rows;
    int first;
    int end;
    const char* cells;  // one letter a cell: P photo, E empty; "|" ends a row
  };
  const Case cases[] = {
      {7, 3, 2, 0, 6, "PPP|PPP|"},
      {7, 3, 2, 6, 12, "PEE|"},
      {6, 3, 2, 0, 6, "PPP|PPP|"},
      {6, 3, 0, 0, 6, ""},
      {2, 0, 2, 0, 2, "||"},
      // Positions outside this page's range are empty even when they are photos.
      {9, 3, 3, 1, 4, "PPP|EEE|EEE|"},
      {5, 2, 4, 0, 8, "PP|PP|PE|"},
  };
  for (const Case& c : cases) {
    CStyleSettings style = MakeStyle();
    style.table_columns = c.columns;
    style.table_rows = c.rows;
    CPageState state = StartPageState(style, c.photos);
    const std::string rows =
        TableRows(RenderIndexPage(style, MakePhotos(c.photos), c.first, c.end, 0, 1, state));
    std::string cells;
    for (size_t at = 0; at < rows.size(); at = rows.find('\n', at) + 1) {
      const std::string_view line(rows.data() + at, rows.find('\n', at) - at);
      if (line == "    </tr>") cells += '|';
      if (line == "     <td>&nbsp;</td>") cells += 'E';
      if (line.starts_with("<td align=")) cells += 'P';
    }
    EXPECT_EQ(c.cells, cells) << c.photos << " photos, " << c.columns << " x " << c.rows
                              << ", from " << c.first << " to " << c.end;
  }
}

TEST(RenderIndexPageTest, EightPieceFrameFitsTheThumbnail) {
  CStyleSettings style = MakeStyle();
  style.thumb_style = 1;
  style.thumb_border_size = 6;
  style.table_columns = 1;
  style.table_rows = 1;
  style.text_limit = 4;
  CPageState state = StartPageState(style, 1);
  const std::string expected =
      "    <tr>\n\n" +
      Filled(kThumbFrame8Head, {{"%%TableItemBackColor%%", "#eeeeee"},
                                {"%%TableWidth%%", "132"},
                                {"%%TableHeight%%", "90"},
                                {"%%BORDER_SIZE%%", "6"},
                                {"%%THUMB_WIDTH%%", "110"},
                                {"%%THUMB_HEIGHT%%", "70"}}) +
      "            <td><a href=\"pages/0.htm\"><img border=\"0\" alt=\"L...\" "
      "src=\"thumbs/0.jpg\"></a></td>" +
      Filled(kThumbFrame8Tail,
             {{"%%BORDER_SIZE%%", "6"}, {"%%THUMB_WIDTH%%", "110"}, {"%%THUMB_HEIGHT%%", "70"}}) +
      TitlePiece("L...") + "    </tr>\n";
  const std::vector<CPhotoResult> photos = {CPhotoResult{"Long title", 0, 0, 110, 70}};
  EXPECT_EQ(expected, TableRows(RenderIndexPage(style, photos, 0, 1, 0, 1, state)));
  EXPECT_EQ(132, state.table_width);
  EXPECT_EQ(110, state.thumb_width);
  EXPECT_EQ(70, state.thumb_height);
}

TEST(RenderIndexPageTest, SixteenPieceFrameShrinksItsEndPieces) {
  CStyleSettings style = MakeStyle();
  style.thumb_style = 4;
  style.thumb_border_size = 10;
  style.table_columns = 1;
  style.table_rows = 1;
  CPageState state = StartPageState(style, 1);
  const Values values = {{"%%TableItemBackColor%%", "#eeeeee"},
                         {"%%TableWidth%%", "140"},
                         {"%%TableHeight%%", "90"},
                         {"%%BORDER_SIZE_REGULATION%%", "8"},
                         {"%%BORDER_SIZE%%", "10"},
                         {"%%THUMB_WIDTH%%", "104"},
                         {"%%THUMB_HEIGHT%%", "8"}};
  // The image's alternative text is filled in before the title is known.
  const std::string expected =
      "    <tr>\n\n" + Filled(kThumbFrame16Part1, values) + Filled(kThumbFrame16Part2, values) +
      "            <td><a href=\"pages/0.htm\"><img border=\"0\" alt=\"\" "
      "src=\"thumbs/0.jpg\"></a></td>" +
      Filled(kThumbFrame16Part3, values) + Filled(kThumbFrame16Part4, values) + TitlePiece("Wide") +
      "    </tr>\n";
  const std::vector<CPhotoResult> photos = {CPhotoResult{"Wide", 0, 0, 120, 24}};
  EXPECT_EQ(expected, TableRows(RenderIndexPage(style, photos, 0, 1, 0, 1, state)));
  EXPECT_EQ(8, state.border_size_regulation);
  EXPECT_EQ(120, state.thumb_width);
  EXPECT_EQ(24, state.thumb_height);
  EXPECT_EQ("120", state.values.thumb_width);
}

TEST(RenderIndexPageTest, CellWidthOnlyGrowsAndCarriesToLaterPages) {
  struct Case {
    int thumb_style;
    std::vector<int> widths;    // of the thumbnails, in order
    std::vector<int> expected;  // width attribute of each cell
  };
  const Case cases[] = {
      {1, {120, 80, 100}, {140, 140, 140}},
      {10, {120, 80, 100}, {140, 140, 140}},
      // The width grows one cell after the wider thumbnail, and stays for the next page.
      {1, {200, 90, 60}, {140, 220, 220}},
      {4, {60, 300, 60, 60}, {140, 140, 320, 320}},
  };
  for (const Case& c : cases) {
    CStyleSettings style = MakeStyle();
    style.thumb_style = c.thumb_style;
    style.thumb_border_size = 10;
    style.table_columns = 2;
    style.table_rows = 1;
    std::vector<CPhotoResult> photos;
    for (int width : c.widths) photos.push_back(CPhotoResult{"t", 0, 0, width, 90});
    const int count = static_cast<int>(photos.size());
    CPageState state = StartPageState(style, count);
    std::vector<int> widths;
    for (int first = 0; first < count; first += 2) {
      const std::string rows =
          TableRows(RenderIndexPage(style, photos, first, first + 2, 0, 1, state));
      for (size_t at = rows.find(" width=\""); at != std::string::npos;
           at = rows.find(" width=\"", at + 1)) {
        if (rows.compare(at - 9, 9, "\"#eeeeee\"") == 0) {
          widths.push_back(std::stoi(rows.substr(at + 8)));
        }
      }
    }
    EXPECT_EQ(c.expected, widths) << "style " << c.thumb_style << ", first width "
                                  << c.widths.front();
  }
}

TEST(RenderIndexPageTest, PlaceholderNamesInCollectionTextsAreFilledBeforeLinesAreRead) {
  CStyleSettings style = MakeStyle();
  // Escaped, this title spells the table's line placeholder: its line becomes the table.
  style.collection_title = "%TableContent% 5% <off>";
  // The description is filled in only inside its header piece, so it stays text.
  style.collection_desc = "%Navigation%";
  CPageState state = StartPageState(style, 1);
  const std::string page = WithLineFeeds(RenderIndexPage(style, MakePhotos(1), 0, 6, 0, 1, state));
  EXPECT_EQ(std::string::npos, page.find("<title>"));
  EXPECT_EQ(0u,
            page.find("<html>\n <head>\n"
                      "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
                      "    <tr>\n"))
      << page.substr(0, 40);
  EXPECT_NE(page.rfind("    <tr>\n"), page.find("    <tr>\n"));
  EXPECT_NE(std::string::npos, page.find("<b>%Navigation%</b></font>\n   <br>\n"));
  EXPECT_EQ(page.rfind("   <table><tr>\n"), page.find("   <table><tr>\n"));
}

TEST(RenderIndexPageTest, BorderColourFillsTheTableLine) {
  CStyleSettings style = MakeStyle();
  style.table_border_style = 1;
  style.table_border_color = 0x0008FF;
  style.collection_desc.clear();
  CPageState state = StartPageState(style, 1);
  const std::string page = WithLineFeeds(RenderIndexPage(style, MakePhotos(1), 0, 6, 0, 1, state));
  EXPECT_NE(std::string::npos,
            page.find("   <table border=\"1\" cellspacing=\"2\" cellpadding=\"3\" "
                      "bgcolor=\"#000000\" bordercolor=\"#ff0800\">\n"));
  EXPECT_NE(std::string::npos, page.find("  <center>\n   <br>\n   <br>\n"));
}

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
         photos = MakePhotos(40000);
       }},
  };
  for (const Case& c : cases) {
    CStyleSettings style = MakeStyle();
    std::vector<CPhotoResult> photos = MakePhotos(3);
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
  CStyleSettings style = MakeStyle();
  style.thumb_style = 1;
  style.thumb_border_size = 10;
  style.table_columns = INT_MAX;
  const std::vector<CPhotoResult> photos = MakePhotos(2, 300, 90);
  CPageState state = StartPageState(style, 2);
  WriteIndexPage(folder.Join("index.htm"), style, photos, 0, INT_MAX, 0, 1, state);
  EXPECT_FALSE(FileExists(folder.Join("index.htm")));
  EXPECT_EQ(100, state.table_width);
  EXPECT_EQ(120, state.thumb_width);
  EXPECT_EQ("", state.values.photo_index);
}

// The state a page leaves is what the next page starts from, and only a written page leaves
// one: each step writes one page and checks what the next will see.
TEST(WriteIndexPageTest, OnlyWrittenPagesCarryTheirStateToTheNext) {
  TempFolder folder;
  CStyleSettings style = MakeStyle();
  style.thumb_style = 1;
  style.thumb_border_size = 10;
  style.table_columns = 2;
  style.table_rows = 1;
  // Thumbnails 300, 90, 40 wide: the cell is widened from the one laid out before each.
  std::vector<CPhotoResult> photos = MakePhotos(4, 300, 90);
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
    WriteIndexPage(folder.Join(step.file), style, photos, step.page * 2, step.page * 2 + 2,
                   step.page, 2, state);
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
