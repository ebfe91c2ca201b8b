#include "imaging/jpeg_saving.h"

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/gallery_builder.h"
#include "platform/canvas.h"
#include "tests/jpeg_inspection.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// `height` rows of `width` white pixels whose first row is red, 4 bytes a pixel (blue, green,
// red, unused).
std::vector<unsigned char> RedFirstRow(int width, int height) {
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4, 0xFF);
  for (int x = 0; x < width; ++x) {
    pixels[x * 4] = 0;
    pixels[x * 4 + 1] = 0;
  }
  return pixels;
}

TEST(JpegSavingTest, EachKindRaisesTheStyleQualityToItsFloorAndCapsIt) {
  struct Case {
    JpegKind kind;
    int photo_quality, expected;
  };
  const Case cases[] = {
      {JpegKind::kPhoto, -7, 85},        {JpegKind::kPhoto, 0, 85},
      {JpegKind::kPhoto, 84, 85},        {JpegKind::kPhoto, 85, 85},
      {JpegKind::kPhoto, 86, 86},        {JpegKind::kPhoto, 100, 100},
      {JpegKind::kPhoto, 101, 100},      {JpegKind::kPhoto, INT_MIN, 85},
      {JpegKind::kFramePiece, -7, 95},   {JpegKind::kFramePiece, 90, 95},
      {JpegKind::kFramePiece, 95, 95},   {JpegKind::kFramePiece, 97, 97},
      {JpegKind::kFramePiece, 250, 100}, {JpegKind::kFramePiece, INT_MAX, 100},
      {JpegKind::kButton, -7, 85},       {JpegKind::kButton, 50, 85},
      {JpegKind::kButton, 100, 85},      {JpegKind::kButton, 250, 85},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, JpegQualityFor(c.kind, c.photo_quality))
        << "kind " << static_cast<int>(c.kind) << ", photo_quality " << c.photo_quality;
  }
}

TEST(JpegSavingTest, FirstBufferRowBecomesTheBottomRow) {
  const std::vector<unsigned char> pixels = RedFirstRow(3, 4);
  std::optional<CCanvas> canvas = CanvasFromBottomUpPixels(pixels.data(), 3, 4);
  ASSERT_TRUE(canvas);
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(0x0000FF, canvas->GetPixel(x, 3)) << x;
    for (int y = 0; y < 3; ++y) EXPECT_EQ(0xFFFFFF, canvas->GetPixel(x, y)) << x << ", " << y;
  }
}

TEST(JpegSavingTest, BuffersUnderTwoPixelsMakeNothing) {
  const std::vector<unsigned char> pixels = RedFirstRow(4, 4);
  EXPECT_FALSE(CanvasFromBottomUpPixels(nullptr, 4, 4));
  EXPECT_FALSE(CanvasFromBottomUpPixels(pixels.data(), 1, 4));
  EXPECT_FALSE(CanvasFromBottomUpPixels(pixels.data(), 4, 1));
  EXPECT_FALSE(CanvasFromBottomUpPixels(pixels.data(), -4, 4));
  EXPECT_TRUE(CanvasFromBottomUpPixels(pixels.data(), 2, 2));
}

TEST(JpegSavingTest, SavePixelsWritesTheFlippedImageAtTheQualityAsked) {
  TempFolder folder;
  CGalleryBuilder builder;
  const std::vector<unsigned char> pixels = RedFirstRow(16, 16);
  const CCanvas flipped = CanvasFromBottomUpPixels(pixels.data(), 16, 16).value();

  const std::string path = folder.Join("red.jpg");
  // Past the encoder's range the best quality is written, which keeps one red row sharp.
  ASSERT_EQ(1, builder.SavePixelsAsJpeg(path, pixels.data(), 16, 16, 250));
  const std::string best = ReadWholeFile(path);
  EXPECT_EQ(QuantisationTables(flipped.EncodeJpeg(100).value()), QuantisationTables(best));
  vips::VImage image = DecodeJpeg(best);
  ASSERT_EQ(16, image.height());
  const std::vector<double> bottom = image.getpoint(8, 15);
  const std::vector<double> top = image.getpoint(8, 0);
  EXPECT_NEAR(255, bottom[0], 20);
  EXPECT_NEAR(0, bottom[1], 20);
  EXPECT_NEAR(255, top[1], 20);

  ASSERT_EQ(1, builder.SavePixelsAsJpeg(path, pixels.data(), 16, 16, 85));
  EXPECT_EQ(QuantisationTables(flipped.EncodeJpeg(85).value()),
            QuantisationTables(ReadWholeFile(path)));
}

TEST(JpegSavingTest, SavePixelsRefusesSmallBuffersAndMissingFolders) {
  TempFolder folder;
  CGalleryBuilder builder;
  const std::vector<unsigned char> pixels = RedFirstRow(4, 4);
  struct Case {
    const char* name;
    const unsigned char* pixels;
    int width, height;
  };
  const Case cases[] = {
      {"one wide", pixels.data(), 1, 4},
      {"one high", pixels.data(), 4, 1},
      {"no buffer", nullptr, 4, 4},
      {"missing/folder", pixels.data(), 4, 4},
  };
  for (const Case& c : cases) {
    const std::string path = folder.Join(std::string(c.name) + ".jpg");
    EXPECT_EQ(0, builder.SavePixelsAsJpeg(path, c.pixels, c.width, c.height, 85)) << c.name;
    EXPECT_FALSE(FileExists(path)) << c.name;
  }
}

}  // namespace
}  // namespace gallery
