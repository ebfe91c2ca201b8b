#ifndef GALLERY_APP_VIDEO_MEDIA_H_
#define GALLERY_APP_VIDEO_MEDIA_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gallery {

// The programs that read and write videos, by absolute path; a gallery shows videos only when
// both were found.
struct CVideoTools {
  std::string ffmpeg;
  std::string ffprobe;
  bool found() const { return !ffmpeg.empty() && !ffprobe.empty(); }
};

// The longest a video tool may take over one video, in seconds: reading it, or making its
// poster frame, and converting it.
inline constexpr int kVideoProbeSeconds = 60;
inline constexpr int kVideoConvertSeconds = 3600;

// What ffprobe tells of a video: its container's names ("mov,mp4,m4a,3gp,3g2,mj2"), its length
// in seconds (negative when unknown) and the codecs of its first video and audio streams (empty
// when it has none).
struct CVideoFacts {
  std::string container;
  double seconds = -1;
  std::string video_codec;
  std::string audio_codec;
};

// The arguments that have ffprobe (at `ffprobe`) tell the facts of the file at `source`, in the
// form `ParseVideoFacts` reads.
std::vector<std::string> VideoProbeArguments(const std::string& ffprobe, const std::string& source);
// The facts in ffprobe's "flat" output; nothing when it names no video stream.
std::optional<CVideoFacts> ParseVideoFacts(std::string_view output);

// How a video is published: copied into an MP4 or a WebM file as it is, streams untouched, or
// converted into an H.264/AAC MP4, for the codecs browsers do not all play.
enum class VideoPublishing { kCopyMp4, kCopyWebm, kConvert };
VideoPublishing ChooseVideoPublishing(const CVideoFacts& facts);
// The extension ("mp4", "webm") and media type ("video/mp4", "video/webm") of what it becomes.
std::string_view PublishedVideoExtension(VideoPublishing publishing);
std::string_view PublishedVideoType(VideoPublishing publishing);

// The arguments that have ffmpeg write the video `source` to `target`, as `publishing` says,
// with its first video stream and its first audio stream alone (no data, subtitle or
// attachment streams, which may carry where it was taken) and no metadata or chapters at all.
std::vector<std::string> VideoPublishArguments(const std::string& ffmpeg, const std::string& source,
                                               const std::string& target,
                                               VideoPublishing publishing);

// When the poster frame is taken: a tenth of the way in, and never later than 1 s; the start of
// a video of unknown length.
double PosterSeconds(double video_seconds);
// The arguments that have ffmpeg write the frame at `at` seconds of `source` to `target` as PNG.
std::vector<std::string> PosterArguments(const std::string& ffmpeg, const std::string& source,
                                         double at, const std::string& target);

// Runs ffprobe on `source`; nothing when it cannot be read as a video.
std::optional<CVideoFacts> ReadVideoFacts(const CVideoTools& tools, const std::string& source);
// Runs ffmpeg as `arguments` say, into `target`: it writes a temporary file beside it, renamed
// to `target` once whole, and removed otherwise. False when no whole file was made.
bool RunVideoTool(std::vector<std::string> arguments, const std::string& target, int seconds);

}  // namespace gallery

#endif  // GALLERY_APP_VIDEO_MEDIA_H_
