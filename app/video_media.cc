#include "app/video_media.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/program_run.h"

namespace gallery {
namespace {

// The value of `key` in a line `key="value"` of ffprobe's flat output; nothing for another key.
std::optional<std::string_view> FlatValue(std::string_view line, std::string_view key) {
  if (!line.starts_with(key) || line.size() < key.size() + 3 || line[key.size()] != '=') {
    return std::nullopt;
  }
  std::string_view value = line.substr(key.size() + 1);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

bool IsCodecOneOf(std::string_view value, std::initializer_list<std::string_view> list) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Each run's temporary files are told apart from those of other builds and other threads.
std::atomic<unsigned> next_video_temporary{0};

}  // namespace

std::vector<std::string> VideoProbeArguments(const std::string& ffprobe,
                                             const std::string& source) {
  // "file:" keeps a name such as "a:b.mp4" from being read as a protocol.
  return {ffprobe,
          "-v",
          "error",
          "-show_entries",
          "format=format_name,duration:stream=codec_type,codec_name",
          "-of",
          "flat",
          "file:" + source};
}

std::optional<CVideoFacts> ParseVideoFacts(std::string_view output) {
  CVideoFacts facts;
  // Streams are listed in order, each with its codec name and type; the first of each type wins.
  std::string pending_codec;
  std::string pending_index;
  bool has_video = false;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string_view::npos) end = output.size();
    std::string_view line = output.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (std::optional<std::string_view> value = FlatValue(line, "format.format_name")) {
      facts.container = std::string(*value);
      continue;
    }
    if (std::optional<std::string_view> value = FlatValue(line, "format.duration")) {
      double seconds = -1;
      const auto [stop, error] =
          std::from_chars(value->data(), value->data() + value->size(), seconds);
      if (error == std::errc() && seconds >= 0) facts.seconds = seconds;
      continue;
    }
    if (!line.starts_with("streams.stream.")) continue;
    const std::string_view rest = line.substr(15);
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos) continue;
    const std::string index(rest.substr(0, dot));
    const std::string_view field = rest.substr(dot + 1);
    if (index != pending_index) {
      pending_index = index;
      pending_codec.clear();
    }
    if (std::optional<std::string_view> value = FlatValue(field, "codec_name")) {
      pending_codec = std::string(*value);
    } else if (std::optional<std::string_view> type = FlatValue(field, "codec_type")) {
      if (*type == "video" && !has_video) {
        has_video = true;
        facts.video_codec = pending_codec;
      } else if (*type == "audio" && facts.audio_codec.empty()) {
        facts.audio_codec = pending_codec.empty() ? "unknown" : pending_codec;
      }
    }
  }
  if (!has_video) return std::nullopt;
  return facts;
}

VideoPublishing ChooseVideoPublishing(const CVideoFacts& facts) {
  const bool mp4 = facts.container.find("mp4") != std::string::npos;
  const bool webm = facts.container.find("webm") != std::string::npos;
  const bool silent = facts.audio_codec.empty();
  if (mp4 && facts.video_codec == "h264" &&
      (silent || IsCodecOneOf(facts.audio_codec, {"aac", "mp3"}))) {
    return VideoPublishing::kCopyMp4;
  }
  if (webm && IsCodecOneOf(facts.video_codec, {"vp8", "vp9", "av1"}) &&
      (silent || IsCodecOneOf(facts.audio_codec, {"opus", "vorbis"}))) {
    return VideoPublishing::kCopyWebm;
  }
  return VideoPublishing::kConvert;
}

std::string_view PublishedVideoExtension(VideoPublishing publishing) {
  return publishing == VideoPublishing::kCopyWebm ? "webm" : "mp4";
}

std::string_view PublishedVideoType(VideoPublishing publishing) {
  return publishing == VideoPublishing::kCopyWebm ? "video/webm" : "video/mp4";
}

std::vector<std::string> VideoPublishArguments(const std::string& ffmpeg, const std::string& source,
                                               const std::string& target,
                                               VideoPublishing publishing) {
  std::vector<std::string> arguments = {ffmpeg,   "-nostdin",       "-v",   "error",         "-y",
                                        "-i",     "file:" + source, "-map", "0:v:0",         "-map",
                                        "0:a:0?", "-map_metadata",  "-1",   "-map_chapters", "-1"};
  switch (publishing) {
    case VideoPublishing::kCopyMp4:
      arguments.insert(arguments.end(), {"-c", "copy", "-movflags", "+faststart", "-f", "mp4"});
      break;
    case VideoPublishing::kCopyWebm:
      arguments.insert(arguments.end(), {"-c", "copy", "-f", "webm"});
      break;
    case VideoPublishing::kConvert:
      // Browsers play 4:2:0 H.264 alone, which needs an even width and height.
      arguments.insert(arguments.end(),
                       {"-c:v", "libx264", "-preset", "veryfast", "-crf", "23", "-pix_fmt",
                        "yuv420p", "-vf", "scale=trunc(iw/2)*2:trunc(ih/2)*2", "-c:a", "aac",
                        "-movflags", "+faststart", "-f", "mp4"});
      break;
  }
  arguments.push_back("file:" + target);
  return arguments;
}

double PosterSeconds(double video_seconds) {
  return video_seconds > 0 ? std::min(1.0, video_seconds / 10) : 0;
}

std::vector<std::string> PosterArguments(const std::string& ffmpeg, const std::string& source,
                                         double at, const std::string& target) {
  return {ffmpeg,
          "-nostdin",
          "-v",
          "error",
          "-y",
          "-ss",
          std::to_string(at),
          "-i",
          "file:" + source,
          "-map",
          "0:v:0",
          "-frames:v",
          "1",
          "-map_metadata",
          "-1",
          "-c:v",
          "png",
          "-f",
          "image2",
          "file:" + target};
}

std::optional<CVideoFacts> ReadVideoFacts(const CVideoTools& tools, const std::string& source) {
  const CProgramRun run =
      RunProgram(VideoProbeArguments(tools.ffprobe, source), kVideoProbeSeconds);
  if (!run.started || run.timed_out || run.exit_status != 0) return std::nullopt;
  return ParseVideoFacts(run.output);
}

bool RunVideoTool(std::vector<std::string> arguments, const std::string& target, int seconds) {
  if (arguments.empty()) return false;
  const std::string temporary = target + ".part-" + std::to_string(getpid()) + "-" +
                                std::to_string(next_video_temporary.fetch_add(1));
  arguments.back() = "file:" + temporary;
  const CProgramRun run = RunProgram(arguments, seconds);
  const bool whole = run.started && !run.timed_out && run.exit_status == 0 &&
                     GetPathKind(temporary) == PathKind::kFile;
  if (whole && std::rename(temporary.c_str(), target.c_str()) == 0) return true;
  static_cast<void>(RemoveFile(temporary));
  return false;
}

}  // namespace gallery
