#include "imaging/frame_piece.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/gallery_builder.h"
#include "collection/style_settings.h"
#include "imaging/shading_masks.h"
#include "tests/jpeg_inspection.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

constexpr int kBorder = 0x0000C0;  // a dark red
constexpr int kBack = 0xE0F0FF;

CStyleSettings LineStyle(int thumb_style, int size) {
  CStyleSettings style;
  style.thumb_style = thumb_style;
  style.thumb_border_size = size;
  style.thumb_border_color = kBorder;
  style.thumb_back_color = kBack;
  return style;
}

// Black shading on white, so a pixel's red byte is its grey level.
CStyleSettings GreyStyle(int thumb_style, int size) {
  CStyleSettings style;
  style.thumb_style = thumb_style;
  style.thumb_border_size = size;
  style.thumb_border_color = 0x000000;
  style.thumb_back_color = 0xFFFFFF;
  return style;
}

// The piece as rows of '#' (border colour), '.' (background) and '?' (anything else).
std::vector<std::string> Picture(const CCanvas& piece) {
  std::vector<std::string> rows;
  for (int y = 0; y < piece.height(); ++y) {
    std::string row;
    for (int x = 0; x < piece.width(); ++x) {
      std::optional<int> colour = piece.GetPixel(x, y);
      row += colour == kBorder ? '#' : colour == kBack ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

int Grey(const CCanvas& piece, int x, int y) { return piece.GetPixel(x, y).value_or(-1) & 0xFF; }

bool IsPlain(const CCanvas& piece, int colour) {
  for (int y = 0; y < piece.height(); ++y) {
    for (int x = 0; x < piece.width(); ++x) {
      if (piece.GetPixel(x, y) != colour) return false;
    }
  }
  return true;
}

TEST(DrawFramePieceTest, LineStylesDrawTheirRowsAndColumns) {
  struct Case {
    int style, size, piece;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {1, 6, 0, {"######", "#.....", "#.....", "#.....", "#.....", "#....."}},
      {1, 6, 6, {"......", "......", "......", "......", "......", "######"}},
      {1, 5, 7, {"....#", "....#", "....#", "....#", "#####"}},
      {2, 5, 2, {"#####", "....#", "....#", "....#", "....#"}},
      {2, 5, 5, {"#....", "#....", "#....", "#....", "#####"}},
      {3,
       11,
       0,
       {".....######", ".....#.....", ".....#.....", ".....#.....", ".....#.....", "###########",
        "#....#.....", "#....#.....", "#....#.....", "#....#.....", "#....#....."}},
      {3, 6, 7, {"...#.#", "...#.#", "...#.#", "######", "...#..", "####.."}},
      {3, 4, 13, {"...#", "...#", "...#", "...#"}},
      {5, 6, 2, {"######", ".....#", "####.#", "...#.#", "...#.#", "...#.#"}},
      {6,
       12,
       4,
       {".......#...#", ".......#...#", ".......#...#", ".......#...#", ".......#...#",
        ".......#...#", ".......#...#", ".......#...#", ".......#...#", ".......#...#",
        ".......#...#", ".......#...#"}},
      {6,
       9,
       0,
       {"#########", "#........", "#........", "#........", "#...#####", "#...#....", "#...#....",
        "#...#....", "#...#...."}},
      {7,
       9,
       7,
       {"..#..#..#", "..#..#..#", "###..#..#", ".....#..#", ".....#..#", "######..#", "........#",
        "........#", "#########"}},
      {7,
       9,
       3,
       {"#..#..#..", "#..#..#..", "#..#..#..", "#..#..#..", "#..#..#..", "#..#..#..", "#..#..#..",
        "#..#..#..", "#..#..#.."}},
  };
  for (const Case& c : cases) {
    std::optional<CCanvas> piece = DrawFramePiece(LineStyle(c.style, c.size), c.piece);
    ASSERT_TRUE(piece) << "style " << c.style;
    EXPECT_EQ(c.expected, Picture(*piece))
        << "style " << c.style << " size " << c.size << " piece " << c.piece;
  }
}

TEST(DrawFramePieceTest, PiecesAStyleLeavesOutStayPlain) {
  struct Case {
    int style;
    std::vector<int> plain_pieces;
  };
  const std::vector<Case> cases = {
      {0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -1, 16}},
      {14, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {-3, {0, 7, 15}},
      {1, {8, 9, 10, 11, 12, 13, 14, 15, 16, -1}},
      {2, {1, 3, 4, 6, 8, 15}},
      {3, {1, 3, 4, 6, 16}},
      {4, {1, 3, 4, 6, -1, 16}},
      {7, {8, 15}},
      {9, {8, 9, 10, 11, 12, 13, 14, 15}},
      {10, {-1, 16}},
      {13, {8, 11, 15}},
  };
  for (const Case& c : cases) {
    for (int number : c.plain_pieces) {
      std::optional<CCanvas> piece = DrawFramePiece(LineStyle(c.style, 10), number);
      ASSERT_TRUE(piece) << "style " << c.style << " piece " << number;
      EXPECT_EQ(10, piece->width());
      EXPECT_EQ(10, piece->height());
      EXPECT_TRUE(IsPlain(*piece, kBack)) << "style " << c.style << " piece " << number;
    }
  }
}

TEST(DrawFramePieceTest, SolidStyleFillsCornersAndSegments) {
  for (int number : {0, 2, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15}) {
    std::optional<CCanvas> piece = DrawFramePiece(LineStyle(4, 7), number);
    ASSERT_TRUE(piece);
    EXPECT_TRUE(IsPlain(*piece, kBorder)) << "piece " << number;
  }
}

TEST(DrawFramePieceTest, EveryPieceOfStyleTenIsShaded) {
  for (int number = 0; number < kFramePieceCount; ++number) {
    std::optional<CCanvas> piece = DrawFramePiece(GreyStyle(10, 20), number);
    ASSERT_TRUE(piece);
    EXPECT_FALSE(IsPlain(*piece, 0xFFFFFF)) << "piece " << number;
  }
}

TEST(DrawFramePieceTest, ShadedEdgesLieNextToThePicture) {
  struct Case {
    int style, piece;
    bool across;                // the grey levels run along a row (x) rather than down a column (y)
    std::vector<int> expected;  // grey levels from 0 to 19
  };
  const std::vector<int> white(12, 255);
  auto join = [](std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<Case> cases = {
      {8, 1, false, join(white, {255, 230, 179, 120, 80, 40, 40, 40})},
      {8, 6, false, join({40, 40, 40, 80, 120, 179, 230, 255}, white)},
      {8, 3, true, join(white, {255, 230, 179, 120, 80, 40, 40, 40})},
      {8, 4, true, join({40, 40, 40, 80, 120, 179, 230, 255}, white)},
      {10, 1, false, join(std::vector<int>(15, 255), {250, 243, 236, 220, 192})},
      {10, 3, true, join(std::vector<int>(15, 255), {250, 243, 236, 220, 192})},
      {10, 6, false, join({55, 105, 153, 192, 220, 236, 243, 250}, white)},
      {10, 4, true, join({55, 105, 153, 192, 220, 236, 243, 250}, white)},
      {10, 8, false, join(std::vector<int>(15, 255), {250, 243, 236, 220, 192})},
      {10, 12, true, join(std::vector<int>(15, 255), {250, 243, 236, 220, 192})},
      {10, 15, false, join({55, 105, 153, 192, 220, 236, 243, 250}, white)},
  };
  for (const Case& c : cases) {
    std::optional<CCanvas> piece = DrawFramePiece(GreyStyle(c.style, 20), c.piece);
    ASSERT_TRUE(piece);
    for (int along : {0, 9, 19}) {
      std::vector<int> greys;
      for (int i = 0; i < 20; ++i) {
        greys.push_back(c.across ? Grey(*piece, i, along) : Grey(*piece, along, i));
      }
      EXPECT_EQ(c.expected, greys)
          << "style " << c.style << " piece " << c.piece << " at " << along;
    }
  }
}

TEST(DrawFramePieceTest, ShadedCornersSitInTheCornerNextToThePicture) {
  struct Case {
    int style, size, piece;
    int left, top;  // where mask pixel (0, 0) of the turned mask lands
    MaskReading reading;
    const ShadingMask& mask;
  };
  const Case cases[] = {
      {8, 20, 0, 12, 12, MaskReading::kAsStored, kCornerMask8},
      {8, 20, 7, 0, 0, MaskReading::kRotated180, kCornerMask8},
      {9, 12, 2, 0, 4, MaskReading::kMirroredLeftRight, kCornerMask9},
      {12, 12, 5, 4, 0, MaskReading::kMirroredTopBottom, kCornerMask12},
      {10, 20, 0, 14, 14, MaskReading::kAsStored, kCornerMask9},
      {10, 20, 2, 0, 15, MaskReading::kMirroredLeftRight, kCornerMask9},
      {10, 20, 5, 15, 0, MaskReading::kMirroredTopBottom, kCornerMask9},
      {10, 20, 7, 0, 0, MaskReading::kRotated180, kCornerMask9},
      // Smaller than a mask: only the part of the block on the piece shows.
      {8, 6, 0, -2, -2, MaskReading::kAsStored, kCornerMask8},
      {11, 5, 7, 0, 0, MaskReading::kRotated180, kCornerMask11},
  };
  for (const Case& c : cases) {
    std::optional<CCanvas> piece = DrawFramePiece(GreyStyle(c.style, c.size), c.piece);
    ASSERT_TRUE(piece);
    for (int y = 0; y < c.size; ++y) {
      for (int x = 0; x < c.size; ++x) {
        const int mx = x - c.left;
        const int my = y - c.top;
        const bool in_block = mx >= 0 && mx < kMaskSize && my >= 0 && my < kMaskSize;
        const int expected =
            in_block ? BlendChannel(0, 255, ReadMask(c.mask, c.reading, mx, my)) : 255;
        ASSERT_EQ(expected, Grey(*piece, x, y))
            << "style " << c.style << " size " << c.size << " piece " << c.piece << " at (" << x
            << ", " << y << ")";
      }
    }
  }
  // The worked corner of style 8: background along the block's outer row and column, the
  // edge's innermost shade in the picture's corner.
  std::optional<CCanvas> corner = DrawFramePiece(GreyStyle(8, 20), 0);
  ASSERT_TRUE(corner);
  EXPECT_EQ(40, Grey(*corner, 19, 19));
  EXPECT_EQ(255, Grey(*corner, 12, 19));
  EXPECT_EQ(255, Grey(*corner, 19, 12));
}

TEST(DrawFramePieceTest, TransitionPiecesRunTheirWholeSide) {
  const int next_to_picture[] = {179, 133, 87, 70, 62, 58, 55, 55};
  for (int size : {20, 6}) {
    std::optional<CCanvas> right = DrawFramePiece(GreyStyle(10, size), 11);
    std::optional<CCanvas> bottom = DrawFramePiece(GreyStyle(10, size), 14);
    ASSERT_TRUE(right && bottom);
    for (int i = 0; i < size; ++i) {
      const int expected = next_to_picture[std::min(i, 7)];
      EXPECT_EQ(expected, Grey(*right, 0, i)) << "size " << size << " row " << i;
      EXPECT_EQ(expected, Grey(*bottom, i, 0)) << "size " << size << " column " << i;
      if (size > 7) {
        EXPECT_EQ(250, Grey(*right, 7, i)) << "row " << i;
        EXPECT_EQ(250, Grey(*bottom, i, 7)) << "column " << i;
      }
      for (int far = 8; far < size; ++far) {
        EXPECT_EQ(255, Grey(*right, far, i)) << "row " << i;
        EXPECT_EQ(255, Grey(*bottom, i, far)) << "column " << i;
      }
    }
  }
}

TEST(DrawFramePieceTest, ShadingBlendsEachChannel) {
  CStyleSettings style = GreyStyle(8, 10);
  style.thumb_border_color = 0x0000FF;  // red
  style.thumb_back_color = 0xFF0000;    // blue
  std::optional<CCanvas> piece = DrawFramePiece(style, 6);
  ASSERT_TRUE(piece);
  EXPECT_EQ(BlendColour(0x0000FF, 0xFF0000, 40), piece->GetPixel(4, 0));
  EXPECT_EQ(0xFF0000, piece->GetPixel(4, 7));
  EXPECT_EQ(0xFF0000, piece->GetPixel(4, 9));
}

TEST(DrawFramePieceTest, NoPieceOutsideTheSizeLimits) {
  for (int size : {0, -5, kMaxFramePieceSize + 1, 1 << 30}) {
    EXPECT_FALSE(DrawFramePiece(LineStyle(10, size), 0)) << size;
  }
  std::optional<CCanvas> tiny = DrawFramePiece(LineStyle(7, 1), 7);
  ASSERT_TRUE(tiny);
  EXPECT_EQ(1, tiny->width());
}

TEST(DrawFramePieceTest, WrittenPiecesUseTheFrameQualityFloor) {
  TempFolder folder;
  struct Case {
    int photo_quality, expected_quality;
  };
  const Case cases[] = {{50, 95}, {80, 95}, {97, 97}, {100, 100}, {150, 100}};
  CGalleryBuilder builder;
  builder.style() = GreyStyle(10, 24);
  const std::string reference =
      QuantisationTables(DrawFramePiece(builder.style(), 1)->EncodeJpeg(95).value());
  for (const Case& c : cases) {
    builder.style().photo_quality = c.photo_quality;
    const std::string path = folder.Join("1.jpg");
    builder.WriteFramePiece(path, 1);
    const std::string written = ReadWholeFile(path);
    const std::string expected = QuantisationTables(
        DrawFramePiece(builder.style(), 1)->EncodeJpeg(c.expected_quality).value());
    EXPECT_EQ(expected, QuantisationTables(written)) << "photo_quality " << c.photo_quality;
    EXPECT_EQ(c.expected_quality == 95, reference == QuantisationTables(written))
        << "photo_quality " << c.photo_quality;
    // The shading survives the encoding: the band's last row on the piece is near grey 192.
    vips::VImage decoded = DecodeJpeg(written);
    ASSERT_EQ(24, decoded.width());
    EXPECT_NEAR(192, decoded.getpoint(10, 23)[0], 4) << "photo_quality " << c.photo_quality;
    EXPECT_NEAR(255, decoded.getpoint(10, 5)[0], 4) << "photo_quality " << c.photo_quality;
  }
  builder.style().thumb_border_size = 0;
  builder.WriteFramePiece(folder.Join("0.jpg"), 0);
  EXPECT_FALSE(FileExists(folder.Join("0.jpg")));
}

}  // namespace
}  // namespace gallery
