#include "platform/canvas.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/jpeg_inspection.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

constexpr int kWhite = 0xFFFFFF;
constexpr int kInk = 0x203040;

// The canvas as rows of '#' (ink) and '.' (anything else), top row first.
std::vector<std::string> InkRows(const CCanvas& canvas) {
  std::vector<std::string> rows;
  for (int y = 0; y < canvas.height(); ++y) {
    std::string row;
    for (int x = 0; x < canvas.width(); ++x) row += canvas.GetPixel(x, y) == kInk ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

CCanvas WhiteCanvas(int width, int height) {
  return CCanvas::Filled(width, height, kWhite).value();
}

TEST(CanvasTest, FilledTakesRedFromTheLowestByteAndIgnoresTheTopByte) {
  std::optional<CCanvas> canvas = CCanvas::Filled(3, 2, 0x7F0080FF);
  ASSERT_TRUE(canvas);
  EXPECT_EQ(3, canvas->width());
  EXPECT_EQ(2, canvas->height());
  EXPECT_EQ(0x0080FF, canvas->GetPixel(0, 0));
  EXPECT_EQ(0x0080FF, canvas->GetPixel(2, 1));
  EXPECT_EQ(std::nullopt, canvas->GetPixel(3, 0));
  EXPECT_EQ(std::nullopt, canvas->GetPixel(0, -1));
}

TEST(CanvasTest, NoCanvasWithoutArea) {
  EXPECT_FALSE(CCanvas::Filled(0, 5, kWhite));
  EXPECT_FALSE(CCanvas::Filled(5, -1, kWhite));
  const unsigned char pixel[4] = {};
  EXPECT_FALSE(CCanvas::FromBgrxPixels(nullptr, 1, 1));
  EXPECT_FALSE(CCanvas::FromBgrxPixels(pixel, 0, 1));
  EXPECT_FALSE(CCanvas::FromRgbPixels(nullptr, 1, 1));
  EXPECT_FALSE(CCanvas::FromRgbPixels(pixel, 1, 0));
}

TEST(CanvasTest, LinesCoverBothEndsAndAreClipped) {
  struct Case {
    int x1, y1, x2, y2;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {1, 0, 1, 2, {".#...", ".#...", ".#...", "....."}},
      {3, 2, 0, 2, {".....", ".....", "####.", "....."}},
      {-1, 3, 5, 3, {".....", ".....", ".....", "#####"}},
      {4, -1, 4, 9, {"....#", "....#", "....#", "....#"}},
      {2, 1, 2, 1, {".....", "..#..", ".....", "....."}},
      {-3, -3, -1, 8, {".....", ".....", ".....", "....."}},
  };
  for (const Case& c : cases) {
    CCanvas canvas = WhiteCanvas(5, 4);
    EXPECT_TRUE(canvas.DrawLine(c.x1, c.y1, c.x2, c.y2, kInk));
    EXPECT_EQ(c.expected, InkRows(canvas))
        << "(" << c.x1 << ", " << c.y1 << ")-(" << c.x2 << ", " << c.y2 << ")";
  }
}

TEST(CanvasTest, RectanglesAreClippedToTheCanvas) {
  struct Case {
    int x, y, width, height;
    bool filled;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {1, 1, 3, 2, true, {".....", ".###.", ".###.", "....."}},
      {-2, -1, 4, 3, true, {"##...", "##...", ".....", "....."}},
      {3, 2, 100, 100, true, {".....", ".....", "...##", "...##"}},
      {5, 0, 2, 2, true, {".....", ".....", ".....", "....."}},
      {0, 0, 0, 4, true, {".....", ".....", ".....", "....."}},
      {0, 0, 4, 3, false, {"####.", "#..#.", "####.", "....."}},
      {2, 1, 5, 5, false, {".....", "..###", "..#..", "..#.."}},
      {1, 1, 0, 2, false, {".....", ".....", ".....", "....."}},
  };
  for (const Case& c : cases) {
    CCanvas canvas = WhiteCanvas(5, 4);
    EXPECT_TRUE(c.filled ? canvas.FillRectangle(c.x, c.y, c.width, c.height, kInk)
                         : canvas.DrawRectangle(c.x, c.y, c.width, c.height, kInk));
    EXPECT_EQ(c.expected, InkRows(canvas)) << "(" << c.x << ", " << c.y << ", " << c.width << ", "
                                           << c.height << ") filled " << c.filled;
  }
}

TEST(CanvasTest, TiledFillStartsATileAtTheOrigin) {
  // A 2 x 3 tile whose pixels are numbered 1 to 6, row by row.
  const unsigned char tile_pixels[] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0,
                                       4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0};
  const CCanvas tile = CCanvas::FromBgrxPixels(tile_pixels, 2, 3).value();
  auto number_at = [](const CCanvas& canvas, int x, int y) {
    return canvas.GetPixel(x, y).value_or(-1) >> 16;
  };
  struct Case {
    int x, y, width, height, origin_x, origin_y;
    std::vector<std::string> expected;  // tile numbers, '0' for the white background
  };
  const Case cases[] = {
      {0, 0, 4, 3, 0, 0, {"1212", "3434", "5656"}},
      {1, 1, 3, 2, 1, 1, {"0000", "0121", "0343"}},
      {-1, -2, 3, 4, -1, -2, {"6500", "2100", "0000"}},
      {1, 0, 2, 3, 10, -7, {"0430", "0650", "0210"}},
      {4, 0, 3, 3, 0, 0, {"0000", "0000", "0000"}},
  };
  for (const Case& c : cases) {
    CCanvas canvas = CCanvas::Filled(4, 3, 0).value();
    EXPECT_TRUE(canvas.FillTiled(c.x, c.y, c.width, c.height, tile, c.origin_x, c.origin_y));
    std::vector<std::string> numbers;
    for (int y = 0; y < 3; ++y) {
      std::string row;
      for (int x = 0; x < 4; ++x) row += static_cast<char>('0' + number_at(canvas, x, y));
      numbers.push_back(row);
    }
    EXPECT_EQ(c.expected, numbers)
        << "(" << c.x << ", " << c.y << ", " << c.width << ", " << c.height << ") origin ("
        << c.origin_x << ", " << c.origin_y << ")";
  }
}

TEST(CanvasTest, TiledFillFromItselfUsesThePixelsBeforeTheFill) {
  const unsigned char pixels[] = {9, 0, 0, 0, 0, 0, 0, 0};
  CCanvas canvas = CCanvas::FromBgrxPixels(pixels, 2, 1).value();
  EXPECT_TRUE(canvas.FillTiled(0, 0, 2, 1, canvas, 1, 0));
  EXPECT_EQ(0, canvas.GetPixel(0, 0));
  EXPECT_EQ(9 << 16, canvas.GetPixel(1, 0));
}

TEST(CanvasTest, RawPixelsAreBlueGreenRedWithTheFirstRowOnTop) {
  const unsigned char pixels[] = {0x01, 0x02, 0x03, 0xAA, 0x04, 0x05, 0x06, 0xBB,
                                  0x07, 0x08, 0x09, 0xCC, 0x0A, 0x0B, 0x0C, 0xDD};
  CCanvas canvas = CCanvas::FromBgrxPixels(pixels, 2, 2).value();
  EXPECT_EQ(0x010203, canvas.GetPixel(0, 0));
  EXPECT_EQ(0x040506, canvas.GetPixel(1, 0));
  EXPECT_EQ(0x070809, canvas.GetPixel(0, 1));
  EXPECT_EQ(0x0A0B0C, canvas.GetPixel(1, 1));

  EXPECT_TRUE(canvas.FlipVertically());
  EXPECT_EQ(0x070809, canvas.GetPixel(0, 0));
  EXPECT_EQ(0x0A0B0C, canvas.GetPixel(1, 0));
  EXPECT_EQ(0x010203, canvas.GetPixel(0, 1));
}

TEST(CanvasTest, RgbPixelsAreCopiedRedFirstWithTheFirstRowOnTop) {
  unsigned char pixels[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09,
                            0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12};
  CCanvas canvas = CCanvas::FromRgbPixels(pixels, 3, 2).value();
  pixels[0] = 0xFF;
  EXPECT_EQ(0x030201, canvas.GetPixel(0, 0));
  EXPECT_EQ(0x090807, canvas.GetPixel(2, 0));
  EXPECT_EQ(0x0C0B0A, canvas.GetPixel(0, 1));
  EXPECT_EQ(0x121110, canvas.GetPixel(2, 1));

  // Such a canvas is drawn on and encoded like any other.
  EXPECT_TRUE(canvas.FillRectangle(1, 1, 5, 5, kInk));
  EXPECT_EQ(kInk, canvas.GetPixel(2, 1));
  EXPECT_EQ(0x030201, canvas.GetPixel(0, 0));
  EXPECT_TRUE(canvas.EncodeJpeg(90));
}

TEST(CanvasTest, BlackCanvasIsBlackEverywhere) {
  const CCanvas canvas = CCanvas::Filled(3, 2, 0x01000000).value();
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(0, canvas.GetPixel(x, y));
  }
}

TEST(CanvasTest, DrawingOnACopyLeavesTheOriginal) {
  CCanvas original = WhiteCanvas(3, 3);
  CCanvas copy = original;
  EXPECT_TRUE(copy.FillRectangle(0, 0, 3, 3, kInk));
  CCanvas flipped = original;
  EXPECT_TRUE(flipped.DrawLine(0, 0, 2, 0, kInk));
  EXPECT_TRUE(flipped.FlipVertically());
  EXPECT_EQ(kWhite, original.GetPixel(1, 1));
  EXPECT_EQ(kWhite, original.GetPixel(1, 0));
  EXPECT_EQ(kInk, copy.GetPixel(1, 1));
  EXPECT_EQ(kInk, flipped.GetPixel(1, 2));
}

TEST(CanvasTest, JpegKeepsSizeAndColoursAndCarriesNoMetadata) {
  CCanvas canvas = CCanvas::Filled(16, 8, 0x0000FF).value();
  EXPECT_TRUE(canvas.FillRectangle(8, 0, 8, 8, 0xFF0000));
  std::optional<std::string> jpeg = canvas.EncodeJpeg(90);
  ASSERT_TRUE(jpeg);
  vips::VImage decoded = DecodeJpeg(*jpeg);
  ASSERT_EQ(16, decoded.width());
  ASSERT_EQ(8, decoded.height());
  const std::vector<double> red = decoded.getpoint(2, 4);
  const std::vector<double> blue = decoded.getpoint(13, 4);
  EXPECT_NEAR(255, red[0], 8);
  EXPECT_NEAR(0, red[2], 8);
  EXPECT_NEAR(0, blue[0], 8);
  EXPECT_NEAR(255, blue[2], 8);
  for (int marker : HeaderMarkers(*jpeg)) {
    // Only the JFIF marker among the application segments; no comment segment.
    EXPECT_TRUE(marker == 0xE0 || (marker < 0xE1 || marker > 0xEF)) << marker;
    EXPECT_NE(0xFE, marker);
  }
}

TEST(CanvasTest, JpegQualityIsClampedToTheEncodersRange) {
  const CCanvas canvas = WhiteCanvas(8, 8);
  auto tables = [&](int quality) { return QuantisationTables(canvas.EncodeJpeg(quality).value()); };
  ASSERT_FALSE(tables(100).empty());
  EXPECT_EQ(tables(100), tables(101));
  EXPECT_EQ(tables(100), tables(1000));
  EXPECT_EQ(tables(1), tables(0));
  EXPECT_EQ(tables(1), tables(-5));
  EXPECT_NE(tables(100), tables(95));
  EXPECT_NE(tables(85), tables(95));
}

TEST(CanvasTest, SaveJpegWritesTheEncodedBytes) {
  TempFolder folder;
  const CCanvas canvas = WhiteCanvas(4, 4);
  const std::string path = folder.Join("white.jpg");
  ASSERT_TRUE(SaveJpeg(canvas, path, 95));
  EXPECT_EQ(canvas.EncodeJpeg(95).value(), ReadWholeFile(path));
  EXPECT_FALSE(SaveJpeg(canvas, folder.Join("missing/white.jpg"), 95));
  EXPECT_FALSE(FileExists(folder.Join("missing/white.jpg")));
}

}  // namespace
}  // namespace gallery
