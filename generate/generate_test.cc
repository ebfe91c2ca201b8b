#include "generate/generate.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
#include "platform/file_system.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(PaginateIndexTest, SpreadsPhotosOverPages) {
  struct Case {
    int photos, columns, rows, per_page, pages;
  };
  const Case cases[] = {
      {7, 2, 2, 4, 2},
      {8, 2, 2, 4, 2},
      {9, 2, 2, 4, 3},
      {0, 2, 2, 4, 0},
      {1, 3, 3, 9, 1},
      {5, 3, 0, 5, 1},
      {0, 0, 3, 0, 1},
      {4, -1, 2, 4, 1},
      {6, 3, 2, 6, 1},
      {7, 3, 2, 6, 2},
      // A product past the 32-bit range is one page holding every photo.
      {3, 100000, 100000, INT_MAX, 1},
  };
  for (const Case& c : cases) {
    IndexPagination pagination = PaginateIndex(c.photos, c.columns, c.rows);
    EXPECT_EQ(c.per_page, pagination.photos_per_page)
        << c.photos << " photos, " << c.columns << " x " << c.rows;
    EXPECT_EQ(c.pages, pagination.page_count)
        << c.photos << " photos, " << c.columns << " x " << c.rows;
  }
}

class GenerateTest : public testing::Test {
 protected:
  // A builder with a style of positive table size and `photo_count` photos whose sources are
  // missing, so only pages and the collection file have content.
  void AddMissingPhotos(int photo_count) {
    for (int i = 0; i < photo_count; ++i) {
      CPhotoEntry entry;
      entry.path = folder_.Join("missing-" + std::to_string(i) + ".jpg");
      entry.title = "Photo " + std::to_string(i);
      builder_.photos().push_back(entry);
    }
  }

  TempFolder folder_;
  CGalleryBuilder builder_;
};

TEST_F(GenerateTest, WritesFoldersCollectionAndPages) {
  builder_.style().collection_title = "Trip & <more>";
  builder_.style().collection_desc = "Desc";
  builder_.style().table_columns = 2;
  builder_.style().table_rows = 2;
  builder_.style().thumb_border_size = 4;
  AddMissingPhotos(5);

  EXPECT_EQ(1, builder_.Generate(folder_.Join("collection.xml"), true));

  for (const char* sub : {"images", "thumbs", "pages", "advanced", "border"}) {
    EXPECT_TRUE(FileExists(folder_.Join(sub))) << sub;
  }
  for (const char* page : {"index.htm", "index-1.htm", "pages/0.htm", "pages/4.htm"}) {
    EXPECT_TRUE(FileExists(folder_.Join(page))) << page;
  }
  EXPECT_FALSE(FileExists(folder_.Join("index-2.htm")));
  EXPECT_FALSE(FileExists(folder_.Join("pages/5.htm")));
  // Sources are missing: no page image is written, and the photo list keeps its sources.
  EXPECT_FALSE(FileExists(folder_.Join("images/0.jpg")));
  EXPECT_EQ(folder_.Join("missing-3.jpg"), builder_.photos()[3].path);

  CCollectionDocument written;
  ASSERT_TRUE(written.Open(folder_.Join("collection.xml"), true, true));
  std::string title, description;
  ASSERT_TRUE(written.ReadCollection(title, description));
  EXPECT_EQ("Trip & <more>", title);
  EXPECT_EQ("Desc", description);
  ASSERT_EQ(5, written.GetPhotoCount());
  for (int i = 0; i < 5; ++i) {
    std::string photo_title, path;
    ASSERT_TRUE(written.ReadPhoto(i, photo_title, path));
    EXPECT_EQ(std::to_string(i), path);
    EXPECT_EQ("Photo " + std::to_string(i), photo_title);
  }
  int columns = -1;
  EXPECT_TRUE(written.ReadNumber("table_columns", columns));
  EXPECT_EQ(2, columns);
}

TEST_F(GenerateTest, NoPhotosAndPositiveTableWritesNoIndexPage) {
  builder_.style().table_columns = 3;
  builder_.style().table_rows = 3;
  EXPECT_EQ(1, builder_.Generate(folder_.Join("collection.xml"), false));
  EXPECT_TRUE(FileExists(folder_.Join("collection.xml")));
  EXPECT_FALSE(FileExists(folder_.Join("index.htm")));
}

TEST_F(GenerateTest, NoPhotosAndNoTableWritesOneIndexPage) {
  builder_.style().table_columns = 3;
  EXPECT_EQ(1, builder_.Generate(folder_.Join("collection.xml"), false));
  EXPECT_TRUE(FileExists(folder_.Join("index.htm")));
}

TEST_F(GenerateTest, PagesTooLargeArePassedOverAndTheRunCompletes) {
  // Escaped, the title spells the description's name a hundred thousand times, so each index
  // page would hold the 1 MiB description that often; photo pages show it once.
  for (int i = 0; i < 100000; ++i) builder_.style().collection_title += "%CollectionDescription%";
  builder_.style().collection_desc = std::string(1 << 20, 'd');
  builder_.style().table_columns = 2;
  builder_.style().table_rows = 1;
  AddMissingPhotos(3);
  EXPECT_EQ(1, builder_.Generate(folder_.Join("collection.xml"), false));
  for (const char* page : {"index.htm", "index-1.htm"}) {
    EXPECT_FALSE(FileExists(folder_.Join(page))) << page;
  }
  for (const char* page : {"pages/0.htm", "pages/1.htm", "pages/2.htm", "collection.xml"}) {
    EXPECT_TRUE(FileExists(folder_.Join(page))) << page;
  }
}

// Every file under `root`, by path relative to it, with its bytes.
std::map<std::string, std::string> FilesUnder(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    files[std::filesystem::relative(entry.path(), root).string()] =
        ReadWholeFile(entry.path().string());
  }
  return files;
}

// The names directly in `folder`, sorted.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string WriteTestPhoto(const std::string& path) {
  vips::VImage::black(30, 20, vips::VImage::option()->set("bands", 3))
      .new_from_image(std::vector<double>{90, 160, 30})
      .jpegsave(path.c_str());
  return path;
}

// Every address in the href and src attributes of `page`, in order.
std::vector<std::string> LinksOf(const std::string& page) {
  std::vector<std::string> links;
  for (const char* attribute : {"href=\"", "src=\""}) {
    const std::string start(attribute);
    for (size_t at = page.find(start); at != std::string::npos; at = page.find(start, at + 1)) {
      const size_t begin = at + start.size();
      links.push_back(page.substr(begin, page.find('"', begin) - begin));
    }
  }
  return links;
}

TEST_F(GenerateTest, WritesExactlyThePlannedFilesAndLinksOnlyThem) {
  for (const bool thumbnails : {true, false}) {
    for (const int thumb_style : {1, 10}) {
      CGalleryBuilder builder;
      builder.style().table_columns = 2;
      builder.style().table_rows = 2;
      builder.style().thumb_style = thumb_style;
      builder.style().thumb_border_size = 4;
      builder.style().thumb_type = 1;
      builder.style().thumb_width = 24;
      builder.style().thumb_height = 20;
      for (int i = 0; i < 5; ++i) {
        CPhotoEntry entry;
        entry.path = WriteTestPhoto(folder_.Join("source-" + std::to_string(i) + ".jpg"));
        builder.photos().push_back(entry);
      }
      const std::string context = std::string(thumbnails ? "thumbnails" : "no thumbnails") +
                                  ", frame style " + std::to_string(thumb_style);
      const std::string root = folder_.Join("gallery");
      std::filesystem::remove_all(root);
      std::filesystem::create_directories(root);
      const std::vector<std::string> planned =
          ListGeneratedFiles(builder, root + "/collection.xml", thumbnails);
      ASSERT_EQ(1, builder.Generate(root + "/collection.xml", thumbnails)) << context;

      std::vector<std::string> written;
      for (const auto& [name, bytes] : FilesUnder(root)) written.push_back(root + "/" + name);
      std::vector<std::string> expected = planned;
      std::sort(expected.begin(), expected.end());
      std::vector<std::string> unplanned, missing;
      std::set_difference(written.begin(), written.end(), expected.begin(), expected.end(),
                          std::back_inserter(unplanned));
      std::set_difference(expected.begin(), expected.end(), written.begin(), written.end(),
                          std::back_inserter(missing));
      EXPECT_EQ(std::vector<std::string>{}, unplanned) << context;
      EXPECT_EQ(std::vector<std::string>{}, missing) << context;

      // Every link of every page leads to a file of the gallery, but the Home button's absolute
      // address and, without thumbnails, the thumbnails the index pages still show.
      int checked = 0;
      for (const std::string& path : planned) {
        if (!path.ends_with(".htm")) continue;
        const std::string page_folder = ParentFolder(path);
        for (const std::string& link : LinksOf(ReadWholeFile(path))) {
          if (link.starts_with("https://")) continue;
          const std::string target =
              std::filesystem::path(page_folder + "/" + link).lexically_normal().string();
          if (!thumbnails && target.starts_with(root + "/thumbs/")) continue;
          EXPECT_TRUE(std::binary_search(expected.begin(), expected.end(), target))
              << context << ": " << path << " links " << link;
          ++checked;
        }
      }
      // Frame pieces, buttons, neighbours, images: far more than one link to each page.
      EXPECT_LT(100, checked) << context;
    }
  }
}

TEST_F(GenerateTest, SameFilesWhateverTheNumberOfWorkers) {
  // Photos of different sizes, so that workers finish out of order, and two that cannot be
  // read; enough of them that some thumbnails are made together with their page image and
  // some at the end.
  std::vector<CPhotoEntry> photos;
  for (int i = 0; i < 13; ++i) {
    CPhotoEntry entry;
    entry.title = "Photo " + std::to_string(i);
    entry.path = folder_.Join("source-" + std::to_string(i) + ".jpg");
    if (i == 4) {
      entry.path = folder_.Join("missing.jpg");
    } else if (i == 9) {
      folder_.WriteFile("source-9.jpg", "not a picture");
    } else {
      const int width = 40 + 37 * (i % 5);
      const int height = 30 + 23 * (i % 3);
      vips::VImage::black(width, height, vips::VImage::option()->set("bands", 3))
          .gaussnoise(width, height)
          .cast(VIPS_FORMAT_UCHAR)
          .add(vips::VImage::black(width, height).linear(1, 7.0 * i))
          .cast(VIPS_FORMAT_UCHAR)
          .jpegsave(entry.path.c_str());
    }
    photos.push_back(entry);
  }

  std::vector<std::map<std::string, std::string>> outputs;
  std::vector<std::vector<CPhotoEntry>> entries;
  for (int workers : {0, 2, 3}) {
    CGalleryBuilder builder;
    builder.style().table_columns = 2;
    builder.style().table_rows = 3;
    builder.style().thumb_type = 1;
    builder.style().thumb_width = 24;
    builder.style().thumb_height = 20;
    builder.style().thumb_style = 10;
    builder.style().thumb_border_size = 6;
    builder.photos() = photos;
    builder.SetImageWorkers(workers);
    const std::string root = folder_.Join("out-" + std::to_string(workers));
    std::filesystem::create_directories(root);
    ASSERT_EQ(1, builder.Generate(root + "/collection.xml", true)) << workers << " workers";
    outputs.push_back(FilesUnder(root));
    entries.push_back(builder.photos());
  }

  ASSERT_TRUE(outputs[0].count("thumbs/12.jpg"));
  EXPECT_FALSE(outputs[0].count("images/4.jpg"));
  EXPECT_FALSE(outputs[0].count("thumbs/9.jpg"));
  for (size_t run = 1; run < outputs.size(); ++run) {
    ASSERT_EQ(outputs[0].size(), outputs[run].size()) << "run " << run;
    for (const auto& [name, bytes] : outputs[0]) {
      EXPECT_TRUE(outputs[run].count(name) && outputs[run].at(name) == bytes)
          << name << " differs in run " << run;
    }
    // The sizes the pages show came from the workers' results; the photo list itself is
    // what was loaded, its sources never replaced by the images made from them.
    for (size_t i = 0; i < photos.size(); ++i) {
      EXPECT_EQ(photos[i].path, entries[run][i].path) << i;
      EXPECT_EQ(photos[i].title, entries[run][i].title) << i;
    }
  }
}

TEST_F(GenerateTest, NeverWritesOverItsOwnPhotos) {
  // Each case names the file, relative to the gallery root, that photo 0's source is (or leads
  // to), for a gallery of two photos on one index page.
  struct Case {
    const char* source;
    const char* link;  // when set, photo 0 is this link elsewhere to `source`, else `source`
    bool thumbnails;
    bool refused;
  };
  const Case cases[] = {
      {"images/1.jpg", nullptr, true, true},  // a photo beside its collection, as images/1.jpg
      {"images/0.jpg", nullptr, true, true},  // even its own page image
      {"thumbs/1.jpg", nullptr, true, true},
      {"pages/0.htm", nullptr, false, true},
      {"index.htm", nullptr, false, true},
      {"advanced/next.jpg", nullptr, false, true},
      {"border/15.jpg", nullptr, false, true},
      {"collection.xml", nullptr, false, true},
      {"images/1.jpg", "symbolic", true, true},
      {"images/1.jpg", "hard", true, true},
      // Names the run does not write: with thumbnails off, the second index page of one, a
      // seventeenth frame piece, the page image of a third photo.
      {"thumbs/1.jpg", nullptr, false, false},
      {"index-1.htm", nullptr, false, false},
      {"border/16.jpg", nullptr, false, false},
      {"images/2.jpg", nullptr, true, false},
  };
  const std::string photo_bytes = ReadWholeFile(WriteTestPhoto(folder_.Join("model.jpg")));
  for (const Case& c : cases) {
    const std::string context =
        std::string(c.source) + (c.link ? std::string(" via ") + c.link : "");
    const std::string root = folder_.Join("gallery");
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root + "/" + ParentFolder(c.source));
    const std::string source = root + "/" + c.source;
    std::filesystem::copy_file(folder_.Join("model.jpg"), source);
    std::string photo_path = source;
    if (c.link != nullptr) {
      photo_path = folder_.Join("elsewhere.jpg");
      std::filesystem::remove(photo_path);
      if (std::string(c.link) == "hard") {
        std::filesystem::create_hard_link(source, photo_path);
      } else {
        std::filesystem::create_symlink(source, photo_path);
      }
    }
    CGalleryBuilder builder;
    builder.style().table_columns = 2;
    builder.style().table_rows = 2;
    for (const std::string& path : {photo_path, folder_.Join("model.jpg")}) {
      CPhotoEntry entry;
      entry.path = path;
      builder.photos().push_back(entry);
    }
    const auto before = FilesUnder(root);
    EXPECT_EQ(c.refused ? 0 : 1, builder.Generate(root + "/collection.xml", c.thumbnails))
        << context;
    if (c.refused) {
      EXPECT_EQ(before, FilesUnder(root)) << context << ": something was written";
    }
    EXPECT_EQ(photo_bytes, ReadWholeFile(source)) << context;
  }
}

TEST_F(GenerateTest, OutputPathThatIsAFolderWritesNothing) {
  AddMissingPhotos(1);
  std::filesystem::create_directories(folder_.Join("site"));
  for (const char* output : {"site", "site/"}) {
    EXPECT_EQ(0, builder_.Generate(folder_.Join(output), false)) << output;
    EXPECT_EQ(std::vector<std::string>{"site"}, Names(folder_.path())) << output;
    EXPECT_TRUE(std::filesystem::is_empty(folder_.Join("site"))) << output;
  }
}

TEST_F(GenerateTest, RemovesWhatKilledRunsLeftAndNothingElse) {
  struct Case {
    const char* name;
    bool removed;
  };
  const Case cases[] = {
      {"collection.xml.41-0.tmp", true},
      {"index.htm.41-1.tmp", true},
      {"index-7.htm.41-2.tmp", true},
      {"images/0.jpg.41-3.tmp", true},
      {"images/123.jpg.42-0.tmp", true},
      {"thumbs/5.jpg.41-4.tmp", true},
      {"pages/9.htm.41-5.tmp", true},
      {"advanced/previous.jpg.41-6.tmp", true},
      {"border/15.jpg.41-7.tmp", true},
      // Names a run does not write there, or not of the form of its temporary files.
      {"other.xml.41-8.tmp", false},
      {"index-0.htm.41-9.tmp", false},
      {"index.htm.tmp", false},
      {"images/05.jpg.41-10.tmp", false},
      {"images/holiday.jpg.41-11.tmp", false},
      {"images/1.htm.41-12.tmp", false},
      {"pages/index.htm.41-13.tmp", false},
      {"advanced/home.jpg.41-14.tmp", false},
      {"border/16.jpg.41-15.tmp", false},
      {"notes/0.jpg.41-16.tmp", false},
      {"images/2.jpg.041-17.tmp", false},
  };
  for (const Case& c : cases) {
    std::filesystem::create_directories(folder_.Join(ParentFolder(c.name)));
    folder_.WriteFile(c.name, "left over");
  }
  AddMissingPhotos(1);
  ASSERT_EQ(1, builder_.Generate(folder_.Join("collection.xml"), true));
  for (const Case& c : cases) EXPECT_EQ(!c.removed, FileExists(folder_.Join(c.name))) << c.name;
}

TEST_F(GenerateTest, MissingGalleryRootFailsAtTheSave) {
  AddMissingPhotos(2);
  EXPECT_EQ(0, builder_.Generate(folder_.Join("absent/collection.xml"), true));
  EXPECT_FALSE(FileExists(folder_.Join("absent")));
}

}  // namespace
}  // namespace gallery
