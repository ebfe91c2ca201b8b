#ifndef GALLERY_APP_PROGRESS_H_
#define GALLERY_APP_PROGRESS_H_

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "collection/gallery_builder.h"
#include "collection/photo_result.h"
#include "platform/file_system.h"

namespace gallery {

// "M:SS" below an hour, "H:MM:SS" from there; negative values count as 0.
std::string FormatDuration(double seconds);

// The pace of a build must be seen over this many photos after the first, and this many
// seconds, before it says how long the rest will take.
inline constexpr int kMinimumPacePhotos = 2;
inline constexpr double kMinimumPaceSeconds = 1.0;

// Seconds left of a build of `total` photos with `done` done, the first of them
// `since_first_done` seconds ago, at the pace of the photos done since that first one. The first
// is left out of the pace: it carries the start of the build, and while it was awaited the
// workers were making the photos after it as well. Nothing while the pace is not yet known (see
// above) or no photo is left.
std::optional<double> EstimateSecondsLeft(int done, int total, double since_first_done);

// One line of progress, at most `width` characters when `width` allows the counts at all:
// a bar (left out when too narrow) whose length depends only on `width` and `total`,
// "done/total photos" with `done` padded to the width of `total`, the time elapsed and, when
// `seconds_left` is given and some photos are done and some left, "about M:SS left".
std::string FormatProgressLine(int done, int total, double elapsed_seconds, int width,
                               std::optional<double> seconds_left = std::nullopt);

// "made 3, skipped 1" of a build's photos; the photos reused from earlier builds are named only
// when there are any ("made 1, reused 2, skipped 1").
std::string FormatPhotoCounts(int made, int reused, int skipped);

// How progress is shown: not at all, one line per photo (for logs and pipes), or a bar redrawn
// in place on a terminal.
enum class ProgressMode { kQuiet, kLines, kBar };

// Why photo `index` (from 0) has no picture and what to do, as one sentence without the path.
std::string DescribePhotoFailure(PhotoFailure cause, int index);

// Why a file could not be written, as the end of "could not be written, as ...": "the disk is
// full", "the file-size limit is reached" and so on.
std::string DescribeWriteFailure(WriteFailure cause);
// What to do about it, as one sentence.
std::string WriteFailureRemedy(WriteFailure cause);

// A file of a gallery that could not be written, and why.
struct CFileNotWritten {
  std::string path;
  WriteFailure cause = WriteFailure::kOther;
};

// Shows the progress of a generation and names the photos that could not be made, on `out`.
// Warnings are shown in every mode; a bar is cleared before a warning and drawn again after.
// A file that cannot be written fails the whole build: the first is kept for the caller to
// report, and the generation is asked to stop there.
class CProgressReporter : public CGenerationObserver {
 public:
  // `clock` gives seconds from any fixed point; `stop_requested`, when set, says whether the
  // generation is to end early.
  CProgressReporter(std::ostream& out, ProgressMode mode, int width, std::function<double()> clock,
                    std::function<bool()> stop_requested = nullptr);

  // Shows the empty bar before the first photo.
  void Start(int photo_count);
  void OnPhotoDone(int index, int photo_count) override;
  void OnPhotoFailed(int index, const std::string& source_path, PhotoFailure cause) override;
  void OnFileNotWritten(const std::string& path, WriteFailure cause) override;
  bool StopRequested() override {
    return not_written_.has_value() || (stop_requested_ && stop_requested_());
  }
  // Ends the bar's line, so that later messages start on a line of their own.
  void Finish();

  // Photos left without a picture, as their sources could not be made into one.
  int skipped_count() const { return static_cast<int>(skipped_photos_.size()); }
  // Their indices, in the order told.
  const std::vector<int>& skipped_photos() const { return skipped_photos_; }
  // The first file that could not be written, if any.
  const std::optional<CFileNotWritten>& not_written() const { return not_written_; }
  double elapsed() const { return clock_() - start_; }

 private:
  void DrawBar();
  // The line for the photos done so far.
  std::string ProgressLine(int width) const;

  std::ostream& out_;
  const ProgressMode mode_;
  const int width_;
  const std::function<double()> clock_;
  const std::function<bool()> stop_requested_;
  double start_;
  int done_ = 0;
  int total_ = 0;
  // When the first photo was done, by `clock_`.
  std::optional<double> first_done_at_;
  std::vector<int> skipped_photos_;
  std::optional<CFileNotWritten> not_written_;
  bool bar_shown_ = false;
};

}  // namespace gallery

#endif  // GALLERY_APP_PROGRESS_H_
