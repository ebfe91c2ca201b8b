#include "app/progress.h"

#include <iterator>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(FormatDurationTest, MinutesBelowAnHourHoursFromThere) {
  struct Case {
    double seconds;
    const char* expected;
  } cases[] = {
      {0, "0:00"},       {7.9, "0:07"},   {59, "0:59"},
      {60, "1:00"},      {3599, "59:59"}, {3600, "1:00:00"},
      {3725, "1:02:05"}, {-5, "0:00"},    {std::numeric_limits<double>::infinity(), "0:00"}};
  for (const Case& c : cases) EXPECT_EQ(c.expected, FormatDuration(c.seconds)) << c.seconds;
}

TEST(FormatProgressLineTest, CountsElapsedAndEstimate) {
  struct Case {
    int done;
    int total;
    double elapsed;
    std::optional<double> left;
    const char* expected;
  } cases[] = {
      {0, 12, 0, std::nullopt, " 0/12 photos  0:00 elapsed"},
      {3, 12, 6, std::nullopt, " 3/12 photos  0:06 elapsed"},
      {3, 12, 6, 18.5, " 3/12 photos  0:06 elapsed  about 0:18 left"},
      {1, 3, 4000, 8000, "1/3 photos  1:06:40 elapsed  about 2:13:20 left"},
      // An estimate given before the first photo or after the last is not shown.
      {0, 12, 0, 5, " 0/12 photos  0:00 elapsed"},
      {12, 12, 30, 5, "12/12 photos  0:30 elapsed"},
      // Counts out of range are held to it.
      {15, 12, 30, std::nullopt, "12/12 photos  0:30 elapsed"},
      {-1, 12, 0, std::nullopt, " 0/12 photos  0:00 elapsed"},
      {0, 0, 0, std::nullopt, "0/0 photos  0:00 elapsed"},
      {1, -4, 0, std::nullopt, "0/0 photos  0:00 elapsed"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, FormatProgressLine(c.done, c.total, c.elapsed, 0, c.left))
        << c.done << "/" << c.total;
  }
}

TEST(EstimateSecondsLeftTest, OnlyOnceThePaceAfterTheFirstPhotoIsKnown) {
  struct Case {
    int done;
    int total;
    double since_first;
    std::optional<double> expected;
  } cases[] = {
      // Two photos after the first, over at least a second.
      {3, 10, 2, 7},
      {3, 10, 1, 3.5},
      {5, 9, 8, 8},
      {2, 10, 5, std::nullopt},
      {1, 10, 0, std::nullopt},
      {3, 10, 0.999, std::nullopt},
      // Photos reported together, as those made while an earlier one was awaited are.
      {30, 40, 0, std::nullopt},
      {10, 10, 20, std::nullopt},
      {12, 10, 20, std::nullopt},
      {3, 10, std::numeric_limits<double>::infinity(), std::nullopt},
      {3, 10, std::numeric_limits<double>::quiet_NaN(), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, EstimateSecondsLeft(c.done, c.total, c.since_first))
        << c.done << "/" << c.total << " after " << c.since_first << " s";
  }
}

TEST(FormatProgressLineTest, BarKeepsItsLengthAndFillsInProportion) {
  const int width = 100;
  // Room for "[", "] " and the longest counts of 12 photos: 2 x 2 digits, 2 x 7 for the times,
  // 31 for the words.
  const int cells = width - 3 - (4 + 14 + 31);
  struct Case {
    int done;
    double elapsed;
    int filled;
  } cases[] = {{0, 0, 0}, {3, 6, cells / 4}, {11, 5000, cells * 11 / 12}, {12, 30, cells}};
  for (const Case& c : cases) {
    std::string line = FormatProgressLine(c.done, 12, c.elapsed, width, c.elapsed * 2);
    EXPECT_EQ("[" + std::string(c.filled, '#') + std::string(cells - c.filled, '.') + "] " +
                  FormatProgressLine(c.done, 12, c.elapsed, 0, c.elapsed * 2),
              line)
        << c.done;
    EXPECT_GE(static_cast<size_t>(width), line.size()) << c.done;
  }
}

TEST(FormatProgressLineTest, NarrowWidthDropsTheBar) {
  std::string counts = "1/2 photos  0:01 elapsed  about 0:01 left";
  // The longest counts of 2 photos take 47 characters; the bar needs 10 cells and 3 more.
  for (int width : {0, 20, 59}) {
    EXPECT_EQ(counts, FormatProgressLine(1, 2, 1, width, 1)) << width;
  }
  EXPECT_EQ("[" + std::string(10, '#') + "] 2/2 photos  0:01 elapsed",
            FormatProgressLine(2, 2, 1, 60));
}

TEST(ProgressReporterTest, LinesModeWritesOneLinePerPhotoAndNamesUnreadablePhotos) {
  std::ostringstream out;
  double now = 100;
  CProgressReporter reporter(out, ProgressMode::kLines, 80, [&now] { return now; });
  reporter.Start(2);
  now = 102;
  reporter.OnPhotoFailed(0, "/nowhere/a.jpg", PhotoFailure::kUnreadable);
  reporter.OnPhotoDone(0, 2);
  now = 104;
  reporter.OnPhotoDone(1, 2);
  reporter.Finish();
  EXPECT_EQ(
      "gallery: warning: /nowhere/a.jpg: could not be read (missing, or no permission); photo 1 "
      "is left without a picture. Replace or remove it and build again.\n"
      "gallery: 1/2 photos  0:02 elapsed\n"
      "gallery: 2/2 photos  0:04 elapsed\n",
      out.str());
  EXPECT_EQ(1, reporter.skipped_count());
}

// The estimates a run of lines shows, "" where it shows none, for photos done at `done_at`
// seconds after the start.
std::vector<std::string> EstimatesShown(const std::vector<double>& done_at) {
  std::ostringstream out;
  double now = 0;
  CProgressReporter reporter(out, ProgressMode::kLines, 80, [&now] { return now; });
  const int count = static_cast<int>(done_at.size());
  reporter.Start(count);
  for (int index = 0; index < count; ++index) {
    now = done_at[index];
    reporter.OnPhotoDone(index, count);
  }
  std::vector<std::string> shown;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    const size_t about = line.find("about ");
    shown.push_back(about == std::string::npos ? "" : line.substr(about + 6));
  }
  return shown;
}

TEST(ProgressReporterTest, APhotoThatHeldUpTheOthersPromisesNoLongWait) {
  // The first photo takes 30 s; the 40 after it were made meanwhile and come within 2 s. A
  // pace taken from the start would promise 20 minutes after the first.
  std::vector<double> done_at = {30};
  for (int i = 1; i <= 40; ++i) done_at.push_back(30 + i * 0.05);
  for (const std::string& shown : EstimatesShown(done_at)) {
    EXPECT_TRUE(shown.empty() || shown == "0:00 left" || shown == "0:01 left") << shown;
  }
}

TEST(ProgressReporterTest, EqualPhotosAreEstimatedAtTheirPace) {
  // Five seconds to start up, then a photo every two seconds.
  std::vector<double> done_at;
  for (int i = 0; i < 10; ++i) done_at.push_back(5 + 2 * i);
  EXPECT_EQ((std::vector<std::string>{"", "", "0:14 left", "0:12 left", "0:10 left", "0:08 left",
                                      "0:06 left", "0:04 left", "0:02 left", ""}),
            EstimatesShown(done_at));
}

TEST(ProgressReporterTest, TheBarShowsThePaceSinceTheFirstPhoto) {
  // The first photo after 5 s of start-up, then one a second: 11 s for the 11 left, where a
  // pace counted from the start would say 15 s.
  std::ostringstream out;
  double now = 0;
  CProgressReporter reporter(out, ProgressMode::kBar, 100, [&now] { return now; });
  reporter.Start(20);
  for (int index = 0; index < 9; ++index) {
    now = 5 + index;
    reporter.OnPhotoDone(index, 20);
  }
  const std::string text = out.str();
  EXPECT_NE(std::string::npos, text.rfind(" 9/20 photos  0:13 elapsed  about 0:11 left")) << text;
}

TEST(ProgressReporterTest, QuietModeShowsOnlyWarnings) {
  std::ostringstream out;
  CProgressReporter reporter(out, ProgressMode::kQuiet, 80, [] { return 0.0; });
  reporter.Start(3);
  reporter.OnPhotoDone(0, 3);
  EXPECT_EQ("", out.str());
  reporter.OnPhotoFailed(1, "/nowhere/b.png", PhotoFailure::kUndecodable);
  reporter.Finish();
  EXPECT_EQ(0u, out.str().find("gallery: warning: /nowhere/b.png: ")) << out.str();
}

TEST(ProgressReporterTest, BarIsRedrawnInPlaceAndClearedForWarnings) {
  std::ostringstream out;
  CProgressReporter reporter(out, ProgressMode::kBar, 61, [] { return 0.0; });
  reporter.Start(2);
  reporter.OnPhotoFailed(0, "/nowhere/c.jpg", PhotoFailure::kTooLarge);
  reporter.OnPhotoDone(0, 2);
  reporter.Finish();
  std::string text = out.str();
  EXPECT_EQ(0u, text.find("\r[")) << text;
  // The warning starts on a cleared line and the bar comes back after it.
  size_t warning = text.find("\r\033[Kgallery: warning: /nowhere/c.jpg");
  ASSERT_NE(std::string::npos, warning) << text;
  EXPECT_NE(std::string::npos, text.find("again.\n\r[", warning)) << text;
  EXPECT_EQ('\n', text.back());
  // The line is drawn one column short of the width: terminals wrap at the last column.
  size_t line_start = text.rfind('\r');
  EXPECT_EQ(FormatProgressLine(1, 2, 0, 60) + "\033[K\n", text.substr(line_start + 1));
}

TEST(ProgressReporterTest, AFileNotWrittenStopsTheBuildAndIsKeptNotCountedAsSkipped) {
  std::ostringstream out;
  bool stop = false;
  CProgressReporter reporter(
      out, ProgressMode::kQuiet, 80, [] { return 0.0; }, [&stop] { return stop; });
  reporter.Start(3);
  reporter.OnPhotoFailed(2, "/c.jpg", PhotoFailure::kUndecodable);
  EXPECT_FALSE(reporter.StopRequested()) << "a damaged photo is only skipped";
  reporter.OnFileNotWritten("/site/images/1.jpg", WriteFailure::kFileSizeLimit);
  reporter.OnFileNotWritten("/site/thumbs/1.jpg", WriteFailure::kNoSpace);
  // The first is the one reported, by the caller: the reporter itself says nothing of it.
  ASSERT_TRUE(reporter.not_written().has_value());
  EXPECT_EQ("/site/images/1.jpg", reporter.not_written()->path);
  EXPECT_EQ(WriteFailure::kFileSizeLimit, reporter.not_written()->cause);
  EXPECT_EQ(std::string::npos, out.str().find("/site/")) << out.str();
  EXPECT_EQ(1, reporter.skipped_count());
  EXPECT_TRUE(reporter.StopRequested());

  CProgressReporter asked(
      out, ProgressMode::kQuiet, 80, [] { return 0.0; }, [&stop] { return stop; });
  // The stop request is asked for each time, not remembered.
  EXPECT_FALSE(asked.StopRequested());
  stop = true;
  EXPECT_TRUE(asked.StopRequested());
}

TEST(ProgressReporterTest, EachCauseIsNamedForWhatItIs) {
  const struct {
    PhotoFailure cause;
    const char* named;
  } photos[] = {
      {PhotoFailure::kUndecodable, "could not be decoded as an image"},
      {PhotoFailure::kTooLarge, "has more pixels than a picture may have (256 megapixels"},
      {PhotoFailure::kNoMemory, "needs more memory than the memory limit of this run leaves"},
      {PhotoFailure::kUnreadable, "could not be read"},
  };
  for (const auto& c : photos) {
    const std::string text = DescribePhotoFailure(c.cause, 4);
    EXPECT_EQ(0u, text.find(c.named)) << text;
    EXPECT_NE(std::string::npos, text.find("photo 5 is left")) << text;
    if (c.cause != PhotoFailure::kUndecodable) {
      EXPECT_EQ(std::string::npos, text.find("damaged")) << text;
    }
  }
  const struct {
    WriteFailure cause;
    const char* named;
  } writes[] = {
      {WriteFailure::kNoSpace, "the disk is full"},
      {WriteFailure::kQuota, "the disk quota is reached"},
      {WriteFailure::kFileSizeLimit, "the file-size limit is reached"},
      {WriteFailure::kReadOnly, "the disk is read-only"},
      {WriteFailure::kNoPermission, "there is no permission to write there"},
      {WriteFailure::kOther, "the disk reported an error"},
  };
  for (const auto& c : writes) {
    EXPECT_EQ(c.named, DescribeWriteFailure(c.cause));
    EXPECT_FALSE(WriteFailureRemedy(c.cause).empty());
  }
}

}  // namespace
}  // namespace gallery
