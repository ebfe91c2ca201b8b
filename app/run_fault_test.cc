// Whole runs under faults: killed at random moments, writes past a file-size limit, an output
// folder that cannot exist, and photo sources that are damaged or not files at all.
#include <signal.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "app/run.h"
#include "collection/collection_document.h"
#include "platform/imaging_runtime.h"
#include "tests/run_binary.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// What a look over a gallery folder found.
struct GalleryCheck {
  int whole_files = 0;
  int temporary_files = 0;
  std::vector<std::string> broken;  // files under their final names that are not whole
};

bool IsWholeJpeg(const std::string& path) {
  try {
    vips::VImage image = vips::VImage::new_from_file(
        path.c_str(), vips::VImage::option()->set("fail_on", VIPS_FAIL_ON_ERROR));
    static_cast<void>(image.avg());  // decodes every pixel
    return true;
  } catch (const vips::VError&) {
    return false;
  }
}

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

GalleryCheck CheckGallery(const std::string& root) {
  GalleryCheck check;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string path = entry.path().string();
    bool whole = true;
    if (EndsWith(path, ".tmp")) {
      ++check.temporary_files;
      continue;
    } else if (EndsWith(path, ".jpg")) {
      whole = IsWholeJpeg(path);
    } else if (EndsWith(path, ".htm")) {
      whole = EndsWith(ReadWholeFile(path), "</html>\r\n");
    } else if (EndsWith(path, ".xml")) {
      CCollectionDocument document;
      whole = document.Open(path, true, true);
    }
    if (whole) {
      ++check.whole_files;
    } else {
      check.broken.push_back(path);
    }
  }
  return check;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += text + "\n";
  return joined;
}

class RunFaultTest : public testing::Test {
 protected:
  RunFaultTest() {
    std::filesystem::create_directories(folder_.Join("out"));
    // Noise compresses badly, so the images take long enough to be caught half-written.
    for (int i = 0; i < 6; ++i) {
      vips::VImage::gaussnoise(1200, 900, vips::VImage::option()->set("mean", 128 + 10 * i))
          .bandjoin({vips::VImage::gaussnoise(1200, 900), vips::VImage::gaussnoise(1200, 900)})
          .cast(VIPS_FORMAT_UCHAR)
          .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
          .jpegsave(folder_.Join("p" + std::to_string(i) + ".jpg").c_str());
    }
  }

  // A collection over the six photos and `extra` photo elements, as the input of one run.
  std::string WriteCollection(const std::string& extra = "") {
    std::string text = "<collection title=\"T\" desc=\"D\">";
    for (int i = 0; i < 6; ++i) {
      text +=
          "<photo title=\"p\" path=\"" + folder_.Join("p" + std::to_string(i) + ".jpg") + "\"/>";
    }
    text += extra;
    text +=
        "<style table_columns=\"2\" table_rows=\"2\" thumb_type=\"1\" thumb_width=\"100\" "
        "thumb_height=\"100\" thumb_style=\"10\" thumb_border_size=\"12\"/></collection>";
    return folder_.WriteFile("in.xml", text);
  }

  std::vector<std::string> Arguments() {
    return {std::string(kAccessToken), folder_.Join("in.xml"), folder_.Join("out/collection.xml"), "thumbs"};
  }

  TempFolder folder_;
};

TEST_F(RunFaultTest, KilledRunsLeaveOnlyWholeFilesUnderFinalNames) {
  WriteCollection();
  ASSERT_EQ(ExitStatus(ExitCode::kBuilt), RunGallerygenBinary(Arguments()).exit_code);
  const int complete_files = CheckGallery(folder_.Join("out")).whole_files;

  std::mt19937 random(20261208);
  std::uniform_int_distribution<long> delay(0, 600000);
  int killed = 0;
  for (int run = 0; run < 16; ++run) {
    WriteCollection();
    BinaryOptions options;
    options.kill_after_microseconds = delay(random);
    BinaryResult result = RunGallerygenBinary(Arguments(), options);
    killed += result.killed ? 1 : 0;
    GalleryCheck check = CheckGallery(folder_.Join("out"));
    EXPECT_EQ(std::vector<std::string>(), check.broken)
        << "killed after " << options.kill_after_microseconds << " us";
    // Every file of the first, complete run is still there under its name.
    EXPECT_EQ(complete_files, check.whole_files);
  }
  EXPECT_GT(killed, 0) << "no run was caught before it ended";

  // A killed run cannot clean up; the next run that finishes removes what they all left.
  WriteCollection();
  ASSERT_EQ(ExitStatus(ExitCode::kBuilt), RunGallerygenBinary(Arguments()).exit_code);
  EXPECT_EQ(0, CheckGallery(folder_.Join("out")).temporary_files);
}

TEST_F(RunFaultTest, RunsEndedBySignalsRemoveTheirTemporaryFiles) {
  WriteCollection();
  ASSERT_EQ(ExitStatus(ExitCode::kBuilt), RunGallerygenBinary(Arguments()).exit_code);
  const int complete_files = CheckGallery(folder_.Join("out")).whole_files;

  std::mt19937 random(20261209);
  // Shorter delays than for SIGKILL: a run is done in about a third of a second.
  std::uniform_int_distribution<long> delay(0, 300000);
  int signalled = 0;
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    for (int run = 0; run < 6; ++run) {
      WriteCollection();
      BinaryOptions options;
      options.kill_after_microseconds = delay(random);
      options.kill_signal = signal_number;
      BinaryResult result = RunGallerygenBinary(Arguments(), options);
      const std::string context = std::string(strsignal(signal_number)) + " after " +
                                  std::to_string(options.kill_after_microseconds) + " us";
      signalled += result.killed ? 1 : 0;
      // The run either finished first or ended by the signal itself.
      EXPECT_TRUE(result.killed || result.exit_code == ExitStatus(ExitCode::kBuilt)) << context;
      EXPECT_EQ("", result.output) << context;
      GalleryCheck check = CheckGallery(folder_.Join("out"));
      EXPECT_EQ(0, check.temporary_files) << context;
      EXPECT_EQ(std::vector<std::string>(), check.broken) << context;
      EXPECT_EQ(complete_files, check.whole_files) << context;
    }
  }
  EXPECT_GT(signalled, 0) << "no run was caught before it ended";
}

TEST_F(RunFaultTest, WritesPastAFileSizeLimitLeaveNoImageOfAnEarlierRun) {
  WriteCollection();
  ASSERT_EQ(ExitStatus(ExitCode::kBuilt), RunGallerygenBinary(Arguments()).exit_code);
  struct Case {
    long limit;
    int exit_code;
  };
  // Page images no longer fit in 20 kB, pages and the collection file still do, so the run
  // goes on and ends well; at 0 bytes nothing fits and the collection file cannot be saved.
  for (const Case& c : {Case{20000, ExitStatus(ExitCode::kBuilt)},
                        Case{0, ExitStatus(ExitCode::kGenerateFailed)}}) {
    WriteCollection();
    BinaryOptions options;
    options.file_size_limit = c.limit;
    BinaryResult result = RunGallerygenBinary(Arguments(), options);
    EXPECT_EQ(c.exit_code, result.exit_code) << c.limit;
    EXPECT_EQ("", result.output) << c.limit;
    GalleryCheck after = CheckGallery(folder_.Join("out"));
    EXPECT_EQ(std::vector<std::string>(), after.broken) << c.limit;
    EXPECT_EQ(0, after.temporary_files) << c.limit;
    // No page image or thumbnail of the earlier run is left to be shown as this run's photo.
    for (int i = 0; i < 6; ++i) {
      const std::string name = std::to_string(i) + ".jpg";
      EXPECT_FALSE(FileExists(folder_.Join("out/images/" + name))) << c.limit << ": " << i;
      EXPECT_FALSE(FileExists(folder_.Join("out/thumbs/" + name))) << c.limit << ": " << i;
    }
    // A page this run wrote is there; one it could not write is gone, not the earlier one.
    EXPECT_EQ(c.limit > 0, FileExists(folder_.Join("out/pages/0.htm"))) << c.limit;
    EXPECT_EQ(c.limit > 0, FileExists(folder_.Join("out/border/0.jpg"))) << c.limit;
  }
}

TEST_F(RunFaultTest, OutputUnderAFileExitsFourAndWritesNothing) {
  WriteCollection();
  folder_.WriteFile("plain-file", "x");
  BinaryResult result = RunGallerygenBinary(
      {std::string(kAccessToken), folder_.Join("in.xml"), folder_.Join("plain-file/collection.xml"), "thumbs"});
  EXPECT_EQ(ExitStatus(ExitCode::kGenerateFailed), result.exit_code);
  EXPECT_EQ("", result.output);
  EXPECT_EQ("x", ReadWholeFile(folder_.Join("plain-file")));
}

TEST_F(RunFaultTest, DamagedAndOddSourcesArePassedOver) {
  const std::string whole = ReadWholeFile(folder_.Join("p0.jpg"));
  folder_.WriteFile("empty.jpg", "");
  folder_.WriteFile("truncated.jpg", whole.substr(0, whole.size() / 2));
  std::string corrupt = whole;
  // A frame header of a sample precision no decoder knows. (Stray bytes between markers, or
  // damage inside the coded data, are only warned about: the decoder then draws what it can.)
  const size_t frame = corrupt.find("\xFF\xC0");
  ASSERT_NE(std::string::npos, frame);
  corrupt[frame + 4] = 7;
  folder_.WriteFile("corrupt.jpg", corrupt);
  folder_.WriteFile("text.png", "not an image at all");
  std::filesystem::create_directories(folder_.Join("folder.jpg"));
  ASSERT_EQ(0, mkfifo(folder_.Join("fifo.jpg").c_str(), 0600));
  std::string extra;
  for (const char* name :
       {"empty.jpg", "truncated.jpg", "corrupt.jpg", "text.png", "folder.jpg", "fifo.jpg"}) {
    extra += "<photo title=\"bad\" path=\"" + folder_.Join(name) + "\"/>";
  }
  WriteCollection(extra);

  BinaryResult result = RunGallerygenBinary(Arguments());
  EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code);
  EXPECT_EQ("", result.output);
  for (int i = 0; i < 12; ++i) {
    const std::string number = std::to_string(i);
    EXPECT_EQ(i < 6, FileExists(folder_.Join("out/images/" + number + ".jpg"))) << i;
    EXPECT_EQ(i < 6, FileExists(folder_.Join("out/thumbs/" + number + ".jpg"))) << i;
    EXPECT_TRUE(FileExists(folder_.Join("out/pages/" + number + ".htm"))) << i;
  }
  GalleryCheck check = CheckGallery(folder_.Join("out"));
  EXPECT_EQ("", Joined(check.broken));
  EXPECT_EQ(0, check.temporary_files);
}

TEST_F(RunFaultTest, OnlyPhotoFormatsAreDecodedWhateverTheEnvironment) {
  ASSERT_TRUE(LoadFormatModule(FormatModule::kMagick));
  vips::VImage::black(30, 20, vips::VImage::option()->set("bands", 3))
      .magicksave(folder_.Join("bitmap.bmp").c_str(), vips::VImage::option()->set("format", "bmp"));
  const std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xi=\"http://www.w3.org/2001/XInclude\" "
      "width=\"300\" height=\"100\"><text x=\"5\" y=\"50\"><xi:include href=\"in.xml\" "
      "parse=\"text\"/></text></svg>";
  folder_.WriteFile("drawing.jpg", svg);
  folder_.WriteFile("document.jpg",
                    "%PDF-1.1\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages"
                    "/Kids[3 0 R]/Count 1>>endobj\n3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 "
                    "14400 14400]>>endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n");
  folder_.WriteFile("data.png", "<?xml version=\"1.0\"?><a><b>1</b></a>");
  folder_.WriteFile("print.jpg", "%!PS-Adobe-3.0\n72 72 moveto (x) show showpage\n");
  // A JPEG XL file damaged in its middle: its decoder writes about such faults to stderr.
  ASSERT_TRUE(LoadFormatModule(FormatModule::kJpegXl));
  vips::VImage::xyz(64, 48)[0].cast(VIPS_FORMAT_UCHAR).jxlsave(folder_.Join("good.jxl").c_str());
  std::string damaged = ReadWholeFile(folder_.Join("good.jxl"));
  for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 8 && i < damaged.size(); ++i) {
    damaged[i] = '\xFF';
  }
  folder_.WriteFile("damaged.jxl", damaged);
  std::string extra;
  for (const char* name :
       {"bitmap.bmp", "drawing.jpg", "document.jpg", "data.png", "print.jpg", "damaged.jxl"}) {
    extra += "<photo title=\"odd\" path=\"" + folder_.Join(name) + "\"/>";
  }
  // A library home that holds every optional module, ImageMagick told to keep its pixels on
  // disk, and the library's own block of untrusted loaders off.
  std::filesystem::create_directories(folder_.Join("tmp"));
  std::filesystem::create_directories(folder_.Join("home"));
  std::filesystem::create_directory_symlink("/usr/lib/x86_64-linux-gnu", folder_.Join("home/lib"));
  BinaryOptions options;
  options.environment = {"TMPDIR=" + folder_.Join("tmp"),
                         "VIPSHOME=" + folder_.Join("home"),
                         "VIPS_BLOCK_UNTRUSTED",
                         "MAGICK_TEMPORARY_PATH=" + folder_.Join("tmp"),
                         "MAGICK_MEMORY_LIMIT=1",
                         "MAGICK_AREA_LIMIT=1",
                         "MAGICK_MAP_LIMIT=1"};
  for (int run = 0; run < 2; ++run) {
    WriteCollection(extra);
    BinaryResult result = RunGallerygenBinary(Arguments(), options);
    EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code) << run;
    EXPECT_EQ("", result.output) << run;
    for (int i = 0; i < 12; ++i) {
      EXPECT_EQ(i <= 6, FileExists(folder_.Join("out/images/" + std::to_string(i) + ".jpg")))
          << run << ": " << i;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder_.Join("tmp"))) << run;
  }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kUnderSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kUnderSanitizer = true;
#else
constexpr bool kUnderSanitizer = false;
#endif
#else
constexpr bool kUnderSanitizer = false;
#endif

// The images a run made, by file name.
std::vector<std::string> ImagesMade(const std::string& root) {
  std::vector<std::string> made;
  for (const char* folder : {"images", "thumbs"}) {
    for (const auto& entry : std::filesystem::directory_iterator(root + "/" + folder)) {
      made.push_back(std::string(folder) + "/" + entry.path().filename().string());
    }
  }
  std::sort(made.begin(), made.end());
  return made;
}

TEST_F(RunFaultTest, UnderMemoryLimitsRunsEndWholeAndMakeTheSameImagesEachTime) {
  if (kUnderSanitizer) {
    GTEST_SKIP() << "The sanitizers reserve more address space than any limit here";
  }
  // Besides the six photos: sources decoded whole, of which the larger ones cannot get their
  // memory under the lower limits.
  ASSERT_TRUE(LoadFormatModule(FormatModule::kMagick));
  const vips::VImage gradient =
      vips::VImage::xyz(3000, 2000)[0]
          .cast(VIPS_FORMAT_UCHAR)
          .bandjoin({128, 64})
          .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  gradient.webpsave(folder_.Join("large.webp").c_str());
  gradient.magicksave(folder_.Join("large.bmp").c_str(),
                      vips::VImage::option()->set("format", "bmp"));
  gradient.crop(0, 0, 800, 600).webpsave(folder_.Join("small.webp").c_str());
  std::string extra;
  for (const char* name : {"large.webp", "large.bmp", "small.webp"}) {
    extra += "<photo title=\"whole\" path=\"" + folder_.Join(name) + "\"/>";
  }
  for (long limit : {1000L << 20, 300L << 20, 200L << 20}) {
    std::vector<std::string> first_set;
    for (int run = 0; run < 2; ++run) {
      std::filesystem::remove_all(folder_.Join("out"));
      std::filesystem::create_directories(folder_.Join("out"));
      WriteCollection(extra);
      BinaryOptions options;
      options.address_space_limit = limit;
      BinaryResult result = RunGallerygenBinary(Arguments(), options);
      EXPECT_EQ(ExitStatus(ExitCode::kBuilt), result.exit_code) << limit;
      EXPECT_EQ("", result.output) << limit;
      GalleryCheck check = CheckGallery(folder_.Join("out"));
      EXPECT_EQ("", Joined(check.broken)) << limit;
      EXPECT_EQ(0, check.temporary_files) << limit;
      for (int i = 0; i < 9; ++i) {
        EXPECT_TRUE(FileExists(folder_.Join("out/pages/" + std::to_string(i) + ".htm")))
            << limit << ": " << i;
      }
      const std::vector<std::string> made = ImagesMade(folder_.Join("out"));
      if (run == 0) {
        first_set = made;
      } else {
        EXPECT_EQ(Joined(first_set), Joined(made)) << limit;
      }
      // With 1 GB every photo is made.
      if (limit == 1000L << 20) {
        EXPECT_EQ(18u, made.size());
      }
    }
  }
}

TEST_F(RunFaultTest, CollectionTooLargeForTheMemoryLimitFailsToLoadSilently) {
  if (kUnderSanitizer) {
    GTEST_SKIP() << "The sanitizers reserve more address space than any limit here";
  }
  // Reading the file in already takes more memory than is left: the first allocation of the
  // load fails, and the run must end as a failed load, not abort.
  const std::string input = folder_.WriteFile(
      "in.xml", "<collection title=\"" + std::string(200 << 20, 'a') + "\"><style/></collection>");
  BinaryOptions options;
  options.address_space_limit = 300L << 20;
  BinaryResult result = RunGallerygenBinary(Arguments(), options);
  EXPECT_EQ(ExitStatus(ExitCode::kLoadFailed), result.exit_code);
  EXPECT_EQ(0, result.end_signal);
  EXPECT_FALSE(FileExists(input));
  EXPECT_FALSE(FileExists(folder_.Join("out/collection.xml")));
}

}  // namespace
}  // namespace gallery
