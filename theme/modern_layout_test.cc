#include "theme/modern_layout.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(ModernPhotosPerPageTest, SmallestMultipleOfTheTableThatFillsSeveralScreens) {
  struct Case {
    int columns;
    int rows;
    int expected;
  };
  const Case cases[] = {
      {4, 3, 60},
      {5, 5, 75},
      {7, 1, 63},
      {1, 1, 60},
      {60, 1, 60},
      {61, 1, 61},
      {10, 10, 100},
      {0, 3, 0},
      {3, 0, 0},
      {-4, 3, 0},
      {4, -3, 0},
      // A table too large to multiply in an int is still one page.
      {INT_MAX, 2, INT_MAX},
      {65536, 65536, INT_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ModernPhotosPerPage(c.columns, c.rows)) << c.columns << " x " << c.rows;
  }
}

TEST(ModernThumbShapeTest, WidthOverHeightHeldToTheShapesACellTakes) {
  struct Case {
    CModernSize thumb;
    const char* expected;
  };
  const Case cases[] = {
      {{384, 240}, "1.6"},
      {{240, 360}, "0.667"},
      {{240, 240}, "1"},
      {{1999, 1000}, "1.999"},
      {{19999, 10000}, "2"},  // rounds up into the next whole number
      {{1001, 1000}, "1.001"},
      {{960, 240}, "4"},
      // Panoramas beyond 4:1 and towers beyond 1:2 are cropped to them.
      {{5000, 100}, "4"},
      {{10, 1000}, "0.5"},
      {{120, 240}, "0.5"},
      // No thumbnail: the shape of a 3:2 photo.
      {{0, 0}, "1.5"},
      {{300, 0}, "1.5"},
      {{-3, 2}, "1.5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ModernThumbShape(c.thumb)) << c.thumb.width << "x" << c.thumb.height;
  }
}

TEST(ModernThumbSizesTest, OnAWideScreenTheOneTimesThumbnailIsAsWideAsItsCell) {
  // A row of a wide screen is as high as a 1x thumbnail at most, so the 1x thumbnail's own
  // width is what a browser at one pixel a point needs, and it never takes the 2x one there.
  for (const CModernSize thumb : {CModernSize{384, 240}, CModernSize{160, 240},
                                  CModernSize{320, 240}, CModernSize{960, 240}}) {
    const std::string sizes = ModernThumbSizes(thumb);
    EXPECT_EQ(", " + std::to_string(thumb.width) + "px", sizes.substr(sizes.rfind(','))) << sizes;
  }
  EXPECT_EQ("(max-width: 800px) calc(1.6 * 32vw), 384px", ModernThumbSizes({384, 240}));
  // A cropped panorama shows at its cell's shape.
  EXPECT_EQ("(max-width: 800px) calc(4 * 32vw), 960px", ModernThumbSizes({2400, 240}));
}

TEST(ModernPhotoSizesTest, LimitedByTheWindowsHeightWhereTheWindowIsWiderInShape) {
  EXPECT_EQ(
      "(min-aspect-ratio: 2048/1280) calc((100vh - 120px) * 2048 / 1280), "
      "calc(100vw - 16px)",
      ModernPhotoSizes({2048, 1280}));
  EXPECT_EQ(
      "(min-aspect-ratio: 1280/2048) calc((100vh - 120px) * 1280 / 2048), "
      "calc(100vw - 16px)",
      ModernPhotoSizes({1280, 2048}));
  EXPECT_EQ("", ModernPhotoSizes({0, 0}));
  EXPECT_EQ("", ModernPhotoSizes({800, 0}));
}

}  // namespace
}  // namespace gallery
