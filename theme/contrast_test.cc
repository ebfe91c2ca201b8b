#include "theme/contrast.h"

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(ContrastRatioTest, MatchesTheGuidelinesFormula) {
  EXPECT_DOUBLE_EQ(21.0, ContrastRatio(0x000000, 0xFFFFFF));
  EXPECT_DOUBLE_EQ(21.0, ContrastRatio(0xFFFFFF, 0x000000));
  EXPECT_DOUBLE_EQ(1.0, ContrastRatio(0x123456, 0x123456));
  // Known values: #767676 on white is the lightest grey that passes, #777777 just fails.
  EXPECT_NEAR(4.54, ContrastRatio(0x767676, 0xFFFFFF), 0.01);
  EXPECT_NEAR(4.48, ContrastRatio(0x777777, 0xFFFFFF), 0.01);
  // Channels weigh differently: pure green is far lighter than pure blue.
  EXPECT_NEAR(15.3, ContrastRatio(0x00FF00, 0x000000), 0.1);
  EXPECT_NEAR(2.44, ContrastRatio(0x0000FF, 0x000000), 0.01);
  // Bits above the colour are no part of it.
  EXPECT_DOUBLE_EQ(21.0, ContrastRatio(0x7F000000, 0x00FFFFFF));
}

TEST(ReadableTextColorTest, KeepsReadableColoursAndReplacesOthers) {
  struct Case {
    int text;
    int background;
    int expected;
  };
  const Case cases[] = {
      {0x000000, 0xFFFFFF, 0x000000},   {0x767676, 0xFFFFFF, 0x767676},  // just readable: kept
      {0x777777, 0xFFFFFF, 0x000000},  // just not: black is the stronger on white
      {0xFFFF00, 0xFFFFFF, 0x000000},   {0x333333, 0x000000, 0xFFFFFF},
      {0x808080, 0x808080, 0x000000},  // mid grey: black contrasts a little more
      {0x0000FF, 0x000080, 0xFFFFFF},   {0xFF0000, 0x0000FF, 0xFFFFFF},
      {0x12FFFFFF, 0x000000, 0xFFFFFF},  // higher bits are dropped, not kept
  };
  for (const Case& c : cases) {
    const int readable = ReadableTextColor(c.text, c.background);
    EXPECT_EQ(c.expected, readable) << std::hex << "text " << c.text << " on " << c.background;
    EXPECT_LE(kMinimumTextContrast, ContrastRatio(readable, c.background))
        << std::hex << "text " << c.text << " on " << c.background;
  }
}

TEST(CssColorTest, SixLowerCaseDigits) {
  EXPECT_EQ("#000000", CssColor(0));
  EXPECT_EQ("#0a0b0c", CssColor(0x0A0B0C));
  EXPECT_EQ("#ffffff", CssColor(0x7FFFFFFF));
}

}  // namespace
}  // namespace gallery
