#include "collection/gallery_builder.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace gallery {
namespace {

std::string CollectionWithPhotos(const std::string& photos) {
  return "<collection title=\"T\" desc=\"D\">" + photos + "<style table_rows=\"2\"/></collection>";
}

std::vector<std::string> Paths(const CGalleryBuilder& builder) {
  std::vector<std::string> paths;
  for (const CPhotoEntry& photo : builder.photos()) paths.push_back(photo.path);
  return paths;
}

TEST(CGalleryBuilderTest, ResolvesPhotoPathsAgainstTheImagesFolder) {
  struct Case {
    std::string collection_path;
    std::string photo;  // the photo element's attributes
    std::string expected;
  };
  const Case cases[] = {
      {"/srv/gallery/c.xml", "path=\"a.jpg\"", "/srv/gallery/images/a.jpg"},
      {"/srv/gallery/c.xml", "path=\"sub/a.jpg\"", "/srv/gallery/images/sub/a.jpg"},
      {"/srv/gallery/c.xml", "path=\"sub\\a.jpg\"", "/srv/gallery/images/sub\\a.jpg"},
      {"/srv/gallery/c.xml", "path=\"../a.jpg\"", "/srv/gallery/images/../a.jpg"},
      {"/srv/gallery/c.xml", "path=\"/pics/a.jpg\"", "/pics/a.jpg"},
      {"/srv/gallery/c.xml", "path=\"\\\\server\\share\\a.jpg\"", "\\\\server\\share\\a.jpg"},
      {"/srv/gallery/c.xml", "path=\"C:\\pics\\a.jpg\"", "C:\\pics\\a.jpg"},
      {"/srv/gallery/c.xml", "path=\"c:x.jpg\"", "c:x.jpg"},
      // A colon past the first two characters, or after no letter, is part of a name.
      {"/srv/gallery/c.xml", "path=\"odd:name.jpg\"", "/srv/gallery/images/odd:name.jpg"},
      {"/srv/gallery/c.xml", "path=\"12:30 lunch.jpg\"", "/srv/gallery/images/12:30 lunch.jpg"},
      {"/srv/gallery/c.xml", "path=\"1:x.jpg\"", "/srv/gallery/images/1:x.jpg"},
      {"/srv/gallery/c.xml", "path=\":x.jpg\"", "/srv/gallery/images/:x.jpg"},
      {"/srv/gallery/c.xml", "path=\"sub/c:x.jpg\"", "/srv/gallery/images/sub/c:x.jpg"},
      {"/srv/gallery/c.xml", "path=\"c:\"", "c:"},
      {"/srv/gallery/c.xml", "path=\"\\a.jpg\"", "/srv/gallery/images/\\a.jpg"},
      {"/srv/gallery/c.xml", "path=\"\"", "/srv/gallery/images/"},
      {"/srv/gallery/c.xml", "title=\"no path\"", "/srv/gallery/images/"},
      // Paths are never escaped.
      {"/srv/gallery/c.xml", "path=\"R&amp;D 100%.jpg\"", "/srv/gallery/images/R&D 100%.jpg"},
      {"C:\\gallery\\c.xml", "path=\"a.jpg\"", "C:\\gallery/images/a.jpg"},
      {"c.xml", "path=\"a.jpg\"", "./images/a.jpg"},
  };
  for (const Case& c : cases) {
    CGalleryBuilder builder;
    ASSERT_EQ(LoadFailure::kNone,
              builder.LoadText(CollectionWithPhotos("<photo " + c.photo + "/>"), c.collection_path))
        << c.photo;
    ASSERT_EQ(1u, builder.photos().size()) << c.photo;
    EXPECT_EQ(c.expected, builder.photos()[0].path) << c.photo << " in " << c.collection_path;
  }
}

TEST(CGalleryBuilderTest, LoadsTextsPhotosAndStyle) {
  CGalleryBuilder builder;
  ASSERT_EQ(LoadFailure::kNone,
            builder.LoadText("<collection title=\"Trip &amp; more\" desc=\"Summer\">"
                             "<photo title=\"B\" path=\"b.jpg\" desc=\"ignored\"/>"
                             "<set><photo title=\"nested\" path=\"n.jpg\"/></set>"
                             "<photo title=\"A\" path=\"a.jpg\"/>"
                             "<style font_name=\"Arial\" table_columns=\"4\"/>"
                             "<photo title=\"B\" path=\"b.jpg\"/>"
                             "<style font_name=\"Second\" table_rows=\"9\"/>"
                             "</collection>",
                             "/g/c.xml"));
  EXPECT_EQ("Trip & more", builder.style().collection_title);
  EXPECT_EQ("Summer", builder.style().collection_desc);
  EXPECT_EQ((std::vector<std::string>{"/g/images/b.jpg", "/g/images/a.jpg", "/g/images/b.jpg"}),
            Paths(builder));
  EXPECT_EQ("A", builder.photos()[1].title);
  EXPECT_EQ("Arial", builder.style().font_name) << "the first style element counts";
  EXPECT_EQ(4, builder.style().table_columns);
  EXPECT_EQ(0, builder.style().table_rows) << "absent numbers stay 0";
}

TEST(CGalleryBuilderTest, CollectionWithoutPhotosLoadsEmpty) {
  CGalleryBuilder builder;
  ASSERT_EQ(LoadFailure::kNone, builder.LoadText(CollectionWithPhotos(""), "/g/c.xml"));
  EXPECT_TRUE(builder.photos().empty());
  EXPECT_EQ(2, builder.style().table_rows);
}

// `depth` elements, each inside the one before.
std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<group>";
  for (int i = 0; i < depth; ++i) text += "</group>";
  return text;
}

TEST(CGalleryBuilderTest, NestedContentIsIgnoredUpToTheDepthLimit) {
  CGalleryBuilder builder;
  ASSERT_EQ(LoadFailure::kNone,
            builder.LoadText(CollectionWithPhotos("<photo path=\"a.jpg\">" + Nested(200) +
                                                  "</photo>" + Nested(250)),
                             "/g/c.xml"));
  EXPECT_EQ((std::vector<std::string>{"/g/images/a.jpg"}), Paths(builder));
}

TEST(CGalleryBuilderTest, FailedLoadLeavesTheBuilderUnchanged) {
  CGalleryBuilder builder;
  ASSERT_EQ(LoadFailure::kNone,
            builder.LoadText(CollectionWithPhotos("<photo path=\"a.jpg\"/>"), "/g/c.xml"));
  const std::pair<std::string, LoadFailure> failing[] = {
      {"<gallery><photo path=\"x.jpg\"/><style table_rows=\"7\"/></gallery>",
       LoadFailure::kWrongRoot},
      {"<collection title=\"new\"><photo path=\"x.jpg\"/></collection>", LoadFailure::kNoStyle},
      {"<collection title=\"new\"><photo path=\"x.jpg\"/><style table_rows=\"7\"/>",
       LoadFailure::kNotXml},
      {"", LoadFailure::kNotXml},
      // Nesting past what any collection needs is refused as soon as it is met.
      {"<collection><photo path=\"x.jpg\"/><style table_rows=\"7\"/>" + Nested(300) +
           "</collection>",
       LoadFailure::kNotXml},
  };
  for (const auto& [text, cause] : failing) {
    EXPECT_EQ(cause, builder.LoadText(text, "/other/c.xml")) << text;
    EXPECT_EQ((std::vector<std::string>{"/g/images/a.jpg"}), Paths(builder)) << text;
    EXPECT_EQ("T", builder.style().collection_title) << text;
    EXPECT_EQ(2, builder.style().table_rows) << text;
  }
}

}  // namespace
}  // namespace gallery
