#include "collection/library.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/gallery_builder.h"
#include "collection/style_settings.h"
#include "platform/file_system.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

// A library with loose photos, nested albums, odd texts and every setting.
CLibrary SampleLibrary() {
  CAlbum june{"June <b>&</b> \"July\"",
              "Two\nlines",
              "/photos/2020/June",
              "/photos/2020/June/2.jpg",
              {{"/photos/2020/June/1.jpg", "One &amp; only"},
               {"/photos/2020/June/clip.mov", "A clip", true},
               {"/photos/2020/June/2.jpg", "Two"}},
              {}};
  CAlbum year{"2020", "", "/photos/2020", "", {{"/photos/2020/y.jpg", "Y"}}, {june}};
  CAlbum by_hand{"Chosen", "by hand", "", "", {{"relative/r.jpg", "R"}}, {}};
  CLibrary library;
  library.root = {"Photos 100%",
                  "Mine",
                  "/photos",
                  "",
                  {{"/photos/first.webm", "First", true}, {"/photos/loose.jpg", "Loose"}},
                  {year, by_hand}};
  library.settings = CGallerySettings{Theme::kClassic,     true, false, 0, false, PhotoOrder::kDate,
                                      TitleSource::kDates, "fr"};
  return library;
}

void ExpectSameAlbum(const CAlbum& expected, const CAlbum& actual) {
  EXPECT_EQ(expected.title, actual.title);
  EXPECT_EQ(expected.description, actual.description);
  EXPECT_EQ(expected.folder, actual.folder);
  EXPECT_EQ(expected.cover, actual.cover);
  ASSERT_EQ(expected.photos.size(), actual.photos.size()) << expected.title;
  for (size_t i = 0; i < expected.photos.size(); ++i) {
    EXPECT_EQ(expected.photos[i].path, actual.photos[i].path);
    EXPECT_EQ(expected.photos[i].title, actual.photos[i].title);
    EXPECT_EQ(expected.photos[i].video, actual.photos[i].video) << expected.photos[i].path;
  }
  ASSERT_EQ(expected.albums.size(), actual.albums.size()) << expected.title;
  for (size_t i = 0; i < expected.albums.size(); ++i) {
    ExpectSameAlbum(expected.albums[i], actual.albums[i]);
  }
}

std::optional<CLibrary> ReadSample(const std::string& text, CLibraryFault& fault) {
  return ReadLibrary(text, "/c/x.collection.xml", false, fault);
}

TEST(LibraryTest, AlbumsFolderAndSettingsMakeTheRoundTrip) {
  const CLibrary library = SampleLibrary();
  std::optional<std::string> bytes = RenderLibrary(library, CStyleSettings{});
  ASSERT_TRUE(bytes);
  CLibraryFault fault;
  std::optional<CLibrary> read = ReadSample(*bytes, fault);
  ASSERT_TRUE(read);
  ExpectSameAlbum(library.root, read->root);
  ASSERT_TRUE(read->settings);
  EXPECT_EQ(read->settings->theme, Theme::kClassic);
  EXPECT_EQ(read->settings->captions, true);
  EXPECT_EQ(read->settings->originals, false);
  EXPECT_EQ(read->settings->max_size, 0);
  EXPECT_EQ(read->settings->thumbnails, false);
  EXPECT_EQ(read->settings->order, PhotoOrder::kDate);
  EXPECT_EQ(read->settings->titles, TitleSource::kDates);
  EXPECT_EQ(read->settings->language, "fr");
  EXPECT_TRUE(*read->settings == *library.settings);
  // Every source of titles is written as it is read back.
  for (TitleSource source :
       {TitleSource::kChosen, TitleSource::kNames, TitleSource::kDates, TitleSource::kNone}) {
    CLibrary titled = library;
    titled.settings->titles = source;
    std::optional<CLibrary> again = ReadSample(RenderLibrary(titled, {}).value_or(""), fault);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->settings->titles, source) << static_cast<int>(source);
  }
  // Written again, it is the same file.
  EXPECT_EQ(RenderLibrary(*read, CStyleSettings{}), bytes);
}

TEST(LibraryTest, PathsAndCoversResolveAsTheBuilderResolvesPhotos) {
  CLibrary library = SampleLibrary();
  library.root.albums[1].cover = "relative/r.jpg";
  std::optional<std::string> bytes = RenderLibrary(library, CStyleSettings{});
  ASSERT_TRUE(bytes);
  CLibraryFault fault;
  std::optional<CLibrary> read = ReadLibrary(*bytes, "/c/x.collection.xml", true, fault);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->root.albums[1].photos[0].path, "/c/images/relative/r.jpg");
  EXPECT_EQ(read->root.albums[1].cover, "/c/images/relative/r.jpg");
  EXPECT_EQ(read->root.albums[0].photos[0].path, "/photos/2020/y.jpg");
  CGalleryBuilder builder;
  ASSERT_EQ(builder.LoadText(*bytes, "/c/x.collection.xml"), LoadFailure::kNone);
  // The host passes over the video before it.
  ASSERT_EQ(builder.photos().size(), 1u);
  EXPECT_EQ(builder.photos()[0].path, read->root.photos[1].path);
}

TEST(LibraryTest, AFileWithoutAlbumsOrSettingsIsOneAlbum) {
  CLibraryFault fault;
  std::optional<CLibrary> read = ReadSample(
      "<collection title=\"T\"><photo path=\"/a.jpg\" title=\"A\"/><style/></collection>", fault);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->root.title, "T");
  EXPECT_EQ(read->root.folder, "");
  EXPECT_TRUE(read->root.albums.empty());
  EXPECT_EQ(CountPhotos(read->root), 1);
  EXPECT_FALSE(read->settings);
}

TEST(LibraryTest, ASettingThatMakesNoSenseIsNamedAndUnknownOnesArePassedOver) {
  struct Case {
    const char* settings;
    const char* attribute;  // empty when it loads
    const char* value;
  } cases[] = {
      {"theme=\"modern\" captions=\"no\" colour=\"blue\" sort=\"name\"", "", ""},
      {"theme=\"fancy\"", "theme", "fancy"},
      {"captions=\"Yes\"", "captions", "Yes"},
      {"originals=\"\"", "originals", ""},
      {"thumbnails=\"1\"", "thumbnails", "1"},
      {"max-size=\"-1\"", "max-size", "-1"},
      {"max-size=\"16385\"", "max-size", "16385"},
      {"max-size=\"12px\"", "max-size", "12px"},
      {"max-size=\"16384\"", "", ""},
      {"sort=\"size\"", "sort", "size"},
      {"titles=\"auto\" lang=\"de\"", "", ""},
      {"titles=\"Names\"", "titles", "Names"},
      {"titles=\"\"", "titles", ""},
  };
  for (const Case& c : cases) {
    CLibraryFault fault;
    std::optional<CLibrary> read =
        ReadSample(std::string("<collection><gallery ") + c.settings + "/></collection>", fault);
    EXPECT_EQ(read.has_value(), std::string(c.attribute).empty()) << c.settings;
    EXPECT_EQ(fault.failure, LoadFailure::kNone) << c.settings;
    EXPECT_EQ(fault.attribute, c.attribute) << c.settings;
    EXPECT_EQ(fault.value, c.value) << c.settings;
  }
  EXPECT_NE(DescribeSettingValues("max-size").find("16384"), std::string::npos);
  EXPECT_EQ(DescribeSettingValues("titles"), "'auto', 'names', 'dates' or 'none'");
  CLibraryFault fault;
  EXPECT_FALSE(ReadSample("<gallery/>", fault));
  EXPECT_EQ(fault.failure, LoadFailure::kWrongRoot);
  EXPECT_FALSE(ReadSample("<collection><album></collection>", fault));
  EXPECT_EQ(fault.failure, LoadFailure::kNotXml);
}

TEST(LibraryTest, AlbumsNestedPastTheDepthLimitFailToLoad) {
  std::string text = "<collection>";
  for (int i = 0; i < kMaxXmlElementDepth; ++i) text += "<album>";
  for (int i = 0; i < kMaxXmlElementDepth; ++i) text += "</album>";
  text += "</collection>";
  CLibraryFault fault;
  EXPECT_FALSE(ReadSample(text, fault));
  EXPECT_EQ(fault.parse.cause, XmlSyntaxError::kTooDeep);
}

// The host entry point reads the root's own photos and its style, whatever else the file holds:
// the same gallery as from the file without albums and settings.
TEST(LibraryTest, TheHostBuildOfAFileWithAlbumsIsThatOfItsRootPhotos) {
  TempFolder folder;
  CLibrary library;
  library.root.title = "Trip";
  library.root.folder = folder.path();
  library.root.photos = {{Save(Solid(40, 30, {200, 10, 10}), folder, "red.jpg"), "Red"}};
  CAlbum album{"Blue", "", folder.path(), "", {}, {}};
  album.photos = {{Save(Solid(30, 40, {10, 10, 200}), folder, "blue.jpg"), "Blue"}};
  CStyleSettings style;
  CGalleryBuilder preset;
  const std::string preset_path = folder.WriteFile(
      "preset.xml", "<collection><style thumb_width=\"20\" thumb_height=\"20\"/></collection>");
  ASSERT_EQ(preset.Load(preset_path), LoadFailure::kNone);
  const CLibrary flat = library;
  library.root.albums = {album};
  // Videos are the front end's alone: the host reads photo elements only.
  library.root.photos.insert(library.root.photos.begin(), {folder.Join("clip.mp4"), "Clip", true});
  library.root.albums[0].photos.push_back({folder.Join("b.webm"), "B", true});
  library.settings = CGallerySettings{Theme::kModern,    true,         true,        100, true,
                                      PhotoOrder::kName, std::nullopt, std::nullopt};
  std::optional<std::string> rich = RenderLibrary(library, preset.style());
  std::optional<std::string> plain = RenderLibrary(flat, preset.style());
  ASSERT_TRUE(rich && plain);
  ASSERT_NE(*rich, *plain);
  ASSERT_TRUE(CreateFolder(folder.Join("rich")) && CreateFolder(folder.Join("plain")));
  for (const auto& [bytes, name] : {std::pair{*rich, "rich"}, std::pair{*plain, "plain"}}) {
    CGalleryBuilder builder;
    ASSERT_EQ(builder.LoadText(bytes, folder.Join("in.xml")), LoadFailure::kNone);
    ASSERT_EQ(builder.photos().size(), 1u);
    EXPECT_EQ(builder.Generate(folder.Join(name) + "/collection.xml", true), 1);
  }
  const std::map<std::string, std::string> rich_gallery = TreeSnapshot(folder.Join("rich"));
  EXPECT_EQ(rich_gallery, TreeSnapshot(folder.Join("plain")));
  EXPECT_GT(rich_gallery.size(), 3u);
}

}  // namespace
}  // namespace gallery
