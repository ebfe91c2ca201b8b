#include "html/page_writer.h"

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/output_layout.h"
#include "collection/style_settings.h"
#include "html/page_values.h"
#include "html/templates.h"

namespace gallery {
namespace {

TEST(WritePageLineTest, DoubledPerCentComesOutSingle) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"", ""},
      {"plain\n", "plain\n"},
      {"100%% sure", "100% sure"},
      {"%%%%", "%%"},
      {"%%%", "%%"},
      // No argument is ever read: conversions pass unchanged.
      {"%d %s %n %", "%d %s %n %"},
      {"50%", "50%"},
      {"a%%b%c", "a%b%c"},
  };
  for (const Case& c : cases) {
    CPageText page;
    page.Append("before|");
    WritePageLine(page, c.text);
    EXPECT_EQ(std::string("before|") + c.expected, page.text()) << "text: " << c.text;
  }
}

TEST(ToCrLfTest, EveryLineFeedBecomesCrLf) {
  EXPECT_EQ("", ToCrLf(""));
  EXPECT_EQ("a\r\n\r\nb", ToCrLf("a\n\nb"));
  // Like a text-mode file, a carriage return already there is kept.
  EXPECT_EQ("a\r\r\n", ToCrLf("a\r\n"));
}

TEST(WriteHeaderLineTest, EmptyTextDropsTheLine) {
  CStyleSettings style;
  style.font_name = "Sans %%";
  style.font_size1 = 4;
  style.font_size2 = 3;
  style.font_color = 0x0000FF;
  CPageState state = StartPageState(style, 5);
  state.values.photo_index = "2";
  struct Case {
    const char* title;
    const char* description;
    const char* photo_title;
    const char* line;
    bool is_header;
    const char* expected;
  };
  const Case cases[] = {
      {"T", "", "P", "   %%HeaderCollectionDescription%%", true, ""},
      {"T", "D&%", "P", "   %%HeaderCollectionDescription%%", true,
       "   <font face=\"Sans %\" size=\"4\" color=\"#ff0000\"><b>D&amp;%</b></font>\n"},
      {"T<", "", "P", "%%HeaderCollectionTitle%%", true,
       "   <font face=\"Sans %\" size=\"4\" color=\"#ff0000\"><b>T&lt;</b></font>\n"},
      {"", "D", "P", "%%HeaderCollectionTitle%%", true, ""},
      {"T", "D", "<b>P</b>", "   %%HeaderPhotoTitle%%", true,
       "   <br><font face=\"Sans %\" size=\"3\" color=\"#ff0000\">Photo 2 of 5 : <b>P</b></font>\n"},
      {"T", "D", "", "   %%HeaderPhotoTitle%%", true, ""},
      // The collection title is tested first.
      {"T", "D", "P", "%%HeaderPhotoTitle%%%%HeaderCollectionTitle%%", true,
       "   <font face=\"Sans %\" size=\"4\" color=\"#ff0000\"><b>T</b></font>\n"},
      {"T", "D", "P", "   %%Navigation%%", false, ""},
      {"T", "D", "P", "   <br>", false, ""},
  };
  for (const Case& c : cases) {
    style.collection_title = c.title;
    style.collection_desc = c.description;
    state.values.photo_title = c.photo_title;
    CPageText page;
    EXPECT_EQ(c.is_header, WriteHeaderLine(page, style, state.values, c.line))
        << "line: " << c.line;
    EXPECT_EQ(c.expected, page.text()) << "line: " << c.line;
  }
}

// The bar's five cells as written for the given link targets ("" for none).
std::string ExpectedBar(const std::string& folder, const std::vector<std::string>& links,
                        const std::string& middle) {
  const char* const tails[] = {"first.jpg\" alt=\"First\"", "previous.jpg\" alt=\"Previous\"",
                               "next.jpg\" alt=\"Next\"", "last.jpg\" alt=\"Last\""};
  std::string bar = "   <table><tr>\n";
  for (int button = 0; button < 4; ++button) {
    if (button == 2) bar += "    " + middle + "\n";
    if (links[button].empty()) {
      bar += "    <td width=\"32\">&nbsp;</td>\n";
    } else {
      bar += "    <td width=\"32\"><a href=\"" + links[button] + "\"><img src=\"" + folder +
             tails[button] + " border=\"0\"></a></td>\n";
    }
  }
  return bar + "   </tr></table>\n";
}

TEST(WriteNavigationBarTest, LinksEveryPossibleNeighbour) {
  struct Case {
    int kind;
    int current;
    int count;
    std::vector<std::string> links;  // First, Previous, Next, Last
  };
  const Case cases[] = {
      {kPhotoPageKind, 0, 1, {"", "", "", ""}},
      {kPhotoPageKind, 0, 3, {"", "", "1.htm", "2.htm"}},
      {kPhotoPageKind, 1, 3, {"0.htm", "0.htm", "2.htm", "2.htm"}},
      {kPhotoPageKind, 2, 3, {"0.htm", "1.htm", "", ""}},
      {kPhotoPageKind, 0, 2, {"", "", "1.htm", "1.htm"}},
      {kPhotoPageKind, 1, 2, {"0.htm", "0.htm", "", ""}},
      {kPhotoPageKind, 5, 12, {"0.htm", "4.htm", "6.htm", "11.htm"}},
      {kPhotoPageKind, INT_MAX, INT_MAX, {"0.htm", "2147483646.htm", "", ""}},
      {kIndexPageKind, 0, 1, {"", "", "", ""}},
      {kIndexPageKind, 0, 3, {"", "", "index-1.htm", "index-2.htm"}},
      {kIndexPageKind, 1, 3, {"index.htm", "index.htm", "index-2.htm", "index-2.htm"}},
      {kIndexPageKind, 2, 3, {"index.htm", "index-1.htm", "", ""}},
  };
  for (const Case& c : cases) {
    const bool photo_page = c.kind == kPhotoPageKind;
    const std::string folder = photo_page ? "../advanced/" : "advanced/";
    const std::string middle =
        photo_page ? "<td width=\"32\"><a href=\"../index.htm\"><img "
                     "src=\"../advanced/index.jpg\" alt=\"Index\" border=\"0\"></a></td>"
                   : HomeCell("advanced/index.jpg");
    CPageText page;
    WriteNavigationBar(page, c.kind, PageLinksByNumber(c.kind, c.current, c.count).navigation);
    EXPECT_EQ(ExpectedBar(folder, c.links, middle), page.text())
        << "kind " << c.kind << ", page " << c.current << " of " << c.count;
  }
}

TEST(WriteNavigationBarTest, WritesTheLinksItIsGiven) {
  CNavigationLinks links;
  links.previous = "a%b.htm";
  links.index = "up.htm";
  links.buttons = {"i.jpg", "f.jpg", "l.jpg", "p.jpg", "n.jpg"};
  CPageText page;
  WriteNavigationBar(page, kPhotoPageKind, links);
  EXPECT_EQ(
      "   <table><tr>\n"
      "    <td width=\"32\">&nbsp;</td>\n"
      "    <td width=\"32\"><a href=\"a%b.htm\"><img src=\"p.jpg\" alt=\"Previous\" border=\"0\"></a></td>\n"
      "    <td width=\"32\"><a href=\"up.htm\"><img src=\"i.jpg\" alt=\"Index\" border=\"0\"></a></td>\n"
      "    <td width=\"32\">&nbsp;</td>\n"
      "    <td width=\"32\">&nbsp;</td>\n"
      "   </tr></table>\n",
      page.text());
}

TEST(WriteNavigationBarTest, HomeCellLinksTheHomeAddress) {
  EXPECT_EQ("<td width=\"32\"><a href=\"" + std::string(kHomeAddress) +
                "\"><img src=\"advanced/index.jpg\" alt=\"Home\" border=\"0\"></a></td>",
            HomeCell("advanced/index.jpg"));
}

}  // namespace
}  // namespace gallery
