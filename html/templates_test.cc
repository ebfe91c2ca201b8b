#include "html/templates.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(TemplatesTest, BlanksAndEmptyLinesBelongToTheLines) {
  EXPECT_EQ("", kPhotoFrame16Part1[14]);
  EXPECT_EQ(
      "           <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\" border=\"0\"  "
      "src=\"border/2.jpg\"></td> ",
      kThumbFrame16Part1[13]);
  EXPECT_EQ(
      "             <td><img width=\"%%BORDER_SIZE%%\" height=\"%%BORDER_SIZE%%\"  border=\"0\" "
      "src=\"border/0.jpg\"></td>",
      kThumbFrame8Head[3]);
  EXPECT_EQ("        <td align=\"center\" >", kPhotoFrame8Head[0]);
}

TEST(TemplatesTest, EveryButtonTailNamesItsOwnButton) {
  const struct {
    std::string_view tail;
    std::string_view expected;
  } cases[] = {
      {kNavFirstTail, "first.jpg\" alt=\"First\" border=\"0\"></a></td>"},
      {kNavPreviousTail, "previous.jpg\" alt=\"Previous\" border=\"0\"></a></td>"},
      {kNavNextTail, "next.jpg\" alt=\"Next\" border=\"0\"></a></td>"},
      {kNavLastTail, "last.jpg\" alt=\"Last\" border=\"0\"></a></td>"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.tail);
}

TEST(TemplatesTest, OnlyTheTitlePieceHoldsALineFeed) {
  EXPECT_EQ(std::string_view::npos, kThumbTitlePiece.find('\r'));
  EXPECT_EQ(kThumbTitlePiece.size() - 14, kThumbTitlePiece.find("\n        </td>"));
  for (const auto* lines : {&kPhotoPageTemplate, &kIndexPageTemplate}) {
    for (std::string_view line : *lines) {
      EXPECT_EQ(std::string_view::npos, line.find('\n')) << line;
    }
  }
}

TEST(TemplatesTest, BothSkeletonsDeclareUtf8RightAfterHead) {
  for (const auto* lines : {&kPhotoPageTemplate, &kIndexPageTemplate}) {
    EXPECT_EQ(" <head>", (*lines)[1]);
    EXPECT_EQ("  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
              (*lines)[2]);
    EXPECT_EQ("</html>", lines->back());
  }
}

TEST(TemplatesTest, HomeAddressIsAbsolute) {
  EXPECT_EQ(0u, kHomeAddress.find("https://"));
  EXPECT_EQ(std::string_view::npos, kHomeAddress.find('"'));
}

}  // namespace
}  // namespace gallery
