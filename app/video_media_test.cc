#include "app/video_media.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

// The values after each `option` in `arguments`.
std::vector<std::string> ValuesOf(const std::vector<std::string>& arguments,
                                  const std::string& option) {
  std::vector<std::string> values;
  for (size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == option) values.push_back(arguments[i + 1]);
  }
  return values;
}

bool HasArgument(const std::vector<std::string>& arguments, const std::string& argument) {
  return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
}

TEST(ParseVideoFactsTest, TakesTheFirstVideoAndAudioStreamsWhateverTheirOrder) {
  const CVideoFacts phone = ParseVideoFacts(
                                "streams.stream.0.codec_name=\"aac\"\n"
                                "streams.stream.0.codec_type=\"audio\"\n"
                                "streams.stream.1.codec_name=\"hevc\"\n"
                                "streams.stream.1.codec_type=\"video\"\n"
                                "streams.stream.2.codec_name=\"bin_data\"\n"
                                "streams.stream.2.codec_type=\"data\"\n"
                                "streams.stream.3.codec_name=\"h264\"\n"
                                "streams.stream.3.codec_type=\"video\"\n"
                                "format.format_name=\"mov,mp4,m4a,3gp,3g2,mj2\"\n"
                                "format.duration=\"12.480000\"\n")
                                .value_or(CVideoFacts{});
  EXPECT_EQ("hevc", phone.video_codec);
  EXPECT_EQ("aac", phone.audio_codec);
  EXPECT_EQ("mov,mp4,m4a,3gp,3g2,mj2", phone.container);
  EXPECT_DOUBLE_EQ(12.48, phone.seconds);

  // A silent clip of no known length, its lines ended by CR LF.
  const CVideoFacts silent = ParseVideoFacts(
                                 "streams.stream.0.codec_name=\"vp9\"\r\n"
                                 "streams.stream.0.codec_type=\"video\"\r\n"
                                 "format.format_name=\"matroska,webm\"\r\n"
                                 "format.duration=\"N/A\"\r\n")
                                 .value_or(CVideoFacts{});
  EXPECT_EQ("vp9", silent.video_codec);
  EXPECT_EQ("", silent.audio_codec);
  EXPECT_EQ("matroska,webm", silent.container);
  EXPECT_GT(0, silent.seconds);

  // Sound alone, or nothing ffprobe could read, is no video.
  EXPECT_FALSE(
      ParseVideoFacts("streams.stream.0.codec_name=\"mp3\"\n"
                      "streams.stream.0.codec_type=\"audio\"\n"
                      "format.format_name=\"mp3\"\n"));
  EXPECT_FALSE(ParseVideoFacts(""));
}

TEST(ChooseVideoPublishingTest, CopiesOnlyWhatEveryBrowserPlays) {
  struct Case {
    const char* container;
    const char* video;
    const char* audio;
    VideoPublishing expected;
  };
  const char* mp4 = "mov,mp4,m4a,3gp,3g2,mj2";
  const char* webm = "matroska,webm";
  const Case cases[] = {
      {mp4, "h264", "aac", VideoPublishing::kCopyMp4},
      {mp4, "h264", "", VideoPublishing::kCopyMp4},
      // Most phones' .mov files: HEVC, or ProRes, or PCM sound.
      {mp4, "hevc", "aac", VideoPublishing::kConvert},
      {mp4, "prores", "pcm_s16le", VideoPublishing::kConvert},
      {mp4, "h264", "pcm_s16le", VideoPublishing::kConvert},
      {mp4, "mjpeg", "", VideoPublishing::kConvert},
      {mp4, "vp9", "", VideoPublishing::kConvert},
      {webm, "vp8", "vorbis", VideoPublishing::kCopyWebm},
      {webm, "vp9", "opus", VideoPublishing::kCopyWebm},
      {webm, "av1", "", VideoPublishing::kCopyWebm},
      {webm, "h264", "aac", VideoPublishing::kConvert},
      {webm, "vp9", "aac", VideoPublishing::kConvert},
      {"avi", "h264", "mp3", VideoPublishing::kConvert},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseVideoPublishing({c.container, 1, c.video, c.audio}))
        << c.container << " " << c.video << " " << c.audio;
  }
  EXPECT_EQ("webm", PublishedVideoExtension(VideoPublishing::kCopyWebm));
  EXPECT_EQ("video/mp4", PublishedVideoType(VideoPublishing::kConvert));
}

TEST(VideoPublishArgumentsTest, KeepOnlyPictureAndSoundAndNoMetadata) {
  for (VideoPublishing publishing :
       {VideoPublishing::kCopyMp4, VideoPublishing::kCopyWebm, VideoPublishing::kConvert}) {
    const std::vector<std::string> arguments =
        VideoPublishArguments("/usr/bin/ffmpeg", "/in/-x.mov", "/out/1.mp4", publishing);
    const int kind = static_cast<int>(publishing);
    EXPECT_EQ("/usr/bin/ffmpeg", arguments.front()) << kind;
    EXPECT_TRUE(HasArgument(arguments, "-nostdin")) << kind;
    // Names that start with "-" or hold ":" are files, never options or protocols.
    EXPECT_EQ(std::vector<std::string>{"file:/in/-x.mov"}, ValuesOf(arguments, "-i")) << kind;
    EXPECT_EQ("file:/out/1.mp4", arguments.back()) << kind;
    EXPECT_EQ((std::vector<std::string>{"0:v:0", "0:a:0?"}), ValuesOf(arguments, "-map")) << kind;
    EXPECT_EQ(std::vector<std::string>{"-1"}, ValuesOf(arguments, "-map_metadata")) << kind;
    EXPECT_EQ(std::vector<std::string>{"-1"}, ValuesOf(arguments, "-map_chapters")) << kind;
    const bool copies = publishing != VideoPublishing::kConvert;
    EXPECT_EQ(copies, HasArgument(arguments, "copy")) << kind;
    EXPECT_EQ(!copies, HasArgument(arguments, "libx264")) << kind;
    EXPECT_EQ(std::vector<std::string>{publishing == VideoPublishing::kCopyWebm ? "webm" : "mp4"},
              ValuesOf(arguments, "-f"))
        << kind;
  }
  const std::vector<std::string> convert =
      VideoPublishArguments("ffmpeg", "a", "b", VideoPublishing::kConvert);
  EXPECT_EQ(std::vector<std::string>{"yuv420p"}, ValuesOf(convert, "-pix_fmt"));
  EXPECT_EQ(std::vector<std::string>{"aac"}, ValuesOf(convert, "-c:a"));
}

TEST(PosterTest, FrameALittleWayIn) {
  EXPECT_DOUBLE_EQ(0.2, PosterSeconds(2));
  EXPECT_DOUBLE_EQ(1, PosterSeconds(90));
  EXPECT_DOUBLE_EQ(0, PosterSeconds(-1));
  const std::vector<std::string> arguments = PosterArguments("ffmpeg", "/v.mp4", 0.5, "/p.png");
  EXPECT_EQ(std::vector<std::string>{"1"}, ValuesOf(arguments, "-frames:v"));
  EXPECT_EQ(std::vector<std::string>{"file:/v.mp4"}, ValuesOf(arguments, "-i"));
  EXPECT_EQ(0.5, std::stod(ValuesOf(arguments, "-ss").at(0)));
  EXPECT_EQ("file:/p.png", arguments.back());
}

}  // namespace
}  // namespace gallery
