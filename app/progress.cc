#include "app/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>

#include "app/photo_folder.h"
#include "imaging/photo_rules.h"

namespace gallery {
namespace {

// Below this many cells a bar tells nothing, and the counts alone are shown.
constexpr int kMinimumBarCells = 10;
// "H:MM:SS": runs of ten hours and more may push the line past its width.
constexpr int kLongestDuration = 7;

}  // namespace

std::string FormatDuration(double seconds) {
  long total = seconds > 0 && std::isfinite(seconds) ? std::lround(std::floor(seconds)) : 0;
  long hours = total / 3600;
  long minutes = total / 60 % 60;
  long rest = total % 60;
  char text[48];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", hours, minutes, rest);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", minutes, rest);
  }
  return text;
}

std::optional<double> EstimateSecondsLeft(int done, int total, double since_first_done) {
  const int paced = done - 1;
  if (paced < kMinimumPacePhotos || done >= total || !(since_first_done >= kMinimumPaceSeconds) ||
      !std::isfinite(since_first_done)) {
    return std::nullopt;
  }
  return since_first_done / paced * (total - done);
}

std::string FormatProgressLine(int done, int total, double elapsed_seconds, int width,
                               std::optional<double> seconds_left) {
  total = std::max(total, 0);
  done = std::clamp(done, 0, total);
  const std::string total_text = std::to_string(total);
  std::string done_text = std::to_string(done);
  // Counts of one width keep the columns of a log, and the bar, in place.
  done_text.insert(0, total_text.size() - done_text.size(), ' ');
  std::string counts =
      done_text + "/" + total_text + " photos  " + FormatDuration(elapsed_seconds) + " elapsed";
  if (seconds_left && done > 0 && done < total) {
    counts += "  about " + FormatDuration(*seconds_left) + " left";
  }
  // The bar leaves room for the longest counts of this total, so that it keeps its length
  // while the estimate comes and goes.
  const int longest_counts =
      static_cast<int>(2 * total_text.size()) + kLongestDuration * 2 +
      static_cast<int>(std::string_view("/ photos   elapsed  about  left").size());
  int cells = width - longest_counts - 3;
  if (cells < kMinimumBarCells) return counts;
  int filled = total > 0 ? static_cast<int>(int64_t{cells} * done / total) : cells;
  return "[" + std::string(filled, '#') + std::string(cells - filled, '.') + "] " + counts;
}

std::string DescribePhotoFailure(PhotoFailure cause, int index) {
  const std::string left = "; photo " + std::to_string(index + 1) + " is left without a picture. ";
  const std::string replace = left + "Replace or remove it and build again.";
  switch (cause) {
    case PhotoFailure::kUnreadable:
      return "could not be read (missing, or no permission)" + replace;
    case PhotoFailure::kTooLarge:
      return "has more pixels than a picture may have (" + std::to_string(kMaxPhotoPixels >> 20) +
             " megapixels at most)" + left + "Scale it down and build again.";
    case PhotoFailure::kNoMemory:
      return "needs more memory than the memory limit of this run leaves (ulimit -v)" + left +
             "Raise the limit or scale the photo down, and build again.";
    case PhotoFailure::kEmpty:
      return "is too thin to be drawn at the size asked for" + replace;
    case PhotoFailure::kNotWritten:
      return "its picture could not be written" + left +
             "Check the gallery folder and build again.";
    case PhotoFailure::kNotAVideo:
      return "could not be read or converted as a video (damaged, or a codec ffmpeg lacks); "
             "video " +
             std::to_string(index + 1) +
             " is left out. Replace or remove it and "
             "build again.";
    case PhotoFailure::kUndecodable:
    case PhotoFailure::kNone:
      break;
  }
  return "could not be decoded as an image (damaged, or a format not supported)" + replace;
}

std::string DescribeWriteFailure(WriteFailure cause) {
  switch (cause) {
    case WriteFailure::kNoSpace:
      return "the disk is full";
    case WriteFailure::kQuota:
      return "the disk quota is reached";
    case WriteFailure::kFileSizeLimit:
      return "the file-size limit is reached";
    case WriteFailure::kNoPermission:
      return "there is no permission to write there";
    case WriteFailure::kReadOnly:
      return "the disk is read-only";
    case WriteFailure::kNoFolder:
      return "its folder went missing while the build ran";
    case WriteFailure::kUnreadableSource:
      return "the photo it is a copy of could not be read again";
    case WriteFailure::kEnding:
      return "the build was stopped";
    case WriteFailure::kOther:
    case WriteFailure::kNone:
      break;
  }
  return "the disk reported an error";
}

std::string WriteFailureRemedy(WriteFailure cause) {
  switch (cause) {
    case WriteFailure::kNoSpace:
      return "Free some space and build again.";
    case WriteFailure::kQuota:
      return "Free some space within the quota and build again.";
    case WriteFailure::kFileSizeLimit:
      return "Raise the limit (ulimit -f) and build again.";
    case WriteFailure::kNoPermission:
    case WriteFailure::kNoFolder:
      return "Check the folder that holds OUTDIR and build again.";
    case WriteFailure::kReadOnly:
      return "Choose an OUTDIR on a disk that can be written.";
    case WriteFailure::kUnreadableSource:
      return "Leave the photos as they are while the build runs, and build again.";
    case WriteFailure::kEnding:
      return "Build again.";
    case WriteFailure::kOther:
    case WriteFailure::kNone:
      break;
  }
  return "Check the disk and build again.";
}

std::string FormatPhotoCounts(int made, int reused, int skipped) {
  std::string counts = "made " + std::to_string(made);
  if (reused > 0) counts += ", reused " + std::to_string(reused);
  return counts + ", skipped " + std::to_string(skipped);
}

CProgressReporter::CProgressReporter(std::ostream& out, ProgressMode mode, int width,
                                     std::function<double()> clock,
                                     std::function<bool()> stop_requested)
    : out_(out),
      mode_(mode),
      width_(width),
      clock_(std::move(clock)),
      stop_requested_(std::move(stop_requested)),
      start_(clock_()) {}

void CProgressReporter::Start(int photo_count) {
  start_ = clock_();
  total_ = photo_count;
  done_ = 0;
  first_done_at_.reset();
  if (mode_ == ProgressMode::kBar) DrawBar();
}

void CProgressReporter::OnPhotoDone(int index, int photo_count) {
  total_ = photo_count;
  done_ = std::max(done_, index + 1);
  if (!first_done_at_) first_done_at_ = clock_();
  if (mode_ == ProgressMode::kBar) {
    DrawBar();
  } else if (mode_ == ProgressMode::kLines) {
    out_ << "gallery: " << ProgressLine(0) << '\n' << std::flush;
  }
}

void CProgressReporter::OnPhotoFailed(int index, const std::string& source_path,
                                      PhotoFailure cause) {
  skipped_photos_.push_back(index);
  // "\r" then erase-to-end-of-line leaves the terminal line empty for the warning.
  if (bar_shown_) out_ << "\r\033[K";
  out_ << "gallery: warning: " << EscapeForTerminal(source_path) << ": "
       << DescribePhotoFailure(cause, index) << '\n';
  if (bar_shown_) DrawBar();
  out_ << std::flush;
}

void CProgressReporter::OnFileNotWritten(const std::string& path, WriteFailure cause) {
  if (!not_written_) not_written_ = CFileNotWritten{path, cause};
}

void CProgressReporter::Finish() {
  if (bar_shown_) out_ << '\n' << std::flush;
  bar_shown_ = false;
}

void CProgressReporter::DrawBar() {
  out_ << '\r' << ProgressLine(width_ - 1) << "\033[K" << std::flush;
  bar_shown_ = true;
}

std::string CProgressReporter::ProgressLine(int width) const {
  const double now = clock_();
  std::optional<double> left;
  if (first_done_at_) left = EstimateSecondsLeft(done_, total_, now - *first_done_at_);
  return FormatProgressLine(done_, total_, now - start_, width, left);
}

}  // namespace gallery
