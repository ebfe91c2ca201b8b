#include "app/photo_folder.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/gallery_builder.h"
#include "collection/style_settings.h"

namespace gallery {
namespace {

TEST(PhotoFolderTest, PhotoFilesAreKnownByTheirExtension) {
  struct Case {
    const char* name;
    bool expected;
  } cases[] = {
      {"a.jpg", true},  {"B.JPEG", true},       {"c.Png", true},      {"d.tif", true},
      {"e.tiff", true}, {"f.webp", true},       {"g.heic", true},     {"h.avif", true},
      {"i.bmp", true},  {"j.gif", true},        {"k.txt", false},     {"jpg", false},
      {".jpg", false},  {".hidden.jpg", false}, {"l.jpg.xml", false}, {"m.", false},
      {"", false},      {"n.jpgx", false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, IsPhotoFileName(c.name)) << c.name;
  const Case videos[] = {{"a.mp4", true},  {"B.MOV", true},      {"c.m4v", true},
                         {"d.WebM", true}, {".e.mp4", false},    {"f.mkv", false},
                         {"mp4", false},   {"g.mp4.jpg", false}, {"h.avi", false}};
  for (const Case& c : videos) {
    EXPECT_EQ(c.expected, IsVideoFileName(c.name)) << c.name;
    EXPECT_FALSE(c.expected && IsPhotoFileName(c.name)) << c.name;
  }
}

TEST(PhotoFolderTest, TitlesComeFromFileNames) {
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"Sunset.jpg", "Sunset"},
      {"summer_beach-2019.JPG", "summer beach 2019"},
      {"  two   spaces .png", "two spaces"},
      {"__.jpg", "__.jpg"},  // nothing left: the name itself
      {"no extension", "no extension"},
      {"a.b.c.jpg", "a.b.c"},
      {"Café crème.jpg", "Café crème"},
      {"FreshFlower.jpg", "Fresh Flower"},
      {"LadyBird_2.jpg", "Lady Bird 2"},
      {"iPhone.jpg", "iPhone"},
      {"DSCF0042.JPG", "DSCF0042"},
      {"Some Words.png", "Some Words"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, TitleFromFileName(c.name)) << c.name;
}

TEST(PhotoFolderTest, NaturalOrderReadsNumbersAndIgnoresCase) {
  struct Case {
    const char* left;
    const char* right;
    bool expected;
  } cases[] = {
      {"img2.jpg", "img10.jpg", true},
      {"img10.jpg", "img2.jpg", false},
      {"apple.jpg", "Banana.jpg", true},
      {"Banana.jpg", "apple.jpg", false},
      {"a01.jpg", "a1.jpg", true},
      {"a1.jpg", "a01.jpg", false},  // equal value: bytewise
      {"a007", "a8", true},
      {"a", "a1", true},
      {"same", "same", false},
      {"x99999999999999999999", "x100000000000000000000", true},
      // Accented letters sort beside the plain ones, not after "z".
      {"Été.jpg", "Zoë.jpg", true},
      {"Zoë.jpg", "Été.jpg", false},
      {"eagle.jpg", "Été.jpg", true},
      {"Ñandú.jpg", "Oso.jpg", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, NaturalLess(c.left, c.right)) << c.left << " < " << c.right;
  }
}

std::vector<std::string> Names(const std::vector<CFolderPhoto>& photos) {
  std::vector<std::string> names;
  for (const CFolderPhoto& photo : photos) names.push_back(photo.name);
  return names;
}

TEST(PhotoFolderTest, SortByNameOrByDateWithUndatedLast) {
  std::vector<CFolderPhoto> photos = {
      {"/p/c10.jpg", "c10.jpg", "c10", "2021:05:01 10:00:00"}, {"/p/c2.jpg", "c2.jpg", "c2", ""},
      {"/p/a.jpg", "a.jpg", "a", "2020:01:01 00:00:00"},       {"/p/B.jpg", "B.jpg", "B", ""},
      {"/p/d.jpg", "d.jpg", "d", "2020:01:01 00:00:00"},
  };
  SortPhotos(photos, PhotoOrder::kName);
  EXPECT_EQ((std::vector<std::string>{"a.jpg", "B.jpg", "c2.jpg", "c10.jpg", "d.jpg"}),
            Names(photos));
  SortPhotos(photos, PhotoOrder::kDate);
  EXPECT_EQ((std::vector<std::string>{"a.jpg", "d.jpg", "c10.jpg", "B.jpg", "c2.jpg"}),
            Names(photos));
}

TEST(PhotoFolderTest, RenderedCollectionLoadsBackWithTheSamePhotosAndStyle) {
  CStyleSettings style;
  style.preset_name = "Plain";
  style.font_name = "Verdana";
  style.table_columns = 3;
  style.thumb_back_color = 16777215;
  std::vector<CFolderPhoto> photos = {
      {"/photos/b & c.jpg", "b & c.jpg", "b & c", ""},
      {"/photos/100%.png", "100%.png", "100%", ""},
  };
  std::optional<std::string> bytes =
      RenderCollection("Trip <2020>", "Sun \"and\" sea", photos, style);
  ASSERT_TRUE(bytes);
  CGalleryBuilder builder;
  ASSERT_EQ(LoadFailure::kNone, builder.LoadText(*bytes, "/elsewhere/collection.xml")) << *bytes;
  EXPECT_EQ("Trip <2020>", builder.style().collection_title);
  EXPECT_EQ("Sun \"and\" sea", builder.style().collection_desc);
  EXPECT_EQ("Plain", builder.style().preset_name);
  EXPECT_EQ("Verdana", builder.style().font_name);
  EXPECT_EQ(3, builder.style().table_columns);
  EXPECT_EQ(16777215, builder.style().thumb_back_color);
  ASSERT_EQ(2u, builder.photos().size());
  for (size_t i = 0; i < photos.size(); ++i) {
    // Absolute paths are taken as they are, not from the images folder beside the file.
    EXPECT_EQ(photos[i].path, builder.photos()[i].path) << i;
    EXPECT_EQ(photos[i].title, builder.photos()[i].title) << i;
  }
}

TEST(PhotoFolderTest, NamesBecomeTextThatShowsAsWritten) {
  struct Case {
    std::string name;
    std::string mended;
    bool collection_text;
    std::string terminal;
  } cases[] = {
      {"plain", "plain", true, "plain"},
      {"Caf\xC3\xA9", "Caf\xC3\xA9", true, "Caf\xC3\xA9"},
      {"tab\there", "tabhere", true, "tab\\x09here"},
      {"bell\x07\x7F", "bell", false, "bell\\x07\\x7F"},
      {"bad\xFF"
       "byte",
       "bad\xEF\xBF\xBD"
       "byte",
       false, "bad\\xFFbyte"},
      // A character cut short, an overlong slash and a surrogate are no characters.
      {"\xC3", "\xEF\xBF\xBD", false, "\\xC3"},
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", false, "\\xC0\\xAF"},
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false, "\\xED\\xA0\\x80"},
      {"\xF0\x9F\x93\xB7", "\xF0\x9F\x93\xB7", true, "\xF0\x9F\x93\xB7"},
      {"esc\x1B[2Jback\\slash", "esc[2Jback\\slash", false, "esc\\x1B[2Jback\\\\slash"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.mended, MendText(c.name)) << c.terminal;
    EXPECT_EQ(c.collection_text, IsCollectionText(c.name)) << c.terminal;
    EXPECT_EQ(c.terminal, EscapeForTerminal(c.name)) << c.terminal;
  }
}

TEST(PhotoFolderTest, TitlesAreMadeHtmlThatNoPlaceholderReads) {
  EXPECT_EQ("&lt;img src=x onerror=alert(1)&gt;", TitleAsHtml("<img src=x onerror=alert(1)>"));
  EXPECT_EQ("Tom&#39;s &quot;best&quot; &amp; more", TitleAsHtml("Tom's \"best\" & more"));
  EXPECT_EQ("100&#37; &#37;&#37;PhotoCount&#37;&#37;", TitleAsHtml("100% %%PhotoCount%%"));
}

}  // namespace
}  // namespace gallery
