#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <sys/mount.h>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "platform/file_status.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/program_run.h"
#include "tests/run_binary.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// The output of a video tool found on this machine's PATH run with `arguments`; empty when it
// failed.
std::string RunTool(const std::string& tool, std::vector<std::string> arguments) {
  const char* path = std::getenv("PATH");
  const std::optional<std::string> program = FindProgram(tool, path != nullptr ? path : "");
  if (!program) return {};
  arguments.insert(arguments.begin(), *program);
  const CProgramRun run = RunProgram(arguments, 60);
  return run.exit_status == 0 ? run.output : std::string();
}

bool HaveVideoTools() {
  const char* path = std::getenv("PATH");
  return FindProgram("ffmpeg", path != nullptr ? path : "") &&
         FindProgram("ffprobe", path != nullptr ? path : "");
}

// Two seconds of test pattern at `path`, made with `codec` arguments.
bool MakeClip(const std::string& path, std::vector<std::string> codec) {
  std::vector<std::string> arguments = {
      "-nostdin", "-v",    "error", "-y",
      "-f",       "lavfi", "-i",    "testsrc=duration=2:size=160x120:rate=10"};
  arguments.insert(arguments.end(), codec.begin(), codec.end());
  arguments.push_back(path);
  RunTool("ffmpeg", arguments);
  return GetPathKind(path) == PathKind::kFile;
}

std::string Probe(const std::string& path, const std::string& entries) {
  return RunTool("ffprobe", {"-v", "error", "-show_entries", entries, "-of", "flat", path});
}

class GalleryVideoTest : public testing::Test {
 protected:
  GalleryVideoTest() {
    photos_ = folder_.Join("photos");
    site_ = folder_.Join("site");
    static_cast<void>(CreateFolder(photos_));
    vips::VImage::black(40, 30).jpegsave(folder_.Join("photos/p.jpg").c_str());
  }

  BinaryResult Gallery(const std::vector<std::string>& arguments,
                       std::vector<std::string> environment = {}) {
    BinaryOptions options;
    environment.push_back("XDG_CACHE_HOME=" + folder_.Join("cache"));
    environment.push_back("HOME=" + folder_.Join("home"));
    options.environment = environment;
    return RunGalleryBinary(arguments, options);
  }

  TempFolder folder_;
  std::string photos_;
  std::string site_;
};

// Photos and videos sort together by name: a.mp4 (H.264 with a place), b.mov (Motion JPEG,
// which browsers do not play), bad.mp4 (no video at all), p.jpg.
TEST_F(GalleryVideoTest, VideosArePublishedPlayableWithoutTheirPlaceAndConvertedOnce) {
  if (!HaveVideoTools()) GTEST_SKIP() << "ffmpeg and ffprobe are not on PATH";
  ASSERT_TRUE(MakeClip(photos_ + "/a.mp4", {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-metadata",
                                            "location=+48.85+002.29/"}));
  ASSERT_TRUE(MakeClip(photos_ + "/b.mov", {"-c:v", "mjpeg"}));
  folder_.WriteFile("photos/bad.mp4", "not a video at all");
  ASSERT_NE(std::string::npos, Probe(photos_ + "/a.mp4", "format_tags").find("location"));

  const BinaryResult made = Gallery({"new", photos_, site_, "-t", "Clips"});
  ASSERT_EQ(0, made.exit_code) << made.output;
  EXPECT_NE(std::string::npos, made.output.find("made 3, skipped 1")) << made.output;
  EXPECT_NE(std::string::npos,
            made.output.find("/bad.mp4: could not be read or converted as a video"))
      << made.output;
  const std::string collection = ReadFileBytes(site_ + ".collection.xml").value_or("");
  EXPECT_NE(std::string::npos,
            collection.find("<video path=\"" + photos_ + "/a.mp4\" title=\"a\"/>"))
      << collection;
  EXPECT_NE(std::string::npos, collection.find("<photo path=\"" + photos_ + "/p.jpg\""));

  // The H.264 file is copied, its place gone; the Motion JPEG one became H.264 in MP4.
  EXPECT_EQ("streams.stream.0.codec_name=\"h264\"\n",
            Probe(site_ + "/videos/1.mp4", "stream=codec_name"));
  EXPECT_EQ(std::string::npos,
            Probe(site_ + "/videos/1.mp4", "format_tags:stream_tags").find("location"));
  EXPECT_EQ("streams.stream.0.codec_name=\"h264\"\n",
            Probe(site_ + "/videos/2.mp4", "stream=codec_name"));
  EXPECT_EQ((std::vector<std::string>{"1.mp4", "2.mp4"}), [&] {
    std::vector<std::string> names =
        ListFolder(site_ + "/videos").value_or(std::vector<std::string>{});
    std::sort(names.begin(), names.end());
    return names;
  }());
  // Of a poster frame as small as these only the 1x thumbnail is drawn: the larger sizes would
  // be the page image again, so no page shows them and none is written.
  for (const char* size : {"thumbs2x", "medium", "large"}) {
    EXPECT_EQ(std::vector<std::string>{},
              ListFolder(site_ + "/" + size).value_or(std::vector<std::string>{"?"}))
        << size;
  }
  // Poster frames became the page image and thumbnails, which the pages show.
  EXPECT_EQ(160, vips::VImage::new_from_file((site_ + "/images/2.jpg").c_str()).width());
  EXPECT_EQ(PathKind::kFile, GetPathKind(site_ + "/thumbs/1.jpg"));
  const std::string page = ReadFileBytes(site_ + "/photo-2.html").value_or("");
  EXPECT_NE(std::string::npos, page.find("<video controls preload=\"metadata\" playsinline "
                                         "poster=\"images/2.jpg\" width=\"160\" height=\"120\""))
      << page;
  EXPECT_NE(std::string::npos, page.find("<source src=\"videos/2.mp4\" type=\"video/mp4\">"));
  EXPECT_NE(std::string::npos, page.find("<time datetime=\"PT2S\">0:02</time>"));
  const std::string index = ReadFileBytes(site_ + "/index.html").value_or("");
  EXPECT_NE(std::string::npos, index.find("alt=\"b (Video, 0:02)\"")) << index;

  // A rebuild takes the conversion kept in the cache: a file put there in its place is what
  // the new gallery publishes.
  const std::string kept_folder = folder_.Join("cache/gallerygen/videos");
  std::vector<std::string> kept = ListFolder(kept_folder).value_or(std::vector<std::string>{});
  ASSERT_EQ(1u, kept.size());
  const std::string stand_in = ReadFileBytes(site_ + "/videos/1.mp4").value_or("");
  folder_.WriteFile("cache/gallerygen/videos/" + kept[0], stand_in);
  const BinaryResult again = Gallery({"build", site_ + ".collection.xml", folder_.Join("again")});
  ASSERT_EQ(0, again.exit_code) << again.output;
  EXPECT_EQ(stand_in, ReadFileBytes(folder_.Join("again/videos/2.mp4")).value_or(""));
}

// Without ffmpeg, or in the classic theme, the videos are named once and counted as skipped,
// and the photos are built as ever.
TEST_F(GalleryVideoTest, VideosThatCannotBeBuiltAreNamedOnceAndCounted) {
  folder_.WriteFile("photos/a.mp4", "a");
  folder_.WriteFile("photos/b.webm", "b");
  const std::string empty_path = folder_.Join("no programs");
  ASSERT_TRUE(CreateFolder(empty_path));
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> environment;
    const char* why;
  };
  const Case cases[] = {
      {{}, {"PATH=" + empty_path}, "ffmpeg and ffprobe"},
      {{"--theme", "classic"}, {}, "the classic theme shows photos alone"},
  };
  int run = 0;
  for (const Case& c : cases) {
    const std::string site = site_ + std::to_string(++run);
    std::vector<std::string> arguments = {"new", photos_, site, "-t", "T"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const BinaryResult result = Gallery(arguments, c.environment);
    ASSERT_EQ(0, result.exit_code) << result.output;
    const std::string warning = "gallery: warning: 2 videos left out, as ";
    const size_t at = result.output.find(warning);
    EXPECT_NE(std::string::npos, at) << result.output;
    EXPECT_EQ(std::string::npos, result.output.find(warning, at + 1)) << result.output;
    EXPECT_NE(std::string::npos, result.output.find(c.why)) << result.output;
    EXPECT_NE(std::string::npos, result.output.find(photos_ + "/a.mp4, " + photos_ + "/b.webm"))
        << result.output;
    EXPECT_NE(std::string::npos, result.output.find("made 1, skipped 2")) << result.output;
    EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/videos"));
    // The collection keeps them, for a later build that can show them.
    EXPECT_NE(std::string::npos,
              ReadFileBytes(site + ".collection.xml").value_or("").find("<video path="));
    // Nor is the gallery taken for finished: an update builds again, and names them again.
    std::vector<std::string> update = {"update", site + ".collection.xml", site};
    update.insert(update.end(), c.options.begin(), c.options.end());
    const BinaryResult again = Gallery(update, c.environment);
    ASSERT_EQ(0, again.exit_code) << again.output;
    EXPECT_EQ(std::string::npos, again.output.find("is up to date")) << again.output;
    EXPECT_NE(std::string::npos, again.output.find(warning)) << again.output;
  }
}

// A small file system of its own, mounted for the test where the process may mount one.
class CSmallDisk {
 public:
  CSmallDisk(const std::string& path, const char* size) : path_(path) {
    const std::string options = std::string("size=") + size;
    mounted_ = CreateFolder(path) && mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~CSmallDisk() {
    if (mounted_) static_cast<void>(umount2(path_.c_str(), MNT_DETACH));
  }
  CSmallDisk(const CSmallDisk&) = delete;
  CSmallDisk& operator=(const CSmallDisk&) = delete;
  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

// A video that does not fit on the gallery's disk fails the build as a full disk does for a
// photo: it is not taken for a video that cannot be read, in a gallery put in place without it.
TEST_F(GalleryVideoTest, VideoThatDoesNotFitFailsTheBuildAndLeavesNothing) {
  if (!HaveVideoTools()) GTEST_SKIP() << "ffmpeg and ffprobe are not on PATH";
  CSmallDisk disk(folder_.Join("small"), "2m");
  if (!disk.mounted()) GTEST_SKIP() << "this process may not mount a file system";
  // Noise, losslessly: a few megabytes that are copied as they are.
  const std::string clip = photos_ + "/noise.mp4";
  RunTool("ffmpeg", {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                     "nullsrc=s=640x480:d=2:r=10,geq=lum='random(1)*255':cb=128:cr=128",
                     "-c:v", "libx264", "-qp", "0", "-pix_fmt", "yuv420p", clip});
  const std::optional<CFileStatus> status = GetFileStatus(clip);
  ASSERT_TRUE(status);
  ASSERT_GT(status->size, int64_t{3} << 20);

  const std::string site = folder_.Join("small/site");
  const BinaryResult result = Gallery({"new", photos_, site, "-t", "T"});
  EXPECT_NE(0, result.exit_code) << result.output;
  EXPECT_NE(std::string::npos, result.output.find("the disk is full")) << result.output;
  EXPECT_NE(std::string::npos, result.output.find("videos/1.mp4")) << result.output;
  EXPECT_EQ(std::string::npos, result.output.find("could not be read")) << result.output;
  // Nothing of the build stays on that disk, and no collection file beside it.
  EXPECT_EQ(std::vector<std::string>{},
            ListFolder(folder_.Join("small")).value_or(std::vector<std::string>{"?"}));
}

}  // namespace
}  // namespace gallery
