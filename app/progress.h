#ifndef GALLERY_APP_PROGRESS_H_
#define GALLERY_APP_PROGRESS_H_

#include <functional>
#include <ostream>
#include <string>

#include "collection/gallery_builder.h"
#include "collection/photo_result.h"

namespace gallery {

// What went wrong with a photo that has no picture, as a warning tells it after the path.
std::string DescribePhotoFailure(PhotoFailure cause);

// "M:SS" below an hour, "H:MM:SS" from there; negative values count as 0.
std::string FormatDuration(double seconds);

// One line of progress, at most `width` characters when `width` allows the counts at all:
// a bar (left out when too narrow) whose length depends only on `width` and `total`,
// "done/total photos" with `done` padded to the width of `total`, the time elapsed and, once a
// photo is done and some are left, an estimate of the time left.
std::string FormatProgressLine(int done, int total, double elapsed_seconds, int width);

// How progress is shown: not at all, one line per photo (for logs and pipes), or a bar redrawn
// in place on a terminal.
enum class ProgressMode { kQuiet, kLines, kBar };

// Shows the progress of a generation and names the photos left without a picture, on `out`.
// Warnings are shown in every mode; a bar is cleared before a warning and drawn again after.
class CProgressReporter : public CGenerationObserver {
 public:
  // `clock` gives seconds from any fixed point.
  CProgressReporter(std::ostream& out, ProgressMode mode, int width, std::function<double()> clock);

  // Shows the empty bar before the first photo.
  void Start(int photo_count);
  void OnPhotoDone(int index, int photo_count) override;
  void OnPhotoFailed(int index, const std::string& source_path, PhotoFailure cause) override;
  // Ends the bar's line, so that later messages start on a line of their own.
  void Finish();

  // How many photos were left without a picture.
  int failed_count() const { return failed_count_; }
  double elapsed() const { return clock_() - start_; }

 private:
  void DrawBar();

  std::ostream& out_;
  const ProgressMode mode_;
  const int width_;
  const std::function<double()> clock_;
  double start_;
  int done_ = 0;
  int total_ = 0;
  int failed_count_ = 0;
  bool bar_shown_ = false;
};

}  // namespace gallery

#endif  // GALLERY_APP_PROGRESS_H_
