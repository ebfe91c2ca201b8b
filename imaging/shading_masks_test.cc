#include "imaging/shading_masks.h"

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(ShadingMasksTest, BlendTruncatesAfterTheDoubleBlend) {
  struct Case {
    int border, background, weight, expected;
  };
  const Case cases[] = {
      {0, 255, 0, 0},    {0, 255, 255, 255}, {0, 255, 40, 40},    {0, 255, 128, 128},
      {0, 255, 33, 32},  {0, 255, 180, 179}, {0, 255, 244, 243},  {0, 255, 105, 105},
      {200, 10, 0, 200}, {200, 10, 255, 10}, {255, 255, 77, 255}, {0, 0, 200, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, BlendChannel(c.border, c.background, c.weight))
        << c.border << " to " << c.background << " by " << c.weight;
  }
}

TEST(ShadingMasksTest, BlendColourWorksOnEachChannelAndDropsTheTopByte) {
  // Border red, background blue: full weight is the background, none the border.
  EXPECT_EQ(0xFF0000, BlendColour(0xAA0000FF, 0xFF0000, 255));
  EXPECT_EQ(0x0000FF, BlendColour(0x0000FF, 0xBBFF0000, 0));
  // Each channel moves on its own: green stays, red falls as blue rises.
  const int mixed = BlendColour(0x00FFFF, 0xFFFF00, 128);
  EXPECT_EQ(BlendChannel(255, 0, 128), mixed & 0xFF);
  EXPECT_EQ(255, (mixed >> 8) & 0xFF);
  EXPECT_EQ(128, mixed >> 16);
}

TEST(ShadingMasksTest, ReadingsTurnTheMaskToFaceThePicture) {
  // The transition mask has no symmetry, so it shows where each reading looks; tile pixel
  // (x, y) = (1, 6).
  struct Case {
    MaskReading reading;
    int expected;
  };
  const Case cases[] = {
      {MaskReading::kAsStored, 165},               // [6][1]
      {MaskReading::kMirroredLeftRight, 105},      // [6][6]
      {MaskReading::kMirroredTopBottom, 247},      // [1][1]
      {MaskReading::kRotated180, 244},             // [1][6]
      {MaskReading::kTransposed, 244},             // [1][6]
      {MaskReading::kTransposedMirrored, 105},     // [6][6]
      {MaskReading::kTransitionAlongHeight, 105},  // [6][6]
      {MaskReading::kTransitionAlongWidth, 247},   // [1][1]
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ReadMask(kTransitionMask10, c.reading, 1, 6))
        << static_cast<int>(c.reading);
  }
  // An edge band seen sideways: the row values run across the columns.
  EXPECT_EQ(55, ReadMask(kEdgeMask9, MaskReading::kTransposed, 7, 0));
  EXPECT_EQ(55, ReadMask(kEdgeMask9, MaskReading::kTransposedMirrored, 0, 5));
}

TEST(ShadingMasksTest, TransitionReadingsHoldTheLastValuePastTheMask) {
  // Next to the picture the transition runs from the corner's shade into the edge's.
  const int along_height[] = {180, 133, 87, 70, 62, 58, 55, 55, 55, 55, 55};
  for (int y = 0; y < 11; ++y) {
    EXPECT_EQ(along_height[y],
              ReadMask(kTransitionMask10, MaskReading::kTransitionAlongHeight, 0, y))
        << y;
    EXPECT_EQ(along_height[y],
              ReadMask(kTransitionMask10, MaskReading::kTransitionAlongWidth, y, 0))
        << y;
    EXPECT_EQ(250, ReadMask(kTransitionMask10, MaskReading::kTransitionAlongHeight, 7, y)) << y;
  }
}

TEST(ShadingMasksTest, StyleEightCornerFollowsItsEdge) {
  const int edge[] = {255, 230, 180, 120, 80, 40, 40, 40};
  for (int r = 0; r < kMaskSize; ++r) {
    EXPECT_EQ(edge[r], kEdgeMask8[r][3]) << r;
    EXPECT_EQ(edge[r], kCornerMask8[r][7]) << r;
    EXPECT_EQ(edge[r], kCornerMask8[7][r]) << r;
    EXPECT_EQ(255, kCornerMask8[0][r]) << r;
  }
}

}  // namespace
}  // namespace gallery
