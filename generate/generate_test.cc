#include "generate/generate.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "collection/collection_document.h"
#include "collection/gallery_builder.h"
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

TEST(GetPageFileNameTest, NamesPagesThatExist) {
  struct Case {
    int kind, number, count;
    const char* expected;
  };
  const Case cases[] = {
      {kPhotoPageKind, 0, 5, "0.htm"},
      {kPhotoPageKind, 4, 5, "4.htm"},
      {kPhotoPageKind, 5, 5, ""},
      {kPhotoPageKind, -1, 5, ""},
      {kPhotoPageKind, 10, 12, "10.htm"},
      {kIndexPageKind, 0, 3, "index.htm"},
      {kIndexPageKind, 2, 3, "index-2.htm"},
      {kIndexPageKind, 0, 0, ""},
      {kIndexPageKind, 3, 3, ""},
      {7, 1, 2, "index-1.htm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, CGalleryBuilder::GetPageFileName(c.kind, c.number, c.count))
        << "kind " << c.kind << ", page " << c.number << " of " << c.count;
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
  // Sources are missing: no page image is written, and the path still points at the page image.
  EXPECT_FALSE(FileExists(folder_.Join("images/0.jpg")));
  EXPECT_EQ(folder_.Join("images/3.jpg"), builder_.photos()[3].path);

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

TEST_F(GenerateTest, MissingGalleryRootFailsAtTheSave) {
  AddMissingPhotos(2);
  EXPECT_EQ(0, builder_.Generate(folder_.Join("absent/collection.xml"), true));
  EXPECT_FALSE(FileExists(folder_.Join("absent")));
}

}  // namespace
}  // namespace gallery
