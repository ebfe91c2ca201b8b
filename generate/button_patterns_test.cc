#include "generate/button_patterns.h"

#include <string>

#include <gtest/gtest.h>

namespace gallery {
namespace {

// The foreground columns of one row as text, e.g. "1-2 7-9 29-30".
std::string ForegroundRuns(const ButtonPattern& pattern, int row) {
  std::string runs;
  for (int column = 0; column < kButtonSize; ++column) {
    if (ButtonCell(pattern, row, column) != kButtonForeground) continue;
    int last = column;
    while (last + 1 < kButtonSize && ButtonCell(pattern, row, last + 1) == kButtonForeground) {
      ++last;
    }
    if (!runs.empty()) runs += ' ';
    runs += std::to_string(column) + "-" + std::to_string(last);
    column = last;
  }
  return runs;
}

TEST(ButtonPatternsTest, GlyphRowsFollowTheArrowRules) {
  struct Case {
    const char* name;
    const ButtonPattern& pattern;
    int row;
    std::string expected;
  };
  const Case cases[] = {
      {"first", kFirstButtonPattern, 8, "1-2 7-9 18-18 29-30"},
      {"first", kFirstButtonPattern, 13, "1-2 7-9 13-18 29-30"},
      {"first", kFirstButtonPattern, 14, "1-2 7-9 12-24 29-30"},
      {"first", kFirstButtonPattern, 16, "1-2 7-9 11-24 29-30"},
      {"first", kFirstButtonPattern, 23, "1-2 7-9 18-18 29-30"},
      {"previous", kPreviousButtonPattern, 10, "1-2 14-16 29-30"},
      {"previous", kPreviousButtonPattern, 15, "1-2 9-22 29-30"},
      {"next", kNextButtonPattern, 9, "1-2 15-16 29-30"},
      {"next", kNextButtonPattern, 17, "1-2 9-21 29-30"},
      {"next", kNextButtonPattern, 18, "1-2 15-20 29-30"},
      {"last", kLastButtonPattern, 15, "1-2 7-20 22-24 29-30"},
      {"last", kLastButtonPattern, 20, "1-2 13-16 22-24 29-30"},
      {"index", kIndexButtonPattern, 8, "1-2 29-30"},
      {"index", kIndexButtonPattern, 9, "1-2 15-16 29-30"},
      {"index", kIndexButtonPattern, 16, "1-2 8-23 29-30"},
      {"index", kIndexButtonPattern, 17, "1-2 14-17 29-30"},
      {"index", kIndexButtonPattern, 22, "1-2 14-17 29-30"},
      {"index", kIndexButtonPattern, 23, "1-2 29-30"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ForegroundRuns(c.pattern, c.row)) << c.name << " row " << c.row;
  }
}

TEST(ButtonPatternsTest, RingSeparatesMarginFromInside) {
  struct Case {
    int row;
    std::string expected;
  };
  const Case cases[] = {
      {0, ""},           {1, "3-28"},       {2, "2-29"},  {3, "1-3 28-30"}, {4, "1-2 29-30"},
      {27, "1-2 29-30"}, {28, "1-3 28-30"}, {29, "2-29"}, {30, "3-28"},     {31, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ForegroundRuns(kNextButtonPattern, c.row)) << "row " << c.row;
  }
  EXPECT_EQ(kButtonMargin, ButtonCell(kFirstButtonPattern, 0, 16));
  EXPECT_EQ(kButtonMargin, ButtonCell(kFirstButtonPattern, 1, 2));
  EXPECT_EQ(kButtonMargin, ButtonCell(kFirstButtonPattern, 15, 0));
  EXPECT_EQ(kButtonMargin, ButtonCell(kFirstButtonPattern, 15, 31));
  EXPECT_EQ(kButtonMargin, ButtonCell(kFirstButtonPattern, 30, 29));
  EXPECT_EQ(kButtonInside, ButtonCell(kFirstButtonPattern, 3, 4));
  EXPECT_EQ(kButtonInside, ButtonCell(kFirstButtonPattern, 15, 3));
  EXPECT_EQ(kButtonInside, ButtonCell(kFirstButtonPattern, 28, 27));
}

}  // namespace
}  // namespace gallery
