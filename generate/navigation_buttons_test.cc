#include "generate/navigation_buttons.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/gallery_builder.h"
#include "platform/canvas.h"
#include "tests/jpeg_inspection.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// The 4 bytes of buffer pixel `column` of buffer row `row`.
std::vector<int> PixelBytes(const std::vector<unsigned char>& pixels, int row, int column) {
  const size_t at = (static_cast<size_t>(row) * kButtonSize + column) * 4;
  return {pixels[at], pixels[at + 1], pixels[at + 2], pixels[at + 3]};
}

TEST(NavigationButtonsTest, PixelsGoBottomRowFirstAsBlueGreenRed) {
  const int font = 0x332211;  // red 0x11, green 0x22, blue 0x33
  const int back = 0xCCBBAA;
  const std::vector<unsigned char> pixels = ButtonPixels(kFirstButtonPattern, font, back);
  ASSERT_EQ(static_cast<size_t>(kButtonPixelBytes), pixels.size());
  const std::vector<int> font_bytes = {0x33, 0x22, 0x11, 255};
  const std::vector<int> back_bytes = {0xCC, 0xBB, 0xAA, 255};
  struct Case {
    int row, column;  // of the buffer
    const std::vector<int>& expected;
  };
  const Case cases[] = {
      {0, 16, back_bytes},                         // pattern row 31: margin
      {1, 3, font_bytes},                          // pattern row 30: ring from column 3
      {1, 2, back_bytes},   {31, 16, back_bytes},  // pattern row 0
      {30, 28, font_bytes},                        // pattern row 1
      {8, 8, font_bytes},                          // pattern row 23: the bar
      {8, 10, back_bytes},                         // inside the ring
      {16, 11, font_bytes},                        // pattern row 15: the arrow's tip
      {16, 24, font_bytes}, {16, 25, back_bytes},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, PixelBytes(pixels, c.row, c.column))
        << "row " << c.row << " column " << c.column;
  }
}

TEST(NavigationButtonsTest, OneColourForBothMakesAFlatSquare) {
  for (const NavigationButton& button : kNavigationButtons) {
    const std::vector<unsigned char> pixels = ButtonPixels(*button.pattern, 0x123456, 0x123456);
    for (int row = 0; row < kButtonSize; ++row) {
      for (int column = 0; column < kButtonSize; ++column) {
        ASSERT_EQ((std::vector<int>{0x12, 0x34, 0x56, 255}), PixelBytes(pixels, row, column))
            << GetButtonFileName(button.kind) << " row " << row << " column " << column;
      }
    }
  }
}

TEST(NavigationButtonsTest, WritesFiveButtonsInTheStyleColoursAtTheirOwnQuality) {
  TempFolder folder;
  CGalleryBuilder builder;
  builder.style().font_color = 0x000000;
  builder.style().back_color = 0xFFFFFF;
  builder.style().photo_quality = 100;
  builder.WriteNavigationButtons(folder.path());

  const CCanvas plain = CCanvas::Filled(kButtonSize, kButtonSize, 0xFFFFFF).value();
  const std::string button_tables = QuantisationTables(plain.EncodeJpeg(85).value());
  for (const char* name : {"index.jpg", "first.jpg", "last.jpg", "previous.jpg", "next.jpg"}) {
    const std::string jpeg = ReadWholeFile(folder.Join(name));
    ASSERT_FALSE(jpeg.empty()) << name;
    EXPECT_EQ(button_tables, QuantisationTables(jpeg)) << name;
    vips::VImage image = DecodeJpeg(jpeg);
    ASSERT_EQ(kButtonSize, image.width()) << name;
    ASSERT_EQ(kButtonSize, image.height()) << name;
    // Up to JPEG softening: white margin rows, the black ring, white inside it.
    EXPECT_NEAR(255, image.getpoint(16, 0)[0], 40) << name;
    EXPECT_NEAR(255, image.getpoint(16, 31)[0], 40) << name;
    EXPECT_NEAR(0, image.getpoint(16, 1)[0], 60) << name;
    EXPECT_NEAR(0, image.getpoint(1, 16)[0], 60) << name;
    EXPECT_NEAR(255, image.getpoint(5, 5)[0], 40) << name;
  }
  // The first button's bar lies left of the centre, its arrow's head right of the bar.
  vips::VImage first = DecodeJpeg(ReadWholeFile(folder.Join("first.jpg")));
  EXPECT_NEAR(0, first.getpoint(8, 12)[0], 60);
  EXPECT_NEAR(0, first.getpoint(20, 15)[0], 60);
  EXPECT_NEAR(255, first.getpoint(24, 9)[0], 60);
}

TEST(NavigationButtonsTest, MissingFolderWritesNothing) {
  TempFolder folder;
  CGalleryBuilder builder;
  builder.WriteNavigationButtons(folder.Join("advanced"));
  EXPECT_FALSE(FileExists(folder.Join("advanced")));
}

}  // namespace
}  // namespace gallery
