#include "generate/classic_plan.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/output_layout.h"
#include "collection/photo_entry.h"
#include "collection/style_settings.h"
#include "html/page_writer.h"

namespace gallery {
namespace {

std::vector<CPhotoEntry> MakePhotos(int count) {
  std::vector<CPhotoEntry> photos;
  for (int i = 0; i < count; ++i) {
    CPhotoEntry photo;
    photo.path = "/photos/p" + std::to_string(i) + ".jpg";
    photo.title = "Photo " + std::to_string(i);
    photos.push_back(photo);
  }
  return photos;
}

CClassicPlan Plan(int photo_count, int columns, int rows, bool thumbnails) {
  CStyleSettings style;
  style.table_columns = columns;
  style.table_rows = rows;
  return PlanClassicGallery(MakePhotos(photo_count), style, "/g/collection.xml", thumbnails);
}

// The plan's files by path relative to the gallery "/g".
std::vector<std::string> RelativePaths(const CClassicPlan& plan) {
  std::vector<std::string> paths;
  for (const CClassicPlannedFile& file : plan.files) paths.push_back(file.path.substr(3));
  return paths;
}

TEST(ClassicPlanTest, SpreadsPhotosOverIndexPages) {
  struct Case {
    int photos, columns, rows;
    std::vector<std::string> pages;  // the index pages' files
    std::vector<int> firsts, ends;   // the photos each shows
  };
  const Case cases[] = {
      {7, 2, 2, {"index.htm", "index-1.htm"}, {0, 4}, {4, 7}},
      {8, 2, 2, {"index.htm", "index-1.htm"}, {0, 4}, {4, 8}},  // exactly full
      {9, 2, 2, {"index.htm", "index-1.htm", "index-2.htm"}, {0, 4, 8}, {4, 8, 9}},
      {1, 3, 3, {"index.htm"}, {0}, {1}},
      {5, 0, 3, {"index.htm"}, {0}, {5}},  // no columns: one page of every photo
      {5, 3, 0, {"index.htm"}, {0}, {5}},  // no rows likewise
      {0, 2, 2, {}, {}, {}},
      {0, 0, 2, {"index.htm"}, {0}, {0}},
  };
  for (const Case& c : cases) {
    const std::string context = std::to_string(c.photos) + " photos, " + std::to_string(c.columns) +
                                " x " + std::to_string(c.rows);
    const CClassicPlan plan = Plan(c.photos, c.columns, c.rows, true);
    ASSERT_EQ(static_cast<int>(c.pages.size()), plan.index_page_count) << context;
    ASSERT_EQ(c.pages.size() + c.photos, plan.pages.size()) << context;
    for (int page = 0; page < plan.index_page_count; ++page) {
      const CClassicPlannedPage& index_page = plan.IndexPage(page);
      EXPECT_EQ(ClassicPageKind::kIndex, index_page.kind) << context;
      EXPECT_EQ("/g/" + c.pages[page], plan.Path(index_page.file)) << context;
      EXPECT_EQ(c.firsts[page], index_page.first_photo) << context << ", page " << page;
      EXPECT_EQ(c.ends[page], index_page.end_photo) << context << ", page " << page;
      const int last = plan.index_page_count - 1;
      EXPECT_EQ(page > 0 ? 0 : -1, index_page.first) << context << ", page " << page;
      EXPECT_EQ(page > 0 ? page - 1 : -1, index_page.previous) << context << ", page " << page;
      EXPECT_EQ(page < last ? page + 1 : -1, index_page.next) << context << ", page " << page;
      EXPECT_EQ(page < last ? last : -1, index_page.last) << context << ", page " << page;
      EXPECT_EQ(-1, index_page.index) << context;
    }
  }
}

TEST(ClassicPlanTest, ListsFilesInTheOrderOfARun) {
  std::vector<std::string> tail;
  for (const char* button : {"index", "first", "last", "previous", "next"}) {
    tail.push_back(std::string("advanced/") + button + ".jpg");
  }
  for (int piece = 0; piece < 16; ++piece)
    tail.push_back("border/" + std::to_string(piece) + ".jpg");

  std::vector<std::string> with = {"collection.xml", "index.htm",    "index-1.htm",
                                   "images/0.jpg",   "thumbs/0.jpg", "pages/0.htm",
                                   "images/1.jpg",   "thumbs/1.jpg", "pages/1.htm"};
  with.insert(with.end(), tail.begin(), tail.end());
  EXPECT_EQ(with, RelativePaths(Plan(2, 1, 1, true)));

  std::vector<std::string> without = {"collection.xml", "index.htm",    "images/0.jpg",
                                      "pages/0.htm",    "images/1.jpg", "pages/1.htm"};
  without.insert(without.end(), tail.begin(), tail.end());
  const CClassicPlan plan = Plan(2, 2, 2, false);
  EXPECT_EQ(without, RelativePaths(plan));
  EXPECT_EQ((std::vector<int>{-1, -1}), plan.photo_thumbs);

  std::vector<std::string> none = {"collection.xml"};
  none.insert(none.end(), tail.begin(), tail.end());
  EXPECT_EQ(none, RelativePaths(Plan(0, 2, 2, true)));
  const std::vector<std::string> folders = {"/g/images", "/g/thumbs", "/g/pages", "/g/advanced",
                                            "/g/border"};
  EXPECT_EQ(folders, Plan(0, 2, 2, false).folders) << "every folder, thumbnails or not";
}

TEST(ClassicPlanTest, ImagesAreMadeFromTheSourceAndThumbnailsFromThePageImage) {
  CStyleSettings style;
  style.photo_quality = 77;
  style.thumb_width = 90;
  const CClassicPlan plan = PlanClassicGallery(MakePhotos(2), style, "/g/c.xml", true);
  ASSERT_EQ(4u, plan.images.size());
  const CImageSettings settings = MakeImageSettings(style);
  for (int photo = 0; photo < 2; ++photo) {
    const CClassicPlannedImage& page_image = plan.images[plan.page_images[photo]];
    const CClassicPlannedImage& thumbnail = plan.images[plan.photo_thumbs[photo]];
    const std::string name = std::to_string(photo) + ".jpg";
    EXPECT_EQ("/g/images/" + name, plan.Path(page_image.file));
    EXPECT_EQ("/g/thumbs/" + name, plan.Path(thumbnail.file));
    EXPECT_EQ(-1, page_image.drawn_from);
    EXPECT_EQ(plan.page_images[photo], thumbnail.drawn_from);
    for (const CClassicPlannedImage* image : {&page_image, &thumbnail}) {
      EXPECT_EQ(photo, image->photo);
      EXPECT_EQ("/photos/p" + std::to_string(photo) + ".jpg", image->source);
      EXPECT_EQ(settings.quality, image->settings.quality);
      EXPECT_EQ(settings.thumb_box.width, image->settings.thumb_box.width);
    }
  }
}

TEST(ClassicPlanTest, FirstAndLastPhotoPagesLinkOnlyTheWayThereIs) {
  const CClassicPlan plan = Plan(3, 2, 2, true);
  const CPageLinks first = plan.Links(plan.index_page_count + 0);
  EXPECT_EQ("", first.navigation.first);
  EXPECT_EQ("", first.navigation.previous);
  EXPECT_EQ("1.htm", first.navigation.next);
  EXPECT_EQ("2.htm", first.navigation.last);
  EXPECT_EQ("../index.htm", first.navigation.index);
  EXPECT_EQ("../images/0.jpg", first.page_image);
  EXPECT_EQ("../advanced/previous.jpg", first.navigation.buttons[3]);

  const CPageLinks last = plan.Links(plan.index_page_count + 2);
  EXPECT_EQ("0.htm", last.navigation.first);
  EXPECT_EQ("1.htm", last.navigation.previous);
  EXPECT_EQ("", last.navigation.next);
  EXPECT_EQ("", last.navigation.last);
  EXPECT_EQ("../images/2.jpg", last.page_image);

  const CPageLinks alone = Plan(1, 2, 2, false).Links(1);
  EXPECT_EQ("", alone.navigation.first + alone.navigation.previous + alone.navigation.next +
                    alone.navigation.last);
  EXPECT_EQ("../index.htm", alone.navigation.index);
}

TEST(ClassicPlanTest, IndexPagesLinkTheirPhotosThumbnailsAndNeighbours) {
  const CClassicPlan plan = Plan(5, 2, 1, false);
  ASSERT_EQ(3, plan.index_page_count);
  const CPageLinks middle = plan.Links(1);
  EXPECT_EQ("index.htm", middle.navigation.first);
  EXPECT_EQ("index.htm", middle.navigation.previous);
  EXPECT_EQ("index-2.htm", middle.navigation.next);
  EXPECT_EQ("index-2.htm", middle.navigation.last);
  EXPECT_EQ("advanced/index.jpg", middle.navigation.buttons[0]);
  // Without thumbnails the pages still show them from where a host may put them.
  EXPECT_EQ((std::vector<std::string>{"thumbs/2.jpg", "thumbs/3.jpg"}), middle.thumbnails);
  EXPECT_EQ((std::vector<std::string>{"pages/2.htm", "pages/3.htm"}), middle.photo_pages);
  EXPECT_EQ((std::vector<std::string>{"thumbs/4.jpg"}), plan.Links(2).thumbnails);
}

// Pages written without a plan (the page writers' own tests, benchmarks) must link as the
// plan's pages do.
TEST(ClassicPlanTest, LinksAgreeWithThoseMadeByPageNumber) {
  struct Case {
    int photos, columns, rows;
    bool thumbnails;
  };
  for (const Case& c : {Case{7, 2, 2, true}, Case{8, 2, 2, false}, Case{5, 0, 3, true},
                        Case{1, 4, 3, false}, Case{0, 0, 0, true}}) {
    const CClassicPlan plan = Plan(c.photos, c.columns, c.rows, c.thumbnails);
    for (size_t page = 0; page < plan.pages.size(); ++page) {
      const CClassicPlannedPage& planned = plan.pages[page];
      const bool photo_page = planned.kind == ClassicPageKind::kPhoto;
      const CPageLinks expected =
          photo_page ? PageLinksByNumber(kPhotoPageKind, planned.number, c.photos)
                     : PageLinksByNumber(kIndexPageKind, planned.number, plan.index_page_count,
                                         planned.first_photo, planned.end_photo);
      const CPageLinks links = plan.Links(static_cast<int>(page));
      const std::string context = std::to_string(c.photos) + " photos, " +
                                  std::to_string(c.columns) + " x " + std::to_string(c.rows) +
                                  ", page " + std::to_string(page);
      EXPECT_EQ(expected.navigation.first, links.navigation.first) << context;
      EXPECT_EQ(expected.navigation.previous, links.navigation.previous) << context;
      EXPECT_EQ(expected.navigation.next, links.navigation.next) << context;
      EXPECT_EQ(expected.navigation.last, links.navigation.last) << context;
      EXPECT_EQ(expected.navigation.index, links.navigation.index) << context;
      EXPECT_EQ(expected.navigation.buttons, links.navigation.buttons) << context;
      EXPECT_EQ(expected.thumbnails, links.thumbnails) << context;
      EXPECT_EQ(expected.photo_pages, links.photo_pages) << context;
      EXPECT_EQ(expected.page_image, links.page_image) << context;
    }
  }
}

}  // namespace
}  // namespace gallery
