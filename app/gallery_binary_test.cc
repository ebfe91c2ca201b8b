#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "platform/file_system.h"
#include "platform/file_tree.h"
#include "platform/folder_listing.h"
#include "tests/run_binary.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

std::vector<std::string> SortedNames(const std::string& folder) {
  std::vector<std::string> names = ListFolder(folder).value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  return names;
}

// The text a browser shows for the entities that titles made from file names use.
std::string ShownText(std::string html) {
  const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"},    {"&gt;", ">"},
                                                          {"&quot;", "\""}, {"&#39;", "'"},
                                                          {"&#37;", "%"},   {"&amp;", "&"}};
  for (const auto& [entity, text] : entities) {
    for (size_t at = html.find(entity); at != std::string::npos; at = html.find(entity, at + 1)) {
      html.replace(at, std::string(entity).size(), text);
    }
  }
  return html;
}

// Noise, so that its JPEG files are large and slow to make.
void SavePhoto(const std::string& path, int width, int height) {
  vips::VImage noise = vips::VImage::gaussnoise(width, height) * 2;
  noise.bandjoin({noise, noise}).cast(VIPS_FORMAT_UCHAR).jpegsave(path.c_str());
}

class GalleryBinaryTest : public testing::Test {
 protected:
  GalleryBinaryTest() {
    photos_ = folder_.Join("photos");
    site_ = folder_.Join("site");
    static_cast<void>(CreateFolder(photos_));
  }

  // `count` photos, large enough that a build of them takes a while.
  void AddPhotos(int count, int width, int height) {
    SavePhoto(photos_ + "/p0.jpg", width, height);
    const std::string bytes = ReadFileBytes(photos_ + "/p0.jpg").value_or("");
    for (int i = 1; i < count; ++i) {
      folder_.WriteFile("photos/p" + std::to_string(i) + ".jpg", bytes);
    }
  }

  TempFolder folder_;
  std::string photos_;
  std::string site_;
};

TEST_F(GalleryBinaryTest, TitlesFromFileNamesShowAsWrittenInEveryPage) {
  SavePhoto(photos_ + "/<img src=x onerror=alert(1)>.jpg", 40, 30);
  SavePhoto(photos_ + "/100% %%x%% Tom's.jpg", 40, 30);
  SavePhoto(photos_ + "/bad\xFF\x1B[31mname.jpg", 40, 30);
  SavePhoto(photos_ + "/line\nbreak.jpg", 40, 30);
  BinaryOptions options;
  BinaryResult result =
      RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q", "--theme=classic"}, options);
  ASSERT_EQ(0, result.exit_code) << result.output;
  // The name the collection cannot carry is named, escaped, and the run goes on.
  EXPECT_NE(std::string::npos, result.output.find("/bad\\xFF\\x1B[31mname.jpg: left out"))
      << result.output;
  EXPECT_NE(std::string::npos, result.output.find("/line\\x0Abreak.jpg: the name holds control"))
      << result.output;
  EXPECT_EQ(std::string::npos, result.output.find('\x1B')) << result.output;
  std::string pages;
  for (const auto& [name, bytes] : TreeSnapshot(site_)) {
    if (name.ends_with(".htm")) pages += bytes;
  }
  EXPECT_EQ(std::string::npos, pages.find("<img src=x")) << pages;
  for (const char* title : {"<img src=x onerror=alert(1)>", "100% %%x%% Tom's", "linebreak"}) {
    const std::string page_title = "<title>" + std::string(title) + "</title>";
    bool found = false;
    for (int page = 0; page < 3; ++page) {
      const std::string text =
          ShownText(ReadFileBytes(site_ + "/pages/" + std::to_string(page) + ".htm").value_or(""));
      found = found || text.find(page_title) != std::string::npos;
    }
    EXPECT_TRUE(found) << title;
    EXPECT_NE(std::string::npos, ShownText(pages).find(std::string(title) + "</")) << title;
  }
}

TEST_F(GalleryBinaryTest, InterruptedBuildsLeaveTheEarlierGalleryAndNoStaging) {
  AddPhotos(2, 64, 48);
  BinaryOptions plain;
  ASSERT_EQ(0, RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q"}, plain).exit_code);
  const std::map<std::string, std::string> earlier = TreeSnapshot(site_);
  // Enough photos that the build is still running a second in, when the process is well started
  // (its handlers are set only once the libraries are loaded), even on a fast machine.
  constexpr int kPhotos = 120;
  AddPhotos(kPhotos, 1600, 1200);
  std::string listed;
  for (int i = 0; i < kPhotos; ++i)
    listed += "<photo path=\"" + photos_ + "/p" + std::to_string(i) + ".jpg\"/>";
  const std::string collection =
      folder_.WriteFile("many.xml", "<collection>" + listed + "<style/></collection>");
  const std::vector<std::string> beside = SortedNames(folder_.path());
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    BinaryOptions options;
    options.kill_signal = signal_number;
    options.kill_after_microseconds = 1000000;
    // No cache: each run must start from nothing to be sure to be still running when stopped.
    BinaryResult result = RunGalleryBinary({"build", collection, site_, "--no-cache"}, options);
    ASSERT_TRUE(result.killed) << signal_number << ": " << result.output;
    EXPECT_NE(std::string::npos, result.output.find("gallery: interrupted, nothing was changed\n"))
        << result.output;
    EXPECT_EQ(earlier, TreeSnapshot(site_)) << signal_number;
    EXPECT_EQ(beside, SortedNames(folder_.path())) << signal_number;
  }
  // A build killed outright leaves its staging; the next build into the place removes it.
  BinaryOptions kill;
  kill.kill_after_microseconds = 1000000;
  ASSERT_TRUE(RunGalleryBinary({"build", collection, site_, "--no-cache"}, kill).killed);
  EXPECT_EQ(earlier, TreeSnapshot(site_));
  BinaryResult next = RunGalleryBinary({"build", collection, site_, "-q"}, plain);
  EXPECT_EQ(0, next.exit_code) << next.output;
  EXPECT_EQ(beside, SortedNames(folder_.path()));
}

// `names` without the staging folders of the gallery `site` beside it.
std::vector<std::string> WithoutStaging(std::vector<std::string> names) {
  std::erase_if(names, [](const std::string& name) { return name.starts_with(".site.staging-"); });
  return names;
}

// `names` with what `gallery new` adds beside them: the gallery `site` and its collection file.
std::vector<std::string> WithNewGallery(std::vector<std::string> names) {
  names.insert(names.end(), {"site", "site.collection.xml"});
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(GalleryBinaryTest, StoppedNewBuildsLeaveNothingAndTheSameCommandThenWorks) {
  constexpr int kPhotos = 100;
  AddPhotos(kPhotos, 1600, 1200);
  const std::vector<std::string> before = SortedNames(folder_.path());
  // Without the cache, so that each run starts from nothing and is still running when stopped.
  const std::vector<std::string> command = {"new", photos_, site_, "-t", "T", "-q", "--no-cache"};
  for (int signal_number : {SIGTERM, SIGHUP}) {
    // As `timeout` sends it: to the process and to its group, so that it comes twice.
    BinaryOptions twice;
    twice.kill_signal = signal_number;
    twice.kill_after_microseconds = 1000000;
    twice.kill_group_too = true;
    const BinaryResult stopped = RunGalleryBinary(command, twice);
    EXPECT_EQ(signal_number, stopped.end_signal) << stopped.output;
    EXPECT_NE(std::string::npos, stopped.output.find("gallery: interrupted, nothing was changed\n"))
        << stopped.output;
    EXPECT_EQ(before, SortedNames(folder_.path())) << signal_number;
  }
  // A second request ends the build at once, its new collection file with it; the staging
  // folder it leaves goes with the next build.
  BinaryOptions again;
  again.kill_signal = SIGINT;
  again.kill_after_microseconds = 1000000;
  again.second_signal = SIGTERM;
  // Which of the two ends it depends on the machine's load: when the run was not scheduled
  // between them, both are pending together and the handler of the later-numbered one runs
  // first. Either way it ends at once, without the rolling back that a single request is
  // answered with. On a loaded machine the second signal may also come only once the build is
  // rolling back; that run ends as for one request and is tried again. Such a run was once seen,
  // under heavy load, to leave its staging folder behind, which the next build removes (as it
  // removes that of a build ended at once): what the person sees is checked, not that folder.
  BinaryResult ended;
  bool at_once = false;
  for (int attempt = 0; attempt < 4 && !at_once; ++attempt) {
    ended = RunGalleryBinary(command, again);
    EXPECT_EQ(before, WithoutStaging(SortedNames(folder_.path())));
    at_once = ended.output.find("gallery: interrupted") == std::string::npos;
  }
  EXPECT_TRUE(at_once) << ended.output;
  EXPECT_TRUE(ended.end_signal == SIGINT || ended.end_signal == SIGTERM) << ended.end_signal;

  const BinaryResult built = RunGalleryBinary(command, BinaryOptions());
  EXPECT_EQ(0, built.exit_code) << built.output;
  EXPECT_EQ(WithNewGallery(before), SortedNames(folder_.path()));
}

TEST_F(GalleryBinaryTest, ASecondRequestWhileRollingBackLeavesNothing) {
  AddPhotos(60, 1600, 1200);
  const std::vector<std::string> before = SortedNames(folder_.path());
  const std::string collection = site_ + ".collection.xml";
  BinaryOptions options;
  options.kill_signal = SIGINT;
  options.kill_after_microseconds = 1000000;
  options.second_signal = SIGTERM;
  // The new collection file goes first as the stopped build rolls back, its staging folder
  // right after: the second request comes between the two.
  bool written = false;
  options.second_signal_when = [&] {
    const bool present = GetPathKind(collection) == PathKind::kFile;
    written = written || present;
    return written && !present;
  };
  const BinaryResult result =
      RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q", "--no-cache"}, options);
  EXPECT_EQ(SIGINT, result.end_signal) << result.output;
  EXPECT_NE(std::string::npos, result.output.find("gallery: interrupted, nothing was changed\n"))
      << result.output;
  EXPECT_EQ(before, SortedNames(folder_.path()));
}

TEST_F(GalleryBinaryTest, SignalAfterTheGalleryIsInPlaceLeavesTheBuildSucceeded) {
  // Many small photos: the earlier gallery then has many files, whose removal after the new
  // gallery took its place gives the signal time to arrive while the run still lasts.
  AddPhotos(300, 64, 48);
  ASSERT_EQ(0,
            RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q"}, BinaryOptions()).exit_code);
  const std::vector<std::string> beside = SortedNames(folder_.path());
  auto inode = [this] {
    struct stat info = {};
    return stat(site_.c_str(), &info) == 0 ? info.st_ino : 0;
  };
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const ino_t earlier = inode();
    BinaryOptions options;
    options.kill_signal = signal_number;
    // Sent as soon as the new gallery has taken the earlier one's place.
    options.kill_when = [&] { return inode() != earlier; };
    const BinaryResult result =
        RunGalleryBinary({"build", site_ + ".collection.xml", site_, "--no-cache"}, options);
    EXPECT_EQ(0, result.exit_code) << signal_number << ": " << result.output;
    EXPECT_EQ(std::string::npos, result.output.find("interrupted")) << result.output;
    EXPECT_EQ(PathKind::kFile, GetPathKind(site_ + "/photo-300.html")) << signal_number;
    EXPECT_EQ(beside, SortedNames(folder_.path())) << signal_number;
  }
}

TEST_F(GalleryBinaryTest, ClosedProgressReaderLeavesTheBuildToFinish) {
  AddPhotos(8, 64, 48);
  const std::vector<std::string> before = SortedNames(folder_.path());
  BinaryOptions options;
  // As `gallery ... 2>&1 | head -1` reads it.
  options.close_output_after_line = true;
  const BinaryResult result =
      RunGalleryBinary({"new", photos_, site_, "-t", "T", "--theme=classic"}, options);
  EXPECT_EQ(0, result.exit_code) << result.end_signal << ": " << result.output;
  EXPECT_EQ(PathKind::kFile, GetPathKind(site_ + "/index.htm"));
  EXPECT_EQ(WithNewGallery(before), SortedNames(folder_.path()));
}

TEST_F(GalleryBinaryTest, ABrokenCollectionFileNamesTheLineColumnAndMistake) {
  const std::string collection = folder_.WriteFile(
      "trip.collection.xml",
      "<?xml version=\"1.0\"?>\n<collection title=\"Trip\">\n  <photo title=\"Fish & chips\" "
      "path=\"a.jpg\"/>\n  <style/>\n</collection>\n");
  BinaryResult result = RunGalleryBinary({"build", collection, site_, "-q"}, BinaryOptions());
  EXPECT_EQ(3, result.exit_code) << result.output;
  EXPECT_EQ("gallery: error: " + collection +
                ":3:23: is not well-formed XML: an '&' must start a reference such as &amp; and "
                "end it with ';' (write & as &amp;). Fix the file or name another.\n",
            result.output);
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site_));
}

TEST_F(GalleryBinaryTest, FileSizeLimitFailsClearlyAndKeepsTheEarlierGallery) {
  AddPhotos(3, 400, 300);
  BinaryOptions plain;
  ASSERT_EQ(0, RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q", "--theme=classic"}, plain)
                   .exit_code);
  const std::map<std::string, std::string> earlier = TreeSnapshot(site_);
  const std::vector<std::string> beside = SortedNames(folder_.path());
  // At 4000 bytes the pages fit and no photo's page image does; at 0 nothing fits. Either way
  // the build fails on the first file it cannot write, and says why.
  for (long limit : {4000L, 0L}) {
    BinaryOptions options;
    options.file_size_limit = limit;
    // Without the cache, whose images would be linked in place rather than written.
    BinaryResult result = RunGalleryBinary(
        {"build", site_ + ".collection.xml", site_, "-q", "--theme=classic", "--no-cache"},
        options);
    EXPECT_EQ(4, result.exit_code) << result.output;
    EXPECT_EQ(0u, result.output.find("gallery: error: " + site_ + "/")) << result.output;
    EXPECT_NE(std::string::npos,
              result.output.find(": could not be written, as the file-size limit is reached. "
                                 "Raise the limit (ulimit -f) and build again. The earlier "
                                 "gallery was kept.\n"))
        << result.output;
    EXPECT_EQ(std::string::npos, result.output.find("warning")) << result.output;
    EXPECT_EQ(earlier, TreeSnapshot(site_)) << limit;
    EXPECT_EQ(beside, SortedNames(folder_.path())) << limit;
  }
  // The collection file of 'gallery new' is the first file written: it names the same cause.
  BinaryOptions none;
  none.file_size_limit = 0;
  const std::string other = folder_.Join("other");
  BinaryResult result = RunGalleryBinary({"new", photos_, other, "-t", "T", "-q"}, none);
  EXPECT_EQ(4, result.exit_code) << result.output;
  EXPECT_EQ("gallery: error: " + other +
                ".collection.xml: could not be written, as the file-size limit is reached. Raise "
                "the limit (ulimit -f) and build again. Or name another place with --collection "
                "FILE.\n",
            result.output);
  EXPECT_EQ(beside, SortedNames(folder_.path()));
}

TEST_F(GalleryBinaryTest, APhotoThatCannotBeWrittenFailsTheRebuildInEitherTheme) {
  // Three photos of noise, whose page images are large, and three small plain ones.
  AddPhotos(3, 500, 400);
  for (int i = 3; i < 6; ++i) {
    vips::VImage::black(40, 30, vips::VImage::option()->set("bands", 3))
        .jpegsave((photos_ + "/p" + std::to_string(i) + ".jpg").c_str());
  }
  for (const char* theme : {"--theme=classic", "--theme=modern"}) {
    const std::string site = site_ + theme;
    BinaryOptions plain;
    ASSERT_EQ(0, RunGalleryBinary({"new", photos_, site, "-t", "T", "-q", theme}, plain).exit_code);
    const std::map<std::string, std::string> earlier = TreeSnapshot(site);
    // Larger than any page, smaller than a page image of noise: the build gets half way.
    BinaryOptions options;
    options.file_size_limit = 30000;
    BinaryResult result =
        RunGalleryBinary({"build", site + ".collection.xml", site, theme, "--no-cache"}, options);
    EXPECT_EQ(4, result.exit_code) << theme << ": " << result.output;
    EXPECT_NE(std::string::npos, result.output.find(site + "/images/")) << result.output;
    EXPECT_NE(std::string::npos,
              result.output.find(": could not be written, as the file-size limit is reached."))
        << result.output;
    EXPECT_EQ(std::string::npos, result.output.find("built ")) << result.output;
    EXPECT_EQ(std::string::npos, result.output.find("damaged")) << result.output;
    EXPECT_EQ(earlier, TreeSnapshot(site)) << theme;
  }
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

TEST_F(GalleryBinaryTest, UpdateAddsNewPhotosAndFoldersAndKeepsWhatThePersonEdited) {
  ASSERT_TRUE(CreateFolder(photos_ + "/2019"));
  SavePhoto(photos_ + "/2019/b.jpg", 40, 30);
  SavePhoto(photos_ + "/2019/d.jpg", 40, 30);
  SavePhoto(photos_ + "/loose.jpg", 30, 40);
  BinaryOptions options;
  BinaryResult made =
      RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q", "--theme=classic"}, options);
  ASSERT_EQ(0, made.exit_code) << made.output;
  const std::string collection = site_ + ".collection.xml";
  std::string bytes = ReadFileBytes(collection).value_or("");
  ASSERT_NE(std::string::npos, bytes.find("<album title=\"2019\"")) << bytes;
  ASSERT_NE(std::string::npos, bytes.find("theme=\"classic\"")) << bytes;
  // The person retitles the album and a photo; photos and a folder come, one photo goes.
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"title=\"2019\"",
                                                                     "title=\"Our 2019\""},
                                 {"title=\"d\"", "title=\"Dee\""}}) {
    bytes.replace(bytes.find(from), from.size(), to);
  }
  ASSERT_TRUE(WriteFileBytes(collection, bytes));
  SavePhoto(photos_ + "/2019/c.jpg", 40, 30);
  ASSERT_TRUE(CreateFolder(photos_ + "/2020 Trip"));
  SavePhoto(photos_ + "/2020 Trip/e.jpg", 40, 30);
  ASSERT_TRUE(RemoveFile(photos_ + "/loose.jpg"));
  const std::vector<std::string> beside = SortedNames(folder_.path());

  BinaryResult updated = RunGalleryBinary({"update", collection, site_}, options);
  ASSERT_EQ(0, updated.exit_code) << updated.output;
  EXPECT_NE(std::string::npos,
            updated.output.find("2 photos added (c.jpg, e.jpg), 1 album added (2020 Trip), 1 "
                                "photo dropped (loose.jpg), 0 albums dropped"))
      << updated.output;
  const std::string after = ReadFileBytes(collection).value_or("");
  EXPECT_NE(std::string::npos, after.find("<album title=\"Our 2019\"")) << after;
  EXPECT_NE(std::string::npos, after.find("<album title=\"2020 Trip\"")) << after;
  EXPECT_EQ(std::string::npos, after.find("loose.jpg")) << after;
  const size_t b = after.find("/2019/b.jpg");
  const size_t c = after.find("/2019/c.jpg");
  const size_t d = after.find("title=\"Dee\"");
  EXPECT_TRUE(b < c && c < d && d != std::string::npos) << after;
  // Still classic, as recorded: four photos in album order, nothing left beside the collection.
  const std::string index = ReadFileBytes(site_ + "/index.htm").value_or("");
  EXPECT_NE(std::string::npos, index.find("Dee")) << index;
  EXPECT_EQ(PathKind::kFile, GetPathKind(site_ + "/images/3.jpg"));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site_ + "/images/4.jpg"));
  EXPECT_EQ(beside, SortedNames(folder_.path()));

  // A second update finds nothing to do and leaves the file as it is.
  BinaryResult again = RunGalleryBinary({"update", collection, site_}, options);
  ASSERT_EQ(0, again.exit_code) << again.output;
  EXPECT_NE(std::string::npos, again.output.find("no photo or folder was added or dropped"));
  EXPECT_EQ(after, ReadFileBytes(collection).value_or(""));
}

TEST_F(GalleryBinaryTest, UpdateRefusesWhatItCannotReadAgainAndChangesNothing) {
  SavePhoto(photos_ + "/a.jpg", 40, 30);
  const std::string bare = folder_.WriteFile(
      "bare.xml", "<collection><photo path=\"" + photos_ + "/a.jpg\"/><style/></collection>");
  const std::string moved = folder_.WriteFile(
      "moved.xml", "<collection folder=\"" + folder_.Join("gone") + "\"><style/></collection>");
  const std::string wrong = folder_.WriteFile(
      "wrong.xml", "<collection folder=\"" + photos_ +
                       "\"><style/><gallery max-size=\"big\"/></collection>");
  const struct {
    std::string collection;
    std::string message;
  } cases[] = {
      {bare, bare + ": records no folder that it was made from"},
      {moved, folder_.Join("gone") + ": no such folder, though " + moved + " was made from it"},
      {wrong, wrong + ": the <gallery> element's max-size=\"big\" makes no sense; it takes a "
                      "number of pixels"},
  };
  const std::map<std::string, std::string> before = TreeSnapshot(folder_.path());
  for (const auto& c : cases) {
    BinaryResult result = RunGalleryBinary({"update", c.collection, site_}, BinaryOptions{});
    EXPECT_EQ(3, result.exit_code) << result.output;
    EXPECT_NE(std::string::npos, result.output.find(c.message)) << result.output;
    EXPECT_EQ(before, TreeSnapshot(folder_.path())) << c.collection;
  }
}

TEST_F(GalleryBinaryTest, AnInterruptedUpdateKeepsTheCollectionAsItWas) {
  AddPhotos(2, 64, 48);
  BinaryOptions plain;
  ASSERT_EQ(0, RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q"}, plain).exit_code);
  const std::string collection = site_ + ".collection.xml";
  const std::map<std::string, std::string> before = TreeSnapshot(folder_.path());
  ASSERT_TRUE(CreateFolder(photos_ + "/more"));
  // Large enough that the build is still running a second in (see the interrupted builds).
  SavePhoto(photos_ + "/more/big0.jpg", 1600, 1200);
  const std::string big = ReadFileBytes(photos_ + "/more/big0.jpg").value_or("");
  for (int i = 1; i < 100; ++i) {
    folder_.WriteFile("photos/more/big" + std::to_string(i) + ".jpg", big);
  }
  const std::map<std::string, std::string> photos = TreeSnapshot(photos_);
  BinaryOptions stop;
  stop.kill_signal = SIGTERM;
  stop.kill_after_microseconds = 1000000;
  BinaryResult result = RunGalleryBinary({"update", collection, site_, "--no-cache"}, stop);
  ASSERT_TRUE(result.killed) << result.output;
  EXPECT_NE(std::string::npos, result.output.find("gallery: interrupted, nothing was changed\n"))
      << result.output;
  std::map<std::string, std::string> now = TreeSnapshot(folder_.path());
  std::erase_if(now, [](const auto& entry) { return entry.first.starts_with("photos/"); });
  std::map<std::string, std::string> earlier = before;
  std::erase_if(earlier, [](const auto& entry) { return entry.first.starts_with("photos/"); });
  EXPECT_EQ(earlier, now);
  EXPECT_EQ(photos, TreeSnapshot(photos_));
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

// Every file and folder under `folder` with what tells whether it was written again: its inode
// and both times.
std::map<std::string, std::string> TreeStatus(const std::string& folder) {
  std::map<std::string, std::string> status;
  for (const CTreeEntry& entry : ListTree(folder)) {
    status[entry.path] = std::to_string(entry.inode) + " " + std::to_string(entry.modified_ns) +
                         " " + std::to_string(entry.changed_ns);
  }
  return status;
}

TEST_F(GalleryBinaryTest, UpdateWithNothingChangedWritesNothingAndStillSeesEdits) {
  SavePhoto(photos_ + "/a.jpg", 40, 30);
  SavePhoto(photos_ + "/b.jpg", 30, 40);
  // A photo changed within one tick of the file clock could change again unseen, so a build
  // of it is never taken as final.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  BinaryOptions options;
  ASSERT_EQ(0, RunGalleryBinary({"new", photos_, site_, "-t", "T", "-q"}, options).exit_code);
  const std::string collection = site_ + ".collection.xml";
  const std::map<std::string, std::string> before = TreeStatus(site_);
  const std::vector<std::string> beside = SortedNames(folder_.path());

  BinaryResult kept = RunGalleryBinary({"update", collection, site_}, options);
  ASSERT_EQ(0, kept.exit_code) << kept.output;
  EXPECT_NE(std::string::npos, kept.output.find(site_ + " is up to date")) << kept.output;
  EXPECT_EQ(before, TreeStatus(site_));
  EXPECT_EQ(beside, SortedNames(folder_.path()));

  // Anything the gallery is made of, changed, builds it again: a photo written again with the
  // same bytes, or another setting, which the collection then records.
  const std::string photo = ReadFileBytes(photos_ + "/b.jpg").value_or("");
  ASSERT_TRUE(WriteFileBytes(photos_ + "/b.jpg", photo));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{}, std::vector<std::string>{"--max-size=20"}}) {
    std::vector<std::string> arguments = {"update", collection, site_};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    BinaryResult built = RunGalleryBinary(arguments, options);
    ASSERT_EQ(0, built.exit_code) << built.output;
    EXPECT_NE(std::string::npos, built.output.find("gallery: built ")) << built.output;
  }

  EXPECT_NE(std::string::npos, ReadFileBytes(collection).value_or("").find("max-size=\"20\""));

  // A person's edit at the same size and time is still found, and kept.
  BinaryResult quiet = RunGalleryBinary({"update", collection, site_}, options);
  ASSERT_EQ(0, quiet.exit_code) << quiet.output;
  ASSERT_NE(std::string::npos, quiet.output.find("is up to date")) << quiet.output;
  std::string image_path;
  for (const CTreeEntry& entry : ListTree(site_)) {
    if (entry.kind == TreeEntryKind::kFile && entry.path.ends_with(".jpg")) image_path = entry.path;
  }
  ASSERT_FALSE(image_path.empty());
  const std::string image = site_ + "/" + image_path;
  struct stat info;
  ASSERT_EQ(0, stat(image.c_str(), &info));
  std::string edited = ReadFileBytes(image).value_or("");
  edited.back() = static_cast<char>(edited.back() ^ 1);
  ASSERT_TRUE(WriteFileBytes(image, edited));
  const timespec times[2] = {info.st_atim, info.st_mtim};
  ASSERT_EQ(0, utimensat(AT_FDCWD, image.c_str(), times, 0));
  BinaryResult refused = RunGalleryBinary({"update", collection, site_}, options);
  EXPECT_EQ(4, refused.exit_code) << refused.output;
  EXPECT_NE(std::string::npos, refused.output.find(image_path)) << refused.output;
  EXPECT_EQ(edited, ReadFileBytes(image).value_or(""));
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

void SaveDatedPhoto(const std::string& path, const char* date) {
  vips::VImage image = vips::VImage::black(24, 16, vips::VImage::option()->set("bands", 3)).copy();
  image.set("exif-ifd2-DateTimeOriginal", date);
  image.jpegsave(path.c_str());
}

TEST_F(GalleryBinaryTest, TitlesAndLanguageAreRecordedAndUpdatesKeepThem) {
  SaveDatedPhoto(photos_ + "/IMG_0001.jpg", "2024:07:12 14:35:01");
  BinaryOptions options;
  BinaryResult made = RunGalleryBinary(
      {"new", photos_, site_, "-t", "T", "-q", "--titles=names", "--lang=de"}, options);
  ASSERT_EQ(0, made.exit_code) << made.output;
  const std::string collection = site_ + ".collection.xml";
  std::string bytes = ReadFileBytes(collection).value_or("");
  EXPECT_NE(std::string::npos, bytes.find("titles=\"names\"")) << bytes;
  EXPECT_NE(std::string::npos, bytes.find("lang=\"de\"")) << bytes;
  EXPECT_NE(std::string::npos, bytes.find("title=\"IMG 0001\"")) << bytes;

  // Recorded titles name the photo an update adds; the pages stay German.
  SaveDatedPhoto(photos_ + "/IMG_0002.jpg", "2024:07:13 09:00:00");
  BinaryResult named = RunGalleryBinary({"update", collection, site_, "-q"}, options);
  ASSERT_EQ(0, named.exit_code) << named.output;
  bytes = ReadFileBytes(collection).value_or("");
  EXPECT_NE(std::string::npos, bytes.find("title=\"IMG 0002\"")) << bytes;
  EXPECT_NE(std::string::npos,
            ReadFileBytes(site_ + "/index.html").value_or("").find("lang=\"de\""));

  // Given on the command line, the choices win and are kept; dates are written in German.
  SaveDatedPhoto(photos_ + "/IMG_0003.jpg", "2024:07:14 18:05:00");
  BinaryResult dated = RunGalleryBinary(
      {"update", collection, site_, "-q", "--titles=auto", "--sort=date"}, options);
  ASSERT_EQ(0, dated.exit_code) << dated.output;
  bytes = ReadFileBytes(collection).value_or("");
  EXPECT_NE(std::string::npos, bytes.find("title=\"14. Juli 2024, 18:05\"")) << bytes;
  EXPECT_NE(std::string::npos, bytes.find("title=\"IMG 0002\"")) << bytes;
  EXPECT_NE(std::string::npos, bytes.find("titles=\"auto\"")) << bytes;
  EXPECT_NE(std::string::npos, bytes.find("sort=\"date\"")) << bytes;
  EXPECT_NE(std::string::npos, bytes.find("lang=\"de\"")) << bytes;

  // A recorded language of no known code is refused, naming the file and the values.
  bytes.replace(bytes.find("lang=\"de\""), 9, "lang=\"xx\"");
  ASSERT_TRUE(WriteFileBytes(collection, bytes));
  BinaryResult refused = RunGalleryBinary({"build", collection, site_}, options);
  EXPECT_EQ(3, refused.exit_code) << refused.output;
  EXPECT_NE(std::string::npos,
            refused.output.find(collection + ": the <gallery> element's lang=\"xx\" makes no "
                                             "sense; it takes en, de, fr, es or it."))
      << refused.output;
}

}  // namespace
}  // namespace gallery
