#include "app/gallery_cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "collection/gallery_builder.h"
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

// The classic theme, whose output collection file and pages these tests read.
CliResult RunClassic(std::vector<std::string> arguments) {
  arguments.push_back("--theme=classic");
  return RunCli(arguments);
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
  CliResult result =
      RunClassic({"new", photos_, out, "--title", "Trip & more", "--preset", "framed"});
  ASSERT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
  EXPECT_EQ("", result.out);
  EXPECT_EQ(before, Snapshot(photos_));
  for (const char* name : {"index.htm", "collection.xml", "images/0.jpg", "images/2.jpg",
                           "thumbs/0.jpg", "pages/3.htm", "border/15.jpg", "advanced/next.jpg"}) {
    EXPECT_EQ(PathKind::kFile, GetPathKind(out + "/" + name)) << name;
  }
  // The undecodable photo is named, keeps its place and gets no image.
  EXPECT_NE(std::string::npos, result.err.find("gallery: warning: " + AbsolutePath(photos_) +
                                               "/broken.jpg: could not be decoded as an image"))
      << result.err;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(out + "/images/3.jpg"));
  // Name order, numbers by value; titles from the names.
  EXPECT_EQ(PathKind::kMissing, GetPathKind(out + "/source-collection.xml"));
  std::string source = ReadFileBytes(out + ".collection.xml").value_or("");
  size_t a = source.find("title=\"a\"");
  size_t b9 = source.find("title=\"b 9\"");
  size_t b10 = source.find("title=\"b 10\"");
  EXPECT_TRUE(a < b9 && b9 < b10 && b10 != std::string::npos) << source;
  EXPECT_NE(std::string::npos, source.find("title=\"Trip &amp; more\"")) << source;
  EXPECT_NE(std::string::npos, result.err.find("open " + AbsolutePath(out) + "/index.htm"))
      << result.err;
  // Beside the gallery, only its editable collection, which names no file the gallery has.
  EXPECT_EQ(3u, Snapshot(folder_.path()).size());
  EXPECT_EQ(std::string::npos, ReadFileBytes(out + "/collection.xml").value_or("").find(photos_));
}

TEST_F(GalleryCliRunTest, NewSortsByDateTakenWithUndatedLast) {
  std::string out = folder_.Join("site");
  CliResult result =
      RunClassic({"new", photos_, out, "-t", "T", "--sort=date", "-q", "--no-thumbnails"});
  ASSERT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
  EXPECT_EQ("", result.err);
  std::string source = ReadFileBytes(out + ".collection.xml").value_or("");
  size_t b10 = source.find("title=\"b 10\"");
  size_t b9 = source.find("title=\"b 9\"");
  size_t a = source.find("title=\"a\"");
  EXPECT_TRUE(b10 < b9 && b9 < a && a != std::string::npos) << source;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(out + "/thumbs/0.jpg"));
}

TEST_F(GalleryCliRunTest, CameraNamesAreTitledByTheDateTakenAndTheTitlesCanBeChosen) {
  const std::string camera = folder_.Join("camera");
  static_cast<void>(CreateFolder(camera));
  SaveTestPhoto(camera + "/PXL_20240712_143501123.jpg", 20, 20, "2024:07:12 14:35:01");
  SaveTestPhoto(camera + "/IMG_0042.JPG", 20, 20, nullptr);
  SaveTestPhoto(camera + "/Sea_view.jpg", 20, 20, "2023:03:04 05:06:07");
  // The collection's titles, in its order (by name: IMG, PXL, Sea).
  auto titles = [&](const std::vector<std::string>& extra, const std::string& out) {
    std::vector<std::string> arguments = {"new", camera, folder_.Join(out), "-t", "T", "-q"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    CliResult result = RunCli(arguments);
    EXPECT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
    CGalleryBuilder collection;
    EXPECT_EQ(LoadFailure::kNone, collection.Load(folder_.Join(out) + ".collection.xml"));
    std::vector<std::string> shown;
    for (const CPhotoEntry& photo : collection.photos()) shown.push_back(photo.title);
    return shown;
  };
  EXPECT_EQ((std::vector<std::string>{"", "12 July 2024, 14:35", "Sea view"}), titles({}, "a"));
  // The photo without a date has no title, and its page names it by its place.
  const std::string page = ReadFileBytes(folder_.Join("a/photo-1.html")).value_or("");
  EXPECT_NE(std::string::npos, page.find("<h1>Photo 1 of 3</h1>")) << page;
  EXPECT_EQ((std::vector<std::string>{"IMG 0042", "PXL 20240712 143501123", "Sea view"}),
            titles({"--titles=names"}, "b"));
  // By date: the dates read for the order give the titles.
  EXPECT_EQ((std::vector<std::string>{"4 March 2023, 05:06", "12 July 2024, 14:35", ""}),
            titles({"--titles", "dates", "--sort=date"}, "c"));
  EXPECT_EQ((std::vector<std::string>{"", "", ""}),
            titles({"--titles=none", "--theme=classic"}, "d"));
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
  CliResult result = RunClassic({"build", collection, out + "/", "--output", "out.xml"});
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
  CliResult again = RunClassic({"build", collection, out, "-q", "--output", "out.xml"});
  EXPECT_EQ(ExitCode::kBuilt, again.exit_code) << again.err;
  // Under another name, the output collection file that the last build wrote goes with it.
  CliResult renamed = RunClassic({"build", collection, out, "-q"});
  EXPECT_EQ(ExitCode::kBuilt, renamed.exit_code) << renamed.err;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(out + "/out.xml"));
  EXPECT_EQ(PathKind::kFile, GetPathKind(out + "/collection.xml"));
}

TEST_F(GalleryCliRunTest, TitleAndDescriptionShowAsWrittenInEitherTheme) {
  const std::string title = "<script>alert(1)</script> & 100%";
  const std::string description = "<img src=x onerror=alert(1)> &amp;";
  for (const char* theme : {"classic", "modern"}) {
    const std::string site = folder_.Join(std::string("site-") + theme);
    CliResult result =
        RunCli({"new", photos_, site, "-t", title, "-d", description, "-q", "--theme", theme});
    ASSERT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
    // The collection keeps the person's text as it was given.
    CGalleryBuilder collection;
    ASSERT_EQ(LoadFailure::kNone, collection.Load(site + ".collection.xml"));
    EXPECT_EQ(title, collection.style().collection_title);
    EXPECT_EQ(description, collection.style().collection_desc);
    const std::string index =
        ReadFileBytes(site + (std::string(theme) == "classic" ? "/index.htm" : "/index.html"))
            .value_or("");
    EXPECT_EQ(std::string::npos, index.find("<script>alert")) << theme;
    EXPECT_EQ(std::string::npos, index.find("<img src=x")) << theme;
    EXPECT_NE(std::string::npos,
              index.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; 100%</title>"))
        << theme << ": " << index;
    if (std::string(theme) == "modern") {
      EXPECT_NE(std::string::npos, index.find("&lt;img src=x onerror=alert(1)&gt; &amp;amp;"))
          << index;
    }
  }
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
  const std::string dangling = folder_.Join("linked-site");
  ASSERT_EQ(0, symlink(folder_.Join("gone-site").c_str(), dangling.c_str()));
  struct Case {
    std::vector<std::string> arguments;
    ExitCode exit_code;
    std::string message;
  } cases[] = {
      {{"new", photos_, dangling, "-t", "T"},
       ExitCode::kGenerateFailed,
       dangling + ": is a link to a folder that does not exist."},
      {{"new", photos_, out, "-t", "Caf\xE9"},
       ExitCode::kUsage,
       "--title: the text is not valid UTF-8. Give it in UTF-8."},
      {{"new", photos_, out, "-t", "T", "-d", "red\x1B[31m"},
       ExitCode::kUsage,
       "--description: the text holds a control character"},
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
       not_gallery + ": holds files but no record of what a build wrote there"},
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
       broken + ":1:21: is not well-formed XML: an element or tag is not closed"},
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
  // Nothing was added beside the inputs: no staging folder, no gallery, no collection file.
  EXPECT_EQ(9u, Snapshot(folder_.path()).size());
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder_.Join("gone-site")));
}

TEST_F(GalleryCliRunTest, InputsInsideTheReplacedGalleryAreRefused) {
  std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt, RunClassic({"new", photos_, site, "-t", "T", "-q"}).exit_code);
  std::string own = site + "/collection.xml";
  std::string inside = folder_.WriteFile(
      "inside.xml", "<collection><photo path=\"" + site + "/images/0.jpg\"/><style/></collection>");
  auto before = Snapshot(site + "/images");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"build", own, site}, own + ": this collection file lies inside " + site},
      {{"build", inside, site}, site + "/images/0.jpg: this photo lies inside " + site},
      {{"new", site + "/images", site, "-t", "Again", "-c", folder_.Join("again.xml")},
       AbsolutePath(site) + "/images/0.jpg: this photo lies inside"},
      {{"new", photos_, site, "-t", "Again", "-c", site + "/c.xml"},
       site + "/c.xml: this collection file lies inside"},
  };
  for (const Case& c : cases) {
    CliResult result = RunCli(c.arguments);
    EXPECT_EQ(ExitCode::kGenerateFailed, result.exit_code) << c.message;
    EXPECT_NE(std::string::npos, result.err.find(c.message)) << result.err;
  }
  EXPECT_EQ(before, Snapshot(site + "/images"));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder_.Join("again.xml")));

  // A photo that is a second name of a page image survives the gallery it came from.
  ASSERT_EQ(0, link((site + "/images/0.jpg").c_str(), folder_.Join("linked.jpg").c_str()));
  const std::string linked_bytes = ReadFileBytes(folder_.Join("linked.jpg")).value_or("");
  std::string linked =
      folder_.WriteFile("linked.xml", "<collection><photo path=\"" + folder_.Join("linked.jpg") +
                                          "\"/><style/></collection>");
  CliResult rebuilt = RunClassic({"build", linked, site, "-q"});
  EXPECT_EQ(ExitCode::kBuilt, rebuilt.exit_code) << rebuilt.err;
  EXPECT_EQ(linked_bytes, ReadFileBytes(folder_.Join("linked.jpg")).value_or(""));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/images/1.jpg"));
}

TEST_F(GalleryCliRunTest, RebuildLeavesNothingOfTheEarlierGallery) {
  std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt, RunClassic({"new", photos_, site, "-t", "T", "-q"}).exit_code);
  ASSERT_EQ(PathKind::kFile, GetPathKind(site + "/pages/2.htm"));
  // One photo fewer: its page and images go with the earlier gallery.
  std::string collection = ReadFileBytes(site + ".collection.xml").value_or("");
  const size_t photo = collection.find("<photo ");
  collection.erase(photo, collection.find("/>", photo) + 2 - photo);
  std::string edited = folder_.WriteFile("edited.xml", collection);
  CliResult result = RunClassic({"build", edited, site});
  ASSERT_EQ(ExitCode::kBuilt, result.exit_code) << result.err;
  EXPECT_NE(std::string::npos, result.err.find("gallery: built " + site +
                                               " in 0:00: made 2, "
                                               "skipped 0\n"))
      << result.err;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/pages/2.htm"));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/images/2.jpg"));
  EXPECT_EQ(PathKind::kFile, GetPathKind(site + "/pages/1.htm"));
  // Nothing but the gallery, its collection and the inputs beside it: no staging folder.
  EXPECT_EQ(4u, Snapshot(folder_.path()).size());
}

TEST_F(GalleryCliRunTest, NewNeverReplacesACollectionFile) {
  std::string site = folder_.Join("site");
  std::string mine = folder_.WriteFile("site.collection.xml", "my edits");
  CliResult result = RunClassic({"new", photos_, site, "-t", "T"});
  EXPECT_EQ(ExitCode::kGenerateFailed, result.exit_code);
  EXPECT_NE(std::string::npos, result.err.find("run 'gallery build " + mine + " " + site + "'"))
      << result.err;
  EXPECT_EQ("my edits", ReadFileBytes(mine).value_or(""));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site));
  // Named elsewhere, it is written there; a failed build takes it away again.
  std::string elsewhere = folder_.Join("trip.xml");
  EXPECT_EQ(
      ExitCode::kBuilt,
      RunClassic({"new", photos_, site, "-t", "T", "-q", "--collection", elsewhere}).exit_code);
  EXPECT_EQ(PathKind::kFile, GetPathKind(elsewhere));
  std::string broken = folder_.Join("broken");
  ASSERT_TRUE(CreateFolder(broken));
  folder_.WriteFile("broken/x.jpg", "no JPEG");
  CliResult failed = RunClassic({"new", broken, site, "-t", "T", "-c", folder_.Join("b.xml")});
  EXPECT_EQ(ExitCode::kNoPhotoMade, failed.exit_code) << failed.err;
  EXPECT_NE(std::string::npos, failed.err.find("not one photo could be made")) << failed.err;
  EXPECT_NE(std::string::npos, failed.err.find("The earlier gallery was kept.")) << failed.err;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder_.Join("b.xml")));
  EXPECT_EQ(PathKind::kFile, GetPathKind(site + "/images/2.jpg"));
}

TEST_F(GalleryCliRunTest, OutputNameMayNotBeAGalleryFileOrHidden) {
  std::string site = folder_.Join("site");
  for (const char* name : {"index.htm", "images", "pages"}) {
    CliResult result = RunClassic(
        {"new", photos_, site, "-t", "T", "-o", name, "-c", folder_.Join("c.xml"), "-p", "plain"});
    EXPECT_EQ(ExitCode::kUsage, result.exit_code) << name;
    EXPECT_NE(std::string::npos, result.err.find("the gallery has a file or folder of that name"))
        << result.err;
  }
  for (const char* name : {".htaccess", "../x.xml", "a/b.xml"}) {
    EXPECT_EQ(ExitCode::kUsage, RunClassic({"new", photos_, site, "-t", "T", "-o", name}).exit_code)
        << name;
  }
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(folder_.Join("c.xml")));
}

// Every entry of a gallery but the record of its build, which tells builds apart by the inodes
// and times of their files.
std::map<std::string, std::string> GalleryFiles(const std::string& folder) {
  std::map<std::string, std::string> files = TreeSnapshot(folder);
  files.erase(".gallery-record");
  return files;
}

TEST_F(GalleryCliRunTest, UnchangedGalleriesAreRebuiltLikeFreshOnes) {
  for (const char* theme : {"--theme=modern", "--theme=classic"}) {
    const std::string site = folder_.Join(std::string("site") + theme);
    const std::string fresh = site + "-fresh";
    const std::string collection = site + ".collection.xml";
    ASSERT_EQ(ExitCode::kBuilt, RunCli({"new", photos_, site, "-t", "T", "-q", theme}).exit_code);
    CliResult again = RunCli({"build", collection, site, "-q", theme});
    EXPECT_EQ(ExitCode::kBuilt, again.exit_code) << theme << again.err;
    ASSERT_EQ(ExitCode::kBuilt, RunCli({"build", collection, fresh, "-q", theme}).exit_code);
    EXPECT_EQ(GalleryFiles(fresh), GalleryFiles(site)) << theme;
    EXPECT_EQ(PathKind::kFile, GetPathKind(site + "/.gallery-record")) << theme;
  }
}

TEST_F(GalleryCliRunTest, RebuildRefusesWhatTheLastBuildDidNotWriteAndChangesNothing) {
  // Two photos, so that the names of a third photo's files are free to be taken by hand.
  ASSERT_TRUE(RemoveFile(photos_ + "/a.jpg"));
  const std::string site = folder_.Join("site");
  const std::string collection = site + ".collection.xml";
  ASSERT_EQ(ExitCode::kBuilt,
            RunCli({"new", photos_, site, "-t", "T", "-q", "--originals"}).exit_code);
  const std::string css = ReadFileBytes(site + "/assets/gallery.css").value_or("");
  std::string image = ReadFileBytes(site + "/images/1.jpg").value_or("");
  ASSERT_GT(image.size(), 100u);
  std::string edited_image = image;
  edited_image[100] = static_cast<char>(~edited_image[100]);
  struct Case {
    std::string path;
    std::string bytes;
    std::string message;
    bool keep_time = false;
  } cases[] = {
      {"originals/3.jpg", "mine", "holds originals/3.jpg, which the last build did not write."},
      {"images/7.jpg", "mine", "holds images/7.jpg, which the last build did not write."},
      {"photo-9.html", "mine", "holds photo-9.html, which the last build did not write."},
      {"assets/gallery.css", css + "p {}\n",
       "assets/gallery.css was changed since the last build wrote it."},
      // The same size and time: only the content tells.
      {"images/1.jpg", edited_image, "images/1.jpg was changed since the last build wrote it.",
       true},
  };
  const size_t beside = Snapshot(folder_.path()).size();
  for (const Case& c : cases) {
    const std::string path = site + "/" + c.path;
    const std::optional<std::string> earlier = ReadFileBytes(path);
    struct stat info;
    const bool existed = stat(path.c_str(), &info) == 0;
    folder_.WriteFile("site/" + c.path, c.bytes);
    if (c.keep_time) {
      const timespec times[2] = {info.st_atim, info.st_mtim};
      ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
    }
    const std::map<std::string, std::string> before = TreeSnapshot(site);
    CliResult result = RunCli({"build", collection, site});
    EXPECT_EQ(ExitCode::kGenerateFailed, result.exit_code) << c.path;
    EXPECT_NE(std::string::npos, result.err.find("gallery: error: " + site + ": " + c.message))
        << result.err;
    EXPECT_NE(std::string::npos, result.err.find("move it out of the folder")) << result.err;
    EXPECT_EQ(before, TreeSnapshot(site)) << c.path;
    EXPECT_EQ(beside, Snapshot(folder_.path()).size()) << c.path;
    // Put back as the last build wrote it (the same bytes, written anew).
    if (existed) {
      ASSERT_TRUE(WriteFileBytes(path, *earlier));
    } else {
      ASSERT_TRUE(RemoveFile(path));
    }
  }
  CliResult rebuilt = RunCli({"build", collection, site, "-q", "--originals"});
  EXPECT_EQ(ExitCode::kBuilt, rebuilt.exit_code) << rebuilt.err;
}

TEST_F(GalleryCliRunTest, OutputNamedAsSomeonesFileIsRefused) {
  const std::string site = folder_.Join("site");
  const std::string collection = site + ".collection.xml";
  ASSERT_EQ(ExitCode::kBuilt, RunClassic({"new", photos_, site, "-t", "T", "-q"}).exit_code);
  folder_.WriteFile("site/notes.xml", "my notes");
  const std::map<std::string, std::string> before = TreeSnapshot(site);
  CliResult result = RunClassic({"build", collection, site, "--output", "notes.xml"});
  EXPECT_EQ(ExitCode::kGenerateFailed, result.exit_code);
  EXPECT_NE(std::string::npos,
            result.err.find(site + ": holds notes.xml, which the last build did not write "
                                   "(--output names the same file)."))
      << result.err;
  EXPECT_EQ(before, TreeSnapshot(site));
  // Once it is a file the last build wrote, it is replaced like any other.
  ASSERT_TRUE(RemoveFile(site + "/notes.xml"));
  for (int build = 0; build < 2; ++build) {
    CliResult named = RunClassic({"build", collection, site, "-q", "--output", "notes.xml"});
    EXPECT_EQ(ExitCode::kBuilt, named.exit_code) << named.err;
  }
  EXPECT_NE("my notes", ReadFileBytes(site + "/notes.xml").value_or("my notes"));
}

TEST_F(GalleryCliRunTest, GalleryWithoutAWholeRecordOrWithALinkIsRefused) {
  const std::string site = folder_.Join("site");
  const std::string collection = site + ".collection.xml";
  ASSERT_EQ(ExitCode::kBuilt, RunCli({"new", photos_, site, "-t", "T", "-q"}).exit_code);
  const std::string record_path = site + "/.gallery-record";
  const std::string record = ReadFileBytes(record_path).value_or("");
  ASSERT_TRUE(CreateFolder(folder_.Join("elsewhere")));
  folder_.WriteFile("elsewhere/mine.txt", "mine");
  const std::string damaged =
      "its record of what the last build wrote, .gallery-record, is damaged or cut short";
  const std::string aside = "Move the folder aside (mv " + site + " " + site + ".old), build again";
  struct Case {
    std::string what;
    std::function<void()> change;
    std::string message;
  } cases[] = {
      {"cut short", [&] { ASSERT_TRUE(WriteFileBytes(record_path, record.substr(0, 90))); },
       damaged},
      {"its end lost",
       [&] { ASSERT_TRUE(WriteFileBytes(record_path, record.substr(0, record.size() - 1))); },
       damaged},
      {"a byte changed", [&] { ASSERT_TRUE(WriteFileBytes(record_path, "G" + record.substr(1))); },
       damaged},
      {"no record", [&] { ASSERT_TRUE(RemoveFile(record_path)); },
       "holds files but no record of what a build wrote there"},
      {"a link",
       [&] { ASSERT_EQ(0, symlink(folder_.Join("elsewhere").c_str(), (site + "/more").c_str())); },
       "holds more, which the last build did not write"},
  };
  for (const Case& c : cases) {
    c.change();
    const std::map<std::string, std::string> before = TreeSnapshot(site);
    CliResult result = RunCli({"build", collection, site});
    EXPECT_EQ(ExitCode::kGenerateFailed, result.exit_code) << c.what;
    EXPECT_NE(std::string::npos, result.err.find(site + ": " + c.message)) << result.err;
    if (c.message != cases[4].message) {
      EXPECT_NE(std::string::npos, result.err.find(aside)) << result.err;
    }
    EXPECT_EQ(before, TreeSnapshot(site)) << c.what;
    static_cast<void>(RemoveFileOrLink(site + "/more"));
    ASSERT_TRUE(WriteFileBytes(record_path, record));
  }
  EXPECT_EQ("mine", ReadFileBytes(folder_.Join("elsewhere/mine.txt")).value_or(""));
  CliResult rebuilt = RunCli({"build", collection, site, "-q"});
  EXPECT_EQ(ExitCode::kBuilt, rebuilt.exit_code) << rebuilt.err;
}

TEST_F(GalleryCliRunTest, FileAddedWhileBuildingKeepsTheEarlierGallery) {
  const std::string site = folder_.Join("site");
  const std::string collection = site + ".collection.xml";
  ASSERT_EQ(ExitCode::kBuilt, RunCli({"new", photos_, site, "-t", "T", "-q"}).exit_code);
  const std::map<std::string, std::string> built = TreeSnapshot(site);
  std::ostringstream out;
  std::ostringstream err;
  CCliEnvironment environment(out, err);
  environment.preset_folder = GALLERY_PRESET_SOURCE_DIR;
  environment.clock = [] { return 0.0; };
  // Asked first once OUTDIR has been checked: someone adds a file while the photos are made.
  bool added = false;
  environment.stop_requested = [&] {
    if (!added) folder_.WriteFile("site/notes.txt", "mine");
    added = true;
    return false;
  };
  EXPECT_EQ(ExitCode::kGenerateFailed,
            RunGalleryCli({"build", collection, site, "-q"}, environment));
  EXPECT_NE(std::string::npos,
            err.str().find("gallery: error: " + site +
                           ": changed while the gallery was made, so it was left as it was: it "
                           "holds notes.txt, which the last build did not write."))
      << err.str();
  std::map<std::string, std::string> expected = built;
  expected["notes.txt"] = "mine";
  EXPECT_EQ(expected, TreeSnapshot(site));
  // The photos, the gallery and its collection: the new gallery is gone with its staging folder.
  EXPECT_EQ(3u, Snapshot(folder_.path()).size());
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

TEST_F(GalleryCliRunTest, BuildKeepsTheOptionsTheGalleryWasMadeWithUnlessToldOtherwise) {
  const std::string site = folder_.Join("site");
  CliResult made = RunCli({"new", photos_, site, "-t", "T", "-q", "--captions", "--originals"});
  ASSERT_EQ(ExitCode::kBuilt, made.exit_code) << made.err;
  const std::string collection = site + ".collection.xml";
  const std::string bytes = ReadFileBytes(collection).value_or("");
  ASSERT_NE(std::string::npos, bytes.find("captions=\"yes\" originals=\"yes\"")) << bytes;
  // The dated photos have captions in their pages.
  const auto has_caption = [&site] {
    return ReadFileBytes(site + "/photo-3.html").value_or("").find("<figcaption") !=
           std::string::npos;
  };
  ASSERT_TRUE(has_caption());

  CliResult rebuilt = RunCli({"build", collection, site, "-q"});
  ASSERT_EQ(ExitCode::kBuilt, rebuilt.exit_code) << rebuilt.err;
  EXPECT_EQ(PathKind::kFolder, GetPathKind(site + "/originals"));
  EXPECT_TRUE(has_caption());
  CliResult without = RunCli({"build", collection, site, "-q", "--no-originals", "--no-captions"});
  ASSERT_EQ(ExitCode::kBuilt, without.exit_code) << without.err;
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/originals"));
  EXPECT_FALSE(has_caption());
  CliResult classic = RunClassic({"build", collection, site, "-q"});
  ASSERT_EQ(ExitCode::kBuilt, classic.exit_code) << classic.err;
  EXPECT_EQ(PathKind::kFile, GetPathKind(site + "/index.htm"));
  EXPECT_EQ(bytes, ReadFileBytes(collection).value_or(""));
}

}  // namespace
}  // namespace gallery
