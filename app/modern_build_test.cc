#include "app/modern_build.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "app/gallery_cli.h"
#include "collection/album.h"
#include "collection/gallery_builder.h"
#include "collection/style_settings.h"
#include "imaging/image_cache.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "tests/jpeg_inspection.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

TEST(ModernGalleryTest, StyleGivesColoursAsRgbAndPhotosPerPage) {
  CStyleSettings style;
  style.back_color = 0x123456;  // blue 0x12, green 0x34, red 0x56
  style.font_color = 0x0000FF;
  style.table_item_back_color = 0xFF0000;
  style.table_columns = 4;
  style.table_rows = 3;
  style.collection_title = "<b>Trip</b>";
  const CModernGallery gallery = StartModernGallery(style);
  EXPECT_EQ(0x563412, gallery.colors.background);
  EXPECT_EQ(0xFF0000, gallery.colors.text);
  EXPECT_EQ(0x0000FF, gallery.colors.card);
  EXPECT_EQ(60, gallery.photos_per_page);  // five of the style's tables
  EXPECT_EQ("<b>Trip</b>", gallery.title);
  style.table_rows = 0;
  EXPECT_EQ(0, StartModernGallery(style).photos_per_page);
}

TEST(ModernGalleryTest, ClassicFrameBecomesALineAShadowOrNothing) {
  struct Case {
    int thumb_style;
    int border_size;
    ModernFrame expected;
  } cases[] = {
      {1, 6, ModernFrame::kLine},
      {2, 6, ModernFrame::kLine},
      {3, 6, ModernFrame::kLine},
      {4, 6, ModernFrame::kLine},
      {7, 1, ModernFrame::kLine},
      {8, 12, ModernFrame::kShadow},
      {10, 12, ModernFrame::kShadow},
      {13, 6, ModernFrame::kShadow},
      // A frame of plain pieces, or none at all, shows nothing.
      {0, 6, ModernFrame::kNone},
      {14, 6, ModernFrame::kNone},
      {-1, 6, ModernFrame::kNone},
      {1, 0, ModernFrame::kNone},
      {10, -3, ModernFrame::kNone},
  };
  for (const Case& c : cases) {
    CStyleSettings style;
    style.thumb_style = c.thumb_style;
    style.thumb_border_size = c.border_size;
    style.thumb_border_color = 0x336699;
    const CModernFrameStyle frame = StartModernGallery(style).frame;
    EXPECT_EQ(c.expected, frame.kind)
        << "thumb_style " << c.thumb_style << ", border " << c.border_size;
    EXPECT_EQ(c.expected == ModernFrame::kNone ? 0 : 0x996633, frame.color) << c.thumb_style;
  }
}

TEST(ModernGalleryTest, OriginalsAreNamedByNumberAndFormat) {
  EXPECT_EQ("1.jpg", ModernOriginalName("jpg", 0));
  EXPECT_EQ("3.heic", ModernOriginalName("heic", 2));
  EXPECT_EQ("", ModernOriginalName("", 1)) << "content in no photo format is not offered";
  EXPECT_EQ("", ModernOriginalName("../x", 1));
  EXPECT_EQ("", ModernOriginalName("JPG", 1));
}

TEST(ModernGalleryTest, FailedPhotoShowsItsTitleAlone) {
  CPhotoImages failed;
  failed.page_image = {std::nullopt, PhotoFailure::kUndecodable};
  failed.thumbnails = {{PhotoSize{10, 10}, PhotoFailure::kUndecodable}};
  const CModernPhoto photo = ToModernPhoto("t", failed, {"line"}, "1.jpg");
  EXPECT_EQ("t", photo.title_html);
  EXPECT_EQ(0, photo.image.width);
  EXPECT_EQ(0, photo.thumb.width);
  EXPECT_TRUE(photo.caption.empty());
  EXPECT_TRUE(photo.original.empty());
}

TEST(ModernGalleryTest, ThumbnailsOfOneHeightThenTheSmallerPageImages) {
  CStyleSettings style;
  style.thumb_width = 500;  // the classic pages' box counts for nothing here
  style.thumb_height = 400;
  style.thumb_type = 2;
  style.photo_quality = 95;
  const std::vector<CImageSettings> settings = ModernThumbnailSettings(style);
  ASSERT_EQ(4u, settings.size());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(1, settings[i].thumb_type) << i;
  EXPECT_EQ(960, settings[0].thumb_box.width);
  EXPECT_EQ(240, settings[0].thumb_box.height);
  EXPECT_EQ(2, settings[1].thumb_scale);
  EXPECT_EQ(240, settings[1].thumb_box.height);
  EXPECT_EQ(1024, settings[2].thumb_box.height);
  EXPECT_EQ(1536, settings[3].thumb_box.width);
  EXPECT_TRUE(settings[3].never_enlarge);
  // The 1x thumbnail keeps the style's quality; what dense screens take has less, never more.
  EXPECT_EQ(95, settings[0].quality);
  EXPECT_EQ(85, settings[1].quality);
  EXPECT_EQ(85, settings[2].quality);
  EXPECT_EQ(85, settings[3].quality);
  style.photo_quality = 30;  // raised to the floor of photos
  EXPECT_EQ(85, ModernThumbnailSettings(style)[3].quality);
  // The cache tells each size apart by its settings alone.
  EXPECT_NE(ImageSettingsKey(settings[2]), ImageSettingsKey(settings[3]));
  EXPECT_NE(ImageSettingsKey(settings[0]), ImageSettingsKey(settings[1]));
}

TEST(ModernGalleryTest, EachSmallerPageImageIsOfferedWhereItIsSmaller) {
  struct Case {
    PhotoSize image;
    PhotoSize medium;
    PhotoSize large;
    int expected_medium;
    int expected_large;
  };
  const Case cases[] = {
      {{2048, 1280}, {1024, 640}, {1536, 960}, 1024, 1536},
      {{1280, 2048}, {640, 1024}, {960, 1536}, 640, 960},
      // A page image no longer than 1536 pixels has no large size, one no longer than 1024
      // no medium one either.
      {{1300, 836}, {1024, 658}, {1300, 836}, 1024, 0},
      {{1000, 600}, {1000, 600}, {1000, 600}, 0, 0},
  };
  for (const Case& c : cases) {
    CPhotoImages images;
    images.page_image = {c.image, PhotoFailure::kNone};
    images.thumbnails = {{PhotoSize{384, 240}, PhotoFailure::kNone},
                         {PhotoSize{768, 480}, PhotoFailure::kNone},
                         {c.medium, PhotoFailure::kNone},
                         {c.large, PhotoFailure::kNone}};
    const CModernPhoto photo = ToModernPhoto("t", images, {}, "");
    EXPECT_EQ(c.expected_medium, photo.medium.width) << c.image.width << "x" << c.image.height;
    EXPECT_EQ(c.expected_large, photo.large.width) << c.image.width << "x" << c.image.height;
  }
  // A large size that could not be written is not offered.
  CPhotoImages images;
  images.page_image = {PhotoSize{2048, 1280}, PhotoFailure::kNone};
  images.thumbnails = {{PhotoSize{384, 240}, PhotoFailure::kNone},
                       {PhotoSize{768, 480}, PhotoFailure::kNone},
                       {PhotoSize{1024, 640}, PhotoFailure::kNone},
                       {PhotoSize{1536, 960}, PhotoFailure::kNotWritten}};
  EXPECT_EQ(0, ToModernPhoto("t", images, {}, "").large.width);
}

TEST(ModernGalleryTest, OnlyTheSizesWorthOfferingArePlanned) {
  CStyleSettings style;
  const std::vector<CImageSettings> thumbnails = ModernThumbnailSettings(style);
  struct Case {
    PhotoSize source;
    int max_size;
    int expected;
  };
  const Case cases[] = {
      {{300, 200}, 2048, 1},    // the 2x thumbnail would be the page image, no wider
      {{320, 240}, 2048, 1},    // the thumbnail is the page image itself
      {{400, 300}, 2048, 2},    // wider than the thumbnail, yet no larger than the medium
      {{1024, 768}, 2048, 2},   // exactly the medium size
      {{1025, 769}, 2048, 3},   // just over it
      {{10, 1025}, 2048, 3},    // a sliver over it, still narrower once made medium
      {{1536, 1000}, 2048, 3},  // exactly the large size
      {{1300, 836}, 1300, 3},  {{1537, 1000}, 2048, 4},
      {{5000, 2813}, 2048, 4}, {{5000, 2813}, 1000, 2},  // capped below the medium size
      {{5000, 2813}, 0, 4},                              // uncapped
  };
  for (const Case& c : cases) {
    const CImageSettings page = ModernPageImageSettings(style, c.max_size);
    EXPECT_EQ(c.expected, CountOfferedModernSizes(page, thumbnails, c.source))
        << c.source.width << "x" << c.source.height << " at " << c.max_size;
  }
  // A source whose size is not known gets the 1x thumbnail alone, which may not be made either.
  EXPECT_EQ(
      1, CountOfferedModernSizes(ModernPageImageSettings(style, 2048), thumbnails, std::nullopt));
  // Sizes offered stop at the first that is not: a large size is never offered without the
  // medium one.
  EXPECT_EQ(2, CountOfferedModernSizes({2048, 1280},
                                       {{384, 240}, {768, 480}, {2048, 1280}, {1536, 960}}));
}

// Every file under `folder`, by its path relative to it.
void ListTree(const std::string& folder, const std::string& prefix, std::vector<std::string>& out) {
  for (const std::string& name : ListFolder(folder).value_or(std::vector<std::string>{})) {
    if (GetPathKind(folder + "/" + name) == PathKind::kFolder) {
      ListTree(folder + "/" + name, prefix + name + "/", out);
    } else {
      out.push_back(prefix + name);
    }
  }
}

std::vector<std::string> Tree(const std::string& folder) {
  std::vector<std::string> files;
  ListTree(folder, "", files);
  std::sort(files.begin(), files.end());
  return files;
}

// Every address in every page of the gallery at `site` names a file of it.
void ExpectEveryLinkLeadsToAFile(const std::string& site) {
  const std::regex link("(?:href|src)=\"([^\"#?]+)\"|srcset=\"([^\" ]+)");
  for (const std::string& page : Tree(site)) {
    if (!page.ends_with(".html")) continue;
    const std::string text = ReadWholeFile(site + "/" + page);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), link);
         it != std::sregex_iterator(); ++it) {
      const std::string target = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
      if (target.find(':') != std::string::npos) continue;  // a URL such as data:, no file
      EXPECT_EQ(PathKind::kFile, GetPathKind(site + "/" + target)) << page << " -> " << target;
    }
  }
}

class ModernBuildTest : public ::testing::Test {
 protected:
  ModernBuildTest() {
    photos_ = folder_.Join("photos");
    static_cast<void>(CreateFolder(photos_));
    Save(Solid(1400, 900, {200, 40, 40}), folder_, "photos/a-wide.jpg");
    Save(Solid(600, 1200, {40, 200, 40}), folder_, "photos/b-tall.jpg");
    const std::string whole = ReadWholeFile(Save(Solid(800, 600, {9, 9, 9}), folder_, "x.jpg"));
    folder_.WriteFile("photos/c-damaged.jpg", whole.substr(0, whole.size() / 3));
    Save(Solid(300, 200, {40, 40, 200}), folder_, "photos/d-small.png");
  }

  ExitCode Run(std::vector<std::string> arguments) {
    std::ostringstream out;
    CCliEnvironment environment(out, err_);
    environment.preset_folder = GALLERY_PRESET_SOURCE_DIR;
    environment.clock = [] { return 0.0; };
    arguments.push_back("-q");
    return RunGalleryCli(arguments, environment);
  }

  TempFolder folder_;
  std::string photos_;
  std::ostringstream err_;
};

TEST_F(ModernBuildTest, WritesTheListedFilesWithCappedImagesAndWorkingLinks) {
  const std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt,
            Run({"new", photos_, site, "-t", "T", "--max-size", "1300", "--originals"}))
      << err_.str();
  // The damaged photo is named, shown by its title and has no images nor original.
  EXPECT_NE(std::string::npos, err_.str().find("c-damaged.jpg")) << err_.str();
  // The record of what the build wrote comes first, by its hidden name.
  const std::vector<std::string> expected = {
      ".gallery-record", "assets/gallery.css", "assets/gallery.js", "images/1.jpg",
      "images/2.jpg",    "images/4.jpg",       "index.html",        "medium/1.jpg",
      "medium/2.jpg",    "originals/1.jpg",    "originals/2.jpg",   "originals/4.png",
      "photo-1.html",    "photo-2.html",       "photo-3.html",      "photo-4.html",
      "thumbs/1.jpg",    "thumbs/2.jpg",       "thumbs/4.jpg",      "thumbs2x/1.jpg",
      "thumbs2x/2.jpg"};
  EXPECT_EQ(expected, Tree(site));
  EXPECT_EQ(1300, LoadPixels(site + "/images/1.jpg").width());
  EXPECT_EQ(836, LoadPixels(site + "/images/1.jpg").height());
  EXPECT_EQ(1200, LoadPixels(site + "/images/2.jpg").height());  // under the cap: its own size
  EXPECT_EQ(300, LoadPixels(site + "/images/4.jpg").width());    // never enlarged
  // The medium size is 1024 pixels long; the small photo, with no smaller sizes to offer, has
  // none, nor a 2x thumbnail.
  EXPECT_EQ(1024, LoadPixels(site + "/medium/1.jpg").width());
  EXPECT_EQ(1024, LoadPixels(site + "/medium/2.jpg").height());
  for (const char* n : {"1", "2"}) {
    const vips::VImage one = LoadPixels(site + "/thumbs/" + n + ".jpg");
    const vips::VImage two = LoadPixels(site + "/thumbs2x/" + n + ".jpg");
    EXPECT_EQ(240, one.height()) << n;  // one height, wide or tall
    EXPECT_EQ(2 * one.width(), two.width()) << n;
    EXPECT_EQ(2 * one.height(), two.height()) << n;
  }
  EXPECT_EQ(ReadWholeFile(photos_ + "/d-small.png"), ReadWholeFile(site + "/originals/4.png"));

  ExpectEveryLinkLeadsToAFile(site);
}

TEST_F(ModernBuildTest, AlbumsGetPagesOfTheirOwnBesideTheFlatLayout) {
  CGalleryBuilder builder;
  ASSERT_EQ(LoadFailure::kNone,
            builder.Load(std::string(GALLERY_PRESET_SOURCE_DIR) + "/shaded.xml"));
  builder.style().collection_title = "Trip";
  const CAlbum deep{"Deep #1? \u00e9", "", "", "", {{photos_ + "/b-tall.jpg", "Tall"}}, {}};
  const CAlbum sea{"Sea & <b>sand</b>",
                   "",
                   "",
                   photos_ + "/a-wide.jpg",
                   {{photos_ + "/c-damaged.jpg", "Damaged"}, {photos_ + "/a-wide.jpg", "Wide"}},
                   {deep}};
  const CAlbum root{"Not shown", "", "", "", {{photos_ + "/d-small.png", "Small"}},
                    {sea, CAlbum{"Empty", "", "", "", {}, {}}}};
  const std::string site = folder_.Join("site");
  ASSERT_TRUE(CreateFolder(site));
  CModernOptions options;
  options.max_size = 400;
  options.workers = 0;
  CPlannedGallery planned;
  ASSERT_EQ(1, BuildModernGallery(builder, root, options, site, nullptr, &planned));
  // What the build planned, as the record is made of it, is what it left on disk.
  std::vector<std::string> planned_files = planned.files;
  std::sort(planned_files.begin(), planned_files.end());
  EXPECT_EQ(Tree(site), planned_files);
  EXPECT_TRUE(planned.optional_files.empty());
  EXPECT_EQ("index.html", planned.index_page);
  for (const std::string& folder : planned.folders) {
    EXPECT_EQ(PathKind::kFolder, GetPathKind(site + "/" + folder)) << folder;
  }

  std::vector<std::string> pages;
  for (const std::string& file : Tree(site)) {
    if (file.ends_with(".html") || file.starts_with("assets/")) pages.push_back(file);
  }
  const std::vector<std::string> expected = {
      "album-1.html", "album-2.html", "assets/albums.css", "assets/gallery.css",
      "assets/gallery.js", "index.html", "photo-1.html", "photo-2.html", "photo-3.html",
      "photo-4.html"};
  EXPECT_EQ(expected, pages);
  // Numbered in the order of the library: the sub-album's photo first, the damaged one has none.
  const vips::VImage first = LoadPixels(site + "/images/1.jpg");
  EXPECT_GT(first.height(), first.width());
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/images/2.jpg"));
  EXPECT_EQ(400, LoadPixels(site + "/images/3.jpg").width());
  ExpectEveryLinkLeadsToAFile(site);

  const std::string index = ReadWholeFile(site + "/index.html");
  EXPECT_NE(std::string::npos, index.find("<h1>Trip</h1>"));
  EXPECT_EQ(std::string::npos, index.find("Not shown"));
  // The album's card shows the cover it names, its title as written and all its photos.
  EXPECT_NE(std::string::npos,
            index.find("<a class=\"cell album\" href=\"album-1.html\"><span "
                       "class=\"thumb\"><img src=\"thumbs/3.jpg\""))
      << index;
  EXPECT_NE(std::string::npos, index.find("Sea &amp; &lt;b&gt;sand&lt;/b&gt;</span><span "
                                          "class=\"size\">3 photos</span>"));
  EXPECT_EQ(std::string::npos, index.find("Empty"));
  const std::string wide = ReadWholeFile(site + "/photo-3.html");
  EXPECT_NE(std::string::npos, wide.find("<p class=\"count\">2 of 2</p>"));
  EXPECT_NE(std::string::npos, wide.find("<a rel=\"prev\" href=\"photo-2.html\">"));
  EXPECT_EQ(std::string::npos, wide.find("rel=\"next\""));
  EXPECT_NE(std::string::npos, wide.find("<a href=\"album-1.html\" data-up>Index</a>"));
  EXPECT_NE(std::string::npos,
            ReadWholeFile(site + "/album-2.html").find("<span aria-current=\"page\">Deep #1? "
                                                       "\u00e9</span>"));
}

TEST_F(ModernBuildTest, EachPresetShowsItsFontsAndFrame) {
  struct Case {
    const char* preset;
    const char* style;
    const char* frame_class;
  } cases[] = {
      {"plain", "--card-fg:#222222}body{font-family:Helvetica,Arial,sans-serif}", ""},
      {"framed", "--frame:#d8d8d8}body{font-family:Georgia,serif}", " frame-line"},
      {"shaded", "--frame:#666666}body{font-family:Verdana,Arial,sans-serif}", " frame-shadow"},
  };
  for (const Case& c : cases) {
    const std::string site = folder_.Join(c.preset);
    ASSERT_EQ(ExitCode::kBuilt, Run({"new", photos_, site, "-t", "T", "-p", c.preset}))
        << err_.str();
    for (const std::string kind : {"index", "photo"}) {
      const std::string page =
          ReadWholeFile(site + (kind == "index" ? "/index.html" : "/photo-1.html"));
      EXPECT_NE(std::string::npos, page.find(c.style)) << c.preset << " " << kind;
      EXPECT_NE(std::string::npos, page.find("<body class=\"" + kind + c.frame_class + "\""))
          << c.preset << " " << kind;
    }
  }
}

TEST_F(ModernBuildTest, OriginalsArePublishedUnderTheirFormatsNotTheirNames) {
  // A JPEG named as a page and a PNG named as a script, listed by a collection file.
  const std::string page = folder_.Join("photos/a-wide.jpg");
  std::filesystem::rename(page, folder_.Join("photos/evil.html"));
  std::filesystem::rename(folder_.Join("photos/d-small.png"), folder_.Join("photos/run.php"));
  const std::string collection =
      folder_.WriteFile("c.xml", "<collection title=\"T\"><photo title=\"a\" path=\"" + photos_ +
                                     "/evil.html\"/><photo title=\"b\" path=\"" + photos_ +
                                     "/run.php\"/><style/></collection>");
  const std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt, Run({"build", collection, site, "--originals"})) << err_.str();
  const std::vector<std::string> tree = Tree(site);
  for (const char* name : {"originals/1.jpg", "originals/2.png"}) {
    EXPECT_NE(tree.end(), std::find(tree.begin(), tree.end(), name)) << name;
  }
  for (const std::string& name : tree) {
    EXPECT_FALSE(name.ends_with(".php") ||
                 (name.starts_with("originals/") && name.ends_with(".html")))
        << name;
  }
  EXPECT_EQ(ReadWholeFile(photos_ + "/run.php"), ReadWholeFile(site + "/originals/2.png"));
  EXPECT_NE(std::string::npos, ReadWholeFile(site + "/photo-1.html")
                                   .find("href=\"originals/1.jpg\" download=\"evil.jpg\""));
}

TEST(ModernDownloadNameTest, KeepsThePhotosOwnNameUnderItsRealFormat) {
  struct Case {
    const char* source;
    const char* extension;
    const char* offered;
  };
  for (const Case& c : {
           Case{"/p/IMG_4711.HEIC", "heic", "IMG_4711.HEIC"},
           Case{"/p/Beach.jpeg", "jpg", "Beach.jpeg"},
           Case{"/p/scan.TIFF", "tif", "scan.TIFF"},
           Case{"/p/page.html", "jpg", "page.jpg"},
           Case{"/p/no extension", "png", "no extension.png"},
           Case{"/p/.jpg", "jpg", "photo-3.jpg"},
           Case{"/p/Été \"1\".webp", "webp", "Été \"1\".webp"},
       }) {
    EXPECT_EQ(ModernDownloadName(c.source, c.extension, 2), c.offered) << c.source;
  }
}

// The pixels of row `y` of `image` (its first band) that are neither near black nor near white.
int SoftPixels(const vips::VImage& image, int y) {
  int soft = 0;
  for (int x = 0; x < image.width(); ++x) {
    const double value = image.getpoint(x, y)[0];
    soft += value > 48 && value < 208 ? 1 : 0;
  }
  return soft;
}

TEST_F(ModernBuildTest, PagesSpeakTheLanguageAskedForAndPhotosGetNoRing) {
  const std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt, Run({"new", photos_, site, "-t", "T", "--lang", "de"}))
      << err_.str();
  const std::string page = ReadWholeFile(site + "/photo-1.html");
  EXPECT_NE(std::string::npos, page.find("<html lang=\"de\">"));
  EXPECT_NE(std::string::npos, page.find(">Weiter</a>"));
  EXPECT_NE(std::string::npos, page.find(">1 von 4</p>"));
  EXPECT_NE(std::string::npos, page.find(" data-word-start-slideshow=\"Diashow starten\""));
  EXPECT_EQ(std::string::npos, page.find(">Next<"));
  // The shaded preset's frame is the classic pages' alone: the photo keeps its own colour to
  // its edge.
  const vips::VImage image = LoadPixels(site + "/images/1.jpg");
  EXPECT_NEAR(200, image.getpoint(0, 0)[0], 8);
  EXPECT_NEAR(40, image.getpoint(image.width() - 1, image.height() - 1)[1], 8);
}

TEST_F(ModernBuildTest, ThumbnailsAreDrawnFromThePageImage) {
  // Black beside white, with one sharp edge between. The page image is capped far below the
  // thumbnail's size, so a thumbnail drawn from it shows the edge as soft as the page image is
  // coarse, and no size of it has more pixels than the page image; one drawn from the source
  // would keep the edge sharp and the larger sizes large.
  static_cast<void>(CreateFolder(folder_.Join("edge")));
  const vips::VImage black = Solid(400, 400, {0, 0, 0});
  Save(black.join(Solid(400, 400, {255, 255, 255}), VIPS_DIRECTION_HORIZONTAL), folder_,
       "edge/edge.png");
  const std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt, Run({"new", folder_.Join("edge"), site, "-t", "T", "--max-size", "24",
                                   "--theme=modern"}))
      << err_.str();
  const vips::VImage page = LoadPixels(site + "/images/1.jpg");
  ASSERT_EQ(24, page.width());
  const vips::VImage thumb = LoadPixels(site + "/thumbs/1.jpg");
  ASSERT_GT(thumb.width(), 4 * page.width());
  // Each pixel of the page image spans many of the thumbnail's, and the edge, enlarged from it,
  // at least half of one such span (one drawn from the source would be a pixel or two wide).
  EXPECT_LE(thumb.width() / page.width() / 2, SoftPixels(thumb, thumb.height() / 2));
  for (const char* larger : {"/thumbs2x/1.jpg", "/medium/1.jpg"}) {
    if (GetPathKind(site + larger) != PathKind::kFile) continue;
    EXPECT_GE(page.width(), LoadPixels(site + larger).width()) << larger;
  }
}

TEST_F(ModernBuildTest, CameraPhotosGetEverySizeAtItsQuality) {
  // Wide and tall photos larger than twice the cap, so that each is decoded at half size and
  // then resampled; the sizes are those the pages lay out, whatever draws the pixels.
  const std::string camera = folder_.Join("camera");
  static_cast<void>(CreateFolder(camera));
  const vips::VImage wide = TwoTone(5000, 2813, 1700, {210, 180, 90}, {20, 60, 140});
  Save(wide, folder_, "camera/a.jpg");
  Save(wide.rot90(), folder_, "camera/b.jpg");
  const std::string site = folder_.Join("site");
  ASSERT_EQ(ExitCode::kBuilt, Run({"new", camera, site, "-t", "T", "--no-cache"})) << err_.str();
  // The presets write photos at quality 90; the sizes for dense screens take 85 at most.
  auto tables_at = [&](int quality) {
    const std::string reference = folder_.Join("at-" + std::to_string(quality) + ".jpg");
    Solid(64, 64, {1, 2, 3}).jpegsave(reference.c_str(), vips::VImage::option()->set("Q", quality));
    return QuantisationTables(ReadWholeFile(reference));
  };
  const std::string preset_tables = tables_at(90);
  const std::string dense_tables = tables_at(kModernDenseScreenQuality);
  struct Expected {
    const char* folder;
    PhotoSize wide;
    PhotoSize tall;
    bool dense;
  };
  // Thumbnails are made at one height, the other sizes within a square.
  const Expected sizes[] = {{"images", {2048, 1152}, {1152, 2048}, false},
                            {"large", {1536, 864}, {864, 1536}, true},
                            {"medium", {1024, 576}, {576, 1024}, true},
                            {"thumbs2x", {852, 480}, {270, 480}, true},
                            {"thumbs", {426, 240}, {135, 240}, false}};
  for (const Expected& expected : sizes) {
    for (const char* photo : {"1", "2"}) {
      const std::string path = site + "/" + expected.folder + "/" + photo + ".jpg";
      const vips::VImage image = LoadPixels(path);
      const PhotoSize& size = std::string(photo) == "2" ? expected.tall : expected.wide;
      EXPECT_EQ(size.width, image.width()) << path;
      EXPECT_EQ(size.height, image.height()) << path;
      EXPECT_TRUE((expected.dense ? dense_tables : preset_tables) ==
                  QuantisationTables(ReadWholeFile(path)))
          << path;
    }
  }
  // The edge between the two colours stays where it was, at a third of the width.
  const vips::VImage page = LoadPixels(site + "/images/1.jpg");
  EXPECT_NEAR(210, page.getpoint(690, 500)[0], 12);
  EXPECT_NEAR(20, page.getpoint(704, 500)[0], 12);
}

TEST_F(ModernBuildTest, RebuildsOverModernAndClassicGalleriesAndRefusesForeignFiles) {
  const std::string site = folder_.Join("site");
  const std::string collection = site + ".collection.xml";
  ASSERT_EQ(ExitCode::kBuilt, Run({"new", photos_, site, "-t", "T", "--max-size", "200"}));
  EXPECT_EQ(ExitCode::kBuilt, Run({"build", collection, site, "--max-size", "300"}));
  EXPECT_EQ(300, LoadPixels(site + "/images/1.jpg").width());
  ASSERT_EQ(ExitCode::kBuilt, Run({"build", collection, site, "--theme", "classic"}));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/index.html"));
  EXPECT_EQ(PathKind::kFile, GetPathKind(site + "/index.htm"));
  ASSERT_EQ(ExitCode::kBuilt, Run({"build", collection, site, "--max-size", "200"}));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/index.htm"));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site + "/collection.xml"));
  EXPECT_EQ(200, LoadPixels(site + "/images/1.jpg").width());

  folder_.WriteFile("site/assets/mine.css", "x");
  const std::vector<std::string> before = Tree(site);
  EXPECT_EQ(ExitCode::kGenerateFailed, Run({"build", collection, site}));
  EXPECT_NE(std::string::npos, err_.str().find("assets/mine.css")) << err_.str();
  EXPECT_EQ(before, Tree(site));
}

TEST_F(ModernBuildTest, NoPhotoMadeEndsWithItsOwnCodeAndWritesNothing) {
  const std::string broken = folder_.Join("broken");
  static_cast<void>(CreateFolder(broken));
  folder_.WriteFile("broken/a.jpg", ReadWholeFile(photos_ + "/c-damaged.jpg"));
  const std::string site = folder_.Join("site");
  EXPECT_EQ(ExitCode::kNoPhotoMade, Run({"new", broken, site, "-t", "T"}));
  EXPECT_EQ(PathKind::kMissing, GetPathKind(site));
}

}  // namespace
}  // namespace gallery
