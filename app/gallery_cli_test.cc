#include "app/gallery_cli.h"

#include <sys/stat.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

struct CliResult {
  ExitCode exit_code;
  std::string out;
  std::string err;
};

CliResult RunCli(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  CCliEnvironment environment(out, err);
  environment.preset_folder = GALLERY_PRESET_SOURCE_DIR;
  environment.clock = [] { return 0.0; };
  ExitCode exit_code = RunGalleryCli(arguments, environment);
  return {exit_code, out.str(), err.str()};
}

TEST(GalleryCliTest, HelpAndVersionGoToStandardOutput) {
  struct Case {
    std::vector<std::string> arguments;
    std::string starts_with;
  } cases[] = {
      {{"--help"}, "Usage: gallery COMMAND"},
      {{"-h"}, "Usage: gallery COMMAND"},
      {{"build", "--help"}, "Usage: gallery build COLLECTION.xml OUTDIR"},
      {{"new", "-h"}, "Usage: gallery new PHOTO_FOLDER OUTDIR --title TITLE"},
      {{"presets", "--help"}, "Usage: gallery presets"},
      {{"--version"}, "gallery (gallerygen) "},
      {{"build", "-V", "too", "many", "operands"}, "gallery (gallerygen) "},
  };
  for (const Case& c : cases) {
    CliResult result = RunCli(c.arguments);
    EXPECT_EQ(ExitCode::kBuilt, result.exit_code) << c.starts_with;
    EXPECT_EQ(0u, result.out.find(c.starts_with)) << result.out;
    EXPECT_EQ("", result.err) << c.starts_with;
  }
  CliResult wrong = RunCli({"build"});
  EXPECT_EQ(ExitCode::kUsage, wrong.exit_code);
  EXPECT_EQ("", wrong.out);
  EXPECT_EQ(
      "gallery: error: too few arguments for 'build', which takes COLLECTION.xml OUTDIR. Run "
      "'gallery --help' for how to use it.\n",
      wrong.err);
}

TEST(GalleryCliTest, PresetsAreListedByNameWithTheirLooks) {
  CliResult result = RunCli({"presets"});
  EXPECT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
  for (const char* name : {"framed  ", "plain  ", "shaded  "}) {
    EXPECT_NE(std::string::npos, ("\n" + result.out).find(std::string("\n") + name))
        << name << " in\n"
        << result.out;
  }
  EXPECT_EQ(0u, result.out.find("framed  ")) << result.out;
}

// The files of a folder and their bytes, to show a run left them as they were.
std::vector<std::pair<std::string, std::string>> Snapshot(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const std::string& name : ListFolder(folder).value_or(std::vector<std::string>{})) {
    files.emplace_back(name, ReadFileBytes(folder + "/" + name).value_or("(unreadable)"));
  }
  std::sort(files.begin(), files.end());
  return files;
}

void SaveTestPhoto(const std::string& path, int width, int height, const char* date) {
  vips::VImage image =
      vips::VImage::black(width, height, vips::VImage::option()->set("bands", 3)) + 120;
  image = image.cast(VIPS_FORMAT_UCHAR).copy();
  if (date != nullptr) image.set("exif-ifd2-DateTimeOriginal", date);
  image.jpegsave(path.c_str());
}

class GalleryCliRunTest : public testing::Test {
 protected:
  GalleryCliRunTest() {
    photos_ = folder_.Join("photos");
    static_cast<void>(CreateFolder(photos_));
    SaveTestPhoto(photos_ + "/b_10.jpg", 40, 30, "2020:01:01 10:00:00");
    SaveTestPhoto(photos_ + "/b_9.jpg", 30, 40, "2021:01:01 10:00:00");
    SaveTestPhoto(photos_ + "/a.jpg", 20, 20, nullptr);
    folder_.WriteFile("photos/notes.txt", "not a photo");
  }

  TempFolder folder_;
  std::string photos_;
};

TEST_F(GalleryCliRunTest, NewMakesTheCollectionAndBuildsItLeavingThePhotosAlone) {
  folder_.WriteFile("photos/broken.jpg", "no JPEG at all");
  auto before = Snapshot(photos_);
  std::string out = folder_.Join("site");
  CliResult result = RunCli({"new", photos_, out, "--title", "Trip & more", "--preset", "framed"});
  ASSERT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
  EXPECT_EQ("", result.out);
  EXPECT_EQ(before, Snapshot(photos_));
  for (const char* name :
       {"index.htm", "collection.xml", "source-collection.xml", "images/0.jpg", "images/2.jpg",
        "thumbs/0.jpg", "pages/3.htm", "border/15.jpg", "advanced/next.jpg"}) {
    EXPECT_EQ(PathKind::kFile, GetPathKind(out + "/" + name)) << name;
  }
  // The undecodable photo is named, keeps its place and gets no image.
  EXPECT_NE(std::string::npos, result.err.find("gallery: warning: " + AbsolutePath(photos_) +
                                               "/broken.jpg: could not be decoded as an image"))
      << result.err;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(out + "/images/3.jpg"));
  // Name order, numbers by value; titles from the names.
  std::string source = ReadFileBytes(out + "/source-collection.xml").value_or("");
  size_t a = source.find("title=\"a\"");
  size_t b9 = source.find("title=\"b 9\"");
  size_t b10 = source.find("title=\"b 10\"");
  EXPECT_TRUE(a < b9 && b9 < b10 && b10 != std::string::npos) << source;
  EXPECT_NE(std::string::npos, source.find("title=\"Trip &amp; more\"")) << source;
  EXPECT_NE(std::string::npos, result.err.find("open " + AbsolutePath(out) + "/index.htm"))
      << result.err;
  // Nothing else was left beside the gallery.
  EXPECT_EQ(2u, Snapshot(folder_.path()).size());
}

TEST_F(GalleryCliRunTest, NewSortsByDateTakenWithUndatedLast) {
  std::string out = folder_.Join("site");
  CliResult result =
      RunCli({"new", photos_, out, "-t", "T", "--sort=date", "-q", "--no-thumbnails"});
  ASSERT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
  EXPECT_EQ("", result.err);
  std::string source = ReadFileBytes(out + "/source-collection.xml").value_or("");
  size_t b10 = source.find("title=\"b 10\"");
  size_t b9 = source.find("title=\"b 9\"");
  size_t a = source.find("title=\"a\"");
  EXPECT_TRUE(b10 < b9 && b9 < a && a != std::string::npos) << source;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(out + "/thumbs/0.jpg"));
}

TEST_F(GalleryCliRunTest, BuildWritesTheGalleryAndKeepsTheCollection) {
  std::string collection = folder_.WriteFile(
      "trip.xml",
      "<collection title=\"T\"><photo title=\"one\" path=\"" + photos_ +
          "/a.jpg\"/><photo title=\"two\" path=\"missing.jpg\"/>"
          "<style table_columns=\"2\" table_rows=\"2\" thumb_width=\"20\" thumb_height=\"20\""
          " thumb_type=\"1\"/></collection>");
  std::string bytes = ReadFileBytes(collection).value_or("");
  std::string out = folder_.Join("site");
  CliResult result = RunCli({"build", collection, out + "/", "--output", "out.xml"});
  ASSERT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
  EXPECT_EQ(bytes, ReadFileBytes(collection).value_or(""));
  EXPECT_EQ(PathKind::kFile, GetPathKind(out + "/out.xml"));
  EXPECT_EQ(PathKind::kFile, GetPathKind(out + "/images/0.jpg"));
  EXPECT_NE(std::string::npos,
            result.err.find("gallery: warning: " + folder_.Join("images/missing.jpg") +
                            ": could not be read (missing, or no permission); photo 2"))
      << result.err;
  EXPECT_NE(std::string::npos, result.err.find("gallery: 2/2 photos")) << result.err;

  // Building again into the same gallery folder is allowed and overwrites it.
  CliResult again = RunCli({"build", collection, out, "-q"});
  EXPECT_EQ(ExitCode::kBuilt, again.exit_code) << again.err;
}

TEST_F(GalleryCliRunTest, BadInputIsExplainedAndLeavesNothingBehind) {
  std::string file = folder_.WriteFile("plain-file", "mine");
  std::string not_gallery = folder_.Join("letters");
  ASSERT_TRUE(CreateFolder(not_gallery));
  folder_.WriteFile("letters/letter.txt", "mine too");
  std::string empty_photos = folder_.Join("empty");
  ASSERT_TRUE(CreateFolder(empty_photos));
  folder_.WriteFile("empty/readme.txt", "");
  ASSERT_EQ(
      0, symlink((folder_.path() + "/gone.jpg").c_str(), (empty_photos + "/dangling.jpg").c_str()));
  std::string no_style = folder_.WriteFile("bad.xml", "<collection><photo/></collection>");
  std::string wrong_root = folder_.WriteFile("root.xml", "<gallery><style/></gallery>");
  std::string broken = folder_.WriteFile("broken.xml", "<collection><style/>");
  std::string fifo = folder_.Join("pipe.xml");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  std::string out = folder_.Join("site");
  struct Case {
    std::vector<std::string> arguments;
    ExitCode exit_code;
    std::string message;
  } cases[] = {
      {{"new", folder_.Join("nope"), out, "-t", "T"},
       ExitCode::kLoadFailed,
       folder_.Join("nope") + ": no such folder."},
      {{"new", file, out, "-t", "T"}, ExitCode::kLoadFailed, file + ": is not a folder."},
      {{"new", empty_photos, out, "-t", "T"},
       ExitCode::kLoadFailed,
       empty_photos + ": holds no photos that can be read"},
      {{"new", photos_, out, "-t", "T", "-p", "glossy"},
       ExitCode::kUsage,
       "'glossy' is no known preset. Run 'gallery presets' to list them."},
      {{"new", photos_, out, "-t", "T", "-p", "../presets/plain"},
       ExitCode::kUsage,
       "is no known preset"},
      {{"new", photos_, file, "-t", "T"},
       ExitCode::kGenerateFailed,
       file + ": is a file, not a folder."},
      {{"new", photos_, folder_.Join("no/site"), "-t", "T"},
       ExitCode::kGenerateFailed,
       folder_.Join("no/site") + ": its parent folder " + folder_.Join("no") + " does not exist."},
      {{"new", photos_, not_gallery, "-t", "T"},
       ExitCode::kGenerateFailed,
       not_gallery + ": the folder holds other files and no earlier gallery"},
      {{"build", folder_.Join("none.xml"), out},
       ExitCode::kLoadFailed,
       folder_.Join("none.xml") + ": no such file."},
      {{"build", no_style, out},
       ExitCode::kLoadFailed,
       no_style + ": is not a collection file that can be loaded: its root element <collection> "
                  "holds no <style> element."},
      {{"build", wrong_root, out},
       ExitCode::kLoadFailed,
       wrong_root + ": is not a collection file that can be loaded: its root element must be "
                    "<collection>."},
      {{"build", broken, out},
       ExitCode::kLoadFailed,
       broken + ": is not a collection file that can be loaded: it is not well-formed XML"},
      {{"build", fifo, out}, ExitCode::kLoadFailed, fifo + ": is not a regular file."},
      {{"build", photos_, out}, ExitCode::kLoadFailed, photos_ + ": is a folder"},
  };
  for (const Case& c : cases) {
    CliResult result = RunCli(c.arguments);
    EXPECT_EQ(c.exit_code, result.exit_code) << c.message;
    EXPECT_NE(std::string::npos, result.err.find("gallery: error: ")) << result.err;
    EXPECT_NE(std::string::npos, result.err.find(c.message)) << result.err;
    // One line for the error, whatever warnings came before it.
    EXPECT_EQ(result.err.size() - 1, result.err.find('\n', result.err.find("gallery: error: ")))
        << result.err;
    EXPECT_EQ(PathKind::kMissing, GetPathKind(out)) << c.message;
  }
  EXPECT_EQ("mine", ReadFileBytes(file).value_or(""));
  EXPECT_EQ(1u, Snapshot(not_gallery).size());
  // Nothing was added beside the inputs: no staging folder, no gallery.
  EXPECT_EQ(8u, Snapshot(folder_.path()).size());
}

TEST_F(GalleryCliRunTest, BuildRefusesToOverwriteItsInputs) {
  std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt, RunCli({"new", photos_, site, "-t", "T", "-q"}).exit_code);
  // The gallery's own collection names its page images; building it into its own folder would
  // write over them.
  std::string own = site + "/source-collection.xml";
  std::string inside = folder_.WriteFile(
      "inside.xml", "<collection><photo path=\"" + site + "/images/0.jpg\"/><style/></collection>");
  // A second name of a page image, outside the gallery.
  ASSERT_EQ(0, link((site + "/images/0.jpg").c_str(), folder_.Join("linked.jpg").c_str()));
  std::string linked =
      folder_.WriteFile("linked.xml", "<collection><photo path=\"" + folder_.Join("linked.jpg") +
                                          "\"/><style/></collection>");
  auto before = Snapshot(site + "/images");
  std::string source_before = ReadFileBytes(own).value_or("");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"build", own, site, "--output", "source-collection.xml"},
       own + ": the output collection file would replace this input file."},
      {{"build", inside, site}, site + "/images/0.jpg: this photo lies in a folder"},
      {{"build", linked, site},
       folder_.Join("linked.jpg") + ": this photo is also a file that the gallery in " + site},
      {{"new", site + "/images", site, "-t", "Again"},
       AbsolutePath(site) + "/images/0.jpg: this photo lies in a folder"},
  };
  for (const Case& c : cases) {
    CliResult result = RunCli(c.arguments);
    EXPECT_EQ(ExitCode::kGenerateFailed, result.exit_code) << c.message;
    EXPECT_NE(std::string::npos, result.err.find(c.message)) << result.err;
  }
  EXPECT_EQ(before, Snapshot(site + "/images"));
  EXPECT_EQ(source_before, ReadFileBytes(own).value_or(""));
}

}  // namespace
}  // namespace gallery
