#include "html/templates.h"

#include <set>
#include <span>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "collection/output_layout.h"

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
      {kNavFirstTail, "\" alt=\"First\" border=\"0\"></a></td>"},
      {kNavPreviousTail, "\" alt=\"Previous\" border=\"0\"></a></td>"},
      {kNavIndexTail, "\" alt=\"Index\" border=\"0\"></a></td>"},
      {kNavHomeTail, "\" alt=\"Home\" border=\"0\"></a></td>"},
      {kNavNextTail, "\" alt=\"Next\" border=\"0\"></a></td>"},
      {kNavLastTail, "\" alt=\"Last\" border=\"0\"></a></td>"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.tail);
}

// The frame pieces that the image sources of `lines` name, each of which must lie in the border
// folder as seen through `prefix` and be a piece that a run writes.
std::set<std::string> LinkedPieces(std::span<const std::string_view> lines,
                                   std::string_view prefix) {
  std::set<std::string> pieces;
  for (std::string_view line : lines) {
    for (size_t at = line.find("src=\""); at != std::string_view::npos;
         at = line.find("src=\"", at + 1)) {
      const size_t start = at + 5;
      const std::string_view link = line.substr(start, line.find('"', start) - start);
      const std::string folder = std::string(prefix) + std::string(kBorderFolder) + "/";
      EXPECT_TRUE(link.starts_with(folder)) << link;
      const std::string name(link.substr(folder.size()));
      EXPECT_TRUE(IsGalleryFileName(kBorderFolder, name)) << link;
      pieces.insert(name);
    }
  }
  return pieces;
}

TEST(TemplatesTest, FramesLinkTheFramePiecesARunWrites) {
  std::set<std::string> eight;
  for (int piece = 0; piece < 8; ++piece) eight.insert(GetFramePieceFileName(piece));
  std::set<std::string> sixteen;
  for (int piece = 0; piece < kFramePieceCount; ++piece) {
    sixteen.insert(GetFramePieceFileName(piece));
  }
  auto pieces = [](auto first, auto second, std::string_view prefix) {
    std::set<std::string> both = LinkedPieces(first, prefix);
    both.merge(LinkedPieces(second, prefix));
    return both;
  };
  EXPECT_EQ(eight, pieces(kThumbFrame8Head, kThumbFrame8Tail, ""));
  EXPECT_EQ(eight, pieces(kPhotoFrame8Head, kPhotoFrame8Tail, "../"));
  std::set<std::string> thumb16 = pieces(kThumbFrame16Part1, kThumbFrame16Part2, "");
  thumb16.merge(pieces(kThumbFrame16Part3, kThumbFrame16Part4, ""));
  EXPECT_EQ(sixteen, thumb16);
  std::set<std::string> photo16 = pieces(kPhotoFrame16Part1, kPhotoFrame16Part2, "../");
  photo16.merge(pieces(kPhotoFrame16Part3, kPhotoFrame16Part4, "../"));
  EXPECT_EQ(sixteen, photo16);
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
