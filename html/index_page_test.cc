#include "html/index_page.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "html/page_values.h"
#include "html/page_writer.h"
#include "html/templates.h"
#include "tests/index_page_inputs.h"
#include "tests/page_text.h"

namespace gallery {
namespace {

using Values = PlaceholderValues;

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
  CStyleSettings style = MakeIndexStyle();
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
      HomeCell("advanced/index.jpg") +
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
  EXPECT_EQ(expected,
            WithLineFeeds(RenderIndexPage(style, MakeIndexPhotos(7), 6, 12, 1, 2, state)));
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
    CStyleSettings style = MakeIndexStyle();
    style.table_columns = c.columns;
    style.table_rows = c.rows;
    CPageState state = StartPageState(style, c.photos);
    const std::string rows =
        TableRows(RenderIndexPage(style, MakeIndexPhotos(c.photos), c.first, c.end, 0, 1, state));
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
  CStyleSettings style = MakeIndexStyle();
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
  CStyleSettings style = MakeIndexStyle();
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
    CStyleSettings style = MakeIndexStyle();
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
  CStyleSettings style = MakeIndexStyle();
  // Escaped, this title spells the table's line placeholder: its line becomes the table.
  style.collection_title = "%TableContent% 5% <off>";
  // The description is filled in only inside its header piece, so it stays text.
  style.collection_desc = "%Navigation%";
  CPageState state = StartPageState(style, 1);
  const std::string page =
      WithLineFeeds(RenderIndexPage(style, MakeIndexPhotos(1), 0, 6, 0, 1, state));
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
  CStyleSettings style = MakeIndexStyle();
  style.table_border_style = 1;
  style.table_border_color = 0x0008FF;
  style.collection_desc.clear();
  CPageState state = StartPageState(style, 1);
  const std::string page =
      WithLineFeeds(RenderIndexPage(style, MakeIndexPhotos(1), 0, 6, 0, 1, state));
  EXPECT_NE(std::string::npos,
            page.find("   <table border=\"1\" cellspacing=\"2\" cellpadding=\"3\" "
                      "bgcolor=\"#000000\" bordercolor=\"#ff0800\">\n"));
  EXPECT_NE(std::string::npos, page.find("  <center>\n   <br>\n   <br>\n"));
}

}  // namespace
}  // namespace gallery
