#include "app/progress.h"

#include <limits>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(FormatDurationTest, MinutesBelowAnHourHoursFromThere) {
  struct Case {
    double seconds;
    const char* expected;
  } cases[] = {{0, "0:00"},       {7.9, "0:07"},      {59, "0:59"},     {60, "1:00"},
               {3599, "59:59"},   {3600, "1:00:00"},  {3725, "1:02:05"}, {-5, "0:00"},
               {std::numeric_limits<double>::infinity(), "0:00"}};
  for (const Case& c : cases) EXPECT_EQ(c.expected, FormatDuration(c.seconds)) << c.seconds;
}

TEST(FormatProgressLineTest, CountsElapsedAndEstimate) {
  struct Case {
    int done;
    int total;
    double elapsed;
    const char* expected;
  } cases[] = {
      // No estimate before the first photo, nor once all are done.
      {0, 12, 0, "0/12 photos  0:00 elapsed"},
      {3, 12, 6, "3/12 photos  0:06 elapsed  about 0:18 left"},
      {12, 12, 30, "12/12 photos  0:30 elapsed"},
      // Counts out of range are held to it.
      {15, 12, 30, "12/12 photos  0:30 elapsed"},
      {-1, 12, 0, "0/12 photos  0:00 elapsed"},
      {0, 0, 0, "0/0 photos  0:00 elapsed"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, FormatProgressLine(c.done, c.total, c.elapsed, 0))
        << c.done << "/" << c.total;
  }
}

TEST(FormatProgressLineTest, BarFillsTheWidthInProportion) {
  std::string counts = "3/12 photos  0:06 elapsed  about 0:18 left";
  // 40 cells: a quarter filled.
  int width = static_cast<int>(counts.size()) + 3 + 40;
  std::string line = FormatProgressLine(3, 12, 6, width);
  EXPECT_EQ("[" + std::string(10, '#') + std::string(30, '.') + "] " + counts, line);
  EXPECT_EQ(static_cast<size_t>(width), line.size());

  std::string full = FormatProgressLine(5, 5, 1, 60);
  EXPECT_EQ(60u, full.size());
  EXPECT_EQ(std::string::npos, full.find('.')) << full;
}

TEST(FormatProgressLineTest, NarrowWidthDropsTheBar) {
  std::string counts = "1/2 photos  0:01 elapsed  about 0:01 left";
  for (int width : {0, 20, static_cast<int>(counts.size()) + 12}) {
    EXPECT_EQ(counts, FormatProgressLine(1, 2, 1, width)) << width;
  }
  EXPECT_EQ('[', FormatProgressLine(1, 2, 1, static_cast<int>(counts.size()) + 13)[0]);
}

TEST(ProgressReporterTest, LinesModeWritesOneLinePerPhotoAndNamesUnreadablePhotos) {
  std::ostringstream out;
  double now = 100;
  CProgressReporter reporter(out, ProgressMode::kLines, 80, [&now] { return now; });
  reporter.Start(2);
  now = 102;
  reporter.OnPhotoUnreadable(0, "/nowhere/a.jpg");
  reporter.OnPhotoDone(0, 2);
  now = 104;
  reporter.OnPhotoDone(1, 2);
  reporter.Finish();
  EXPECT_EQ(
      "gallery: warning: /nowhere/a.jpg: could not be read (missing, or no permission); photo 1 "
      "is left without a picture. Replace or remove it and build again.\n"
      "gallery: 1/2 photos  0:02 elapsed  about 0:02 left\n"
      "gallery: 2/2 photos  0:04 elapsed\n",
      out.str());
  EXPECT_EQ(1, reporter.unreadable_count());
}

TEST(ProgressReporterTest, QuietModeShowsOnlyWarnings) {
  std::ostringstream out;
  CProgressReporter reporter(out, ProgressMode::kQuiet, 80, [] { return 0.0; });
  reporter.Start(3);
  reporter.OnPhotoDone(0, 3);
  EXPECT_EQ("", out.str());
  reporter.OnPhotoUnreadable(1, "/nowhere/b.png");
  reporter.Finish();
  EXPECT_EQ(0u, out.str().find("gallery: warning: /nowhere/b.png: ")) << out.str();
}

TEST(ProgressReporterTest, BarIsRedrawnInPlaceAndClearedForWarnings) {
  std::ostringstream out;
  CProgressReporter reporter(out, ProgressMode::kBar, 61, [] { return 0.0; });
  reporter.Start(2);
  reporter.OnPhotoUnreadable(0, "/nowhere/c.jpg");
  reporter.OnPhotoDone(0, 2);
  reporter.Finish();
  std::string text = out.str();
  EXPECT_EQ(0u, text.find("\r[")) << text;
  // The warning starts on a cleared line and the bar comes back after it.
  size_t warning = text.find("\r\033[Kgallery: warning: /nowhere/c.jpg");
  ASSERT_NE(std::string::npos, warning) << text;
  EXPECT_NE(std::string::npos, text.find("again.\n\r[", warning)) << text;
  EXPECT_EQ('\n', text.back());
  // No drawn line reaches the last column, where terminals wrap.
  size_t line_start = text.rfind('\r');
  EXPECT_EQ(FormatProgressLine(1, 2, 0, 60), text.substr(line_start + 1, 60));
}

}  // namespace
}  // namespace gallery
