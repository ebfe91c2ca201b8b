#include "theme/modern_plan.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/album.h"
#include "tests/modern_gallery_inputs.h"

namespace gallery {
namespace {

TEST(ModernRelativeLinkTest, ClimbsOutOfThePagesFoldersAndEncodesEachSegment) {
  struct Case {
    const char* from;
    const char* to;
    const char* expected;
  } cases[] = {
      {"index.html", "images/1.jpg", "images/1.jpg"},
      {"index.html", "photo-2.html", "photo-2.html"},
      {"a/index.html", "images/1.jpg", "../images/1.jpg"},
      {"a/b/c/index.html", "assets/gallery.css", "../../../assets/gallery.css"},
      {"a/b/index.html", "a/b/photo-1.html", "photo-1.html"},
      {"a/b/index.html", "a/c/photo-1.html", "../c/photo-1.html"},
      {"a/index.html", "a/b/c/x.html", "b/c/x.html"},
      {"index.html", "a/b/x.html", "a/b/x.html"},
      // A folder whose name begins with the other's is not the same folder.
      {"ab/index.html", "a/x.html", "../a/x.html"},
      {"a/index.html", "ab/x.html", "../ab/x.html"},
      // What a folder or file name may hold that an address may not.
      {"index.html", "A & <b>/x #1?.html", "A%20%26%20%3Cb%3E/x%20%231%3F.html"},
      {"d\u00e9j\u00e0/index.html", "d\u00e9j\u00e0/100%.html", "100%25.html"},
      {"index.html", "\u00e9t\u00e9/x.html", "%C3%A9t%C3%A9/x.html"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ModernRelativeLink(c.from, c.to)) << c.from << " -> " << c.to;
  }
}

// Pages by path, for reading the plan.
int PageAt(const CModernPlan& plan, const std::string& path) {
  for (size_t page = 0; page < plan.pages.size(); ++page) {
    if (plan.pages[page].path == path) return static_cast<int>(page);
  }
  return -1;
}

std::vector<std::string> Paths(const CModernPlan& plan, const std::vector<int>& pages) {
  std::vector<std::string> paths;
  for (int page : pages) paths.push_back(page < 0 ? "none" : plan.pages[page].path);
  return paths;
}

TEST(ModernPlanTest, AlbumsAreNumberedDepthFirstAndEmptyOnesHaveNoPage) {
  const CModernPlan plan = PlanModernGallery(MakeAlbumTree(), 2, false);
  ASSERT_EQ(4u, plan.albums.size());
  EXPECT_TRUE(plan.HasAlbums());
  const std::vector<std::string> titles = {plan.albums[1].title, plan.albums[2].title,
                                           plan.albums[3].title};
  EXPECT_EQ((std::vector<std::string>{"A & <b>b</b>", "Deep #1? \u00e9", "C 100%"}), titles);
  EXPECT_EQ((std::vector<int>{1, 3}), plan.albums[0].albums);
  EXPECT_EQ(std::vector<int>{2}, plan.albums[1].albums);
  EXPECT_EQ(1, plan.albums[2].parent);
  EXPECT_EQ(2, plan.albums[2].number);
  // The photos in the order the library numbers them, each album's own ones in one run.
  ASSERT_EQ(PhotosInOrder(MakeAlbumTree()).size(), plan.photos.size());
  EXPECT_EQ("/photos/deep-1.jpg", plan.photos[0].path);
  EXPECT_EQ("/photos/root-2.jpg", plan.photos[7].path);
  EXPECT_EQ(2, plan.albums[1].own_first);
  EXPECT_EQ(3, plan.albums[1].own_count);
  EXPECT_EQ(5, plan.albums[1].photo_count);
  EXPECT_EQ(6, plan.albums[0].own_first);
  // The cover the album names, else its first photo.
  EXPECT_EQ(3, plan.albums[1].cover);
  EXPECT_EQ(0, plan.albums[2].cover);
  EXPECT_EQ(5, plan.albums[3].cover);
  EXPECT_EQ(0, plan.albums[0].cover);
  for (const CModernPlannedPage& page : plan.pages) {
    EXPECT_EQ(std::string::npos, page.path.find("Empty")) << page.path;
  }
  EXPECT_EQ(-1, PageAt(plan, "album-4.html"));
}

TEST(ModernPlanTest, IndexPagesShowCardsFirstThenOwnPhotosByThePage) {
  const CModernPlan plan = PlanModernGallery(MakeAlbumTree(), 2, false);
  const std::vector<std::string> index_pages = {"index.html",   "index-2.html", "album-1.html",
                                                "album-1-2.html", "album-2.html", "album-3.html"};
  ASSERT_LE(index_pages.size(), plan.pages.size());
  for (size_t i = 0; i < index_pages.size(); ++i) {
    EXPECT_EQ(index_pages[i], plan.pages[i].path);
    EXPECT_EQ(ModernPageKind::kAlbumIndex, plan.pages[i].kind);
  }
  EXPECT_EQ((std::vector<int>{1, 3}), plan.pages[0].albums);
  EXPECT_TRUE(plan.pages[0].photos.empty());
  EXPECT_EQ((std::vector<int>{6, 7}), plan.pages[1].photos);
  // A card and a photo share a page.
  EXPECT_EQ(std::vector<int>{2}, plan.pages[2].albums);
  EXPECT_EQ(std::vector<int>{2}, plan.pages[2].photos);
  EXPECT_EQ((std::vector<int>{3, 4}), plan.pages[3].photos);
  EXPECT_EQ(1, plan.pages[3].number);
  // Pages of one album lead to each other; a sub-album's lead up to the page of its card.
  EXPECT_EQ(Paths(plan, {-1, 3, 0}), Paths(plan, {plan.pages[2].previous, plan.pages[2].next,
                                                   plan.pages[2].up}));
  EXPECT_EQ(Paths(plan, {2, -1, 0}), Paths(plan, {plan.pages[3].previous, plan.pages[3].next,
                                                   plan.pages[3].up}));
  EXPECT_EQ("album-1.html", plan.pages[plan.pages[PageAt(plan, "album-2.html")].up].path);
  EXPECT_EQ("index.html", plan.pages[plan.pages[PageAt(plan, "album-3.html")].up].path);
  EXPECT_EQ(-1, plan.pages[0].up);

  // All on one page when no count is given.
  const CModernPlan one = PlanModernGallery(MakeAlbumTree(), 0, false);
  EXPECT_EQ(-1, PageAt(one, "index-2.html"));
  EXPECT_EQ(2u, one.pages[0].albums.size());
  EXPECT_EQ(2u, one.pages[0].photos.size());
}

TEST(ModernPlanTest, PhotoPagesStepWithinTheirAlbumAndLeadUpToThePageShowingThem) {
  const CModernPlan plan = PlanModernGallery(MakeAlbumTree(), 2, false);
  ASSERT_EQ(8u, plan.photo_pages.size());
  struct Case {
    int photo;
    int number;  // in its album
    const char* previous;
    const char* next;
    const char* up;
  } cases[] = {
      {0, 0, "none", "photo-2.html", "album-2.html"},
      // The last of an album leads to no photo of the next album.
      {1, 1, "photo-1.html", "none", "album-2.html"},
      {2, 0, "none", "photo-4.html", "album-1.html"},
      {3, 1, "photo-3.html", "photo-5.html", "album-1-2.html"},
      {4, 2, "photo-4.html", "none", "album-1-2.html"},
      {5, 0, "none", "none", "album-3.html"},
      {6, 0, "none", "photo-8.html", "index-2.html"},
      {7, 1, "photo-7.html", "none", "index-2.html"},
  };
  for (const Case& c : cases) {
    const CModernPlannedPage& page = plan.pages[plan.photo_pages[c.photo]];
    EXPECT_EQ(ModernPageKind::kPhoto, page.kind);
    EXPECT_EQ("photo-" + std::to_string(c.photo + 1) + ".html", page.path);
    EXPECT_EQ(std::vector<int>{c.photo}, page.photos);
    EXPECT_EQ(c.number, page.number) << c.photo;
    EXPECT_EQ(Paths(plan, {page.previous, page.next, page.up})[0], c.previous) << c.photo;
    EXPECT_EQ(Paths(plan, {page.previous, page.next, page.up})[1], c.next) << c.photo;
    EXPECT_EQ(Paths(plan, {page.previous, page.next, page.up})[2], c.up) << c.photo;
  }
}

TEST(ModernPlanTest, ImagesAreDrawnFromThePageImageAndFoldersFollowTheOptions) {
  const CModernPlan plan = PlanModernGallery(MakeAlbumTree(), 2, false);
  ASSERT_EQ(8u * kModernImageSizes, plan.images.size());
  const CModernPlannedImage& page_image = plan.Image(5, ModernImageSize::kPage);
  EXPECT_EQ("images/6.jpg", page_image.path);
  EXPECT_EQ(-1, page_image.drawn_from);
  EXPECT_EQ(5, page_image.photo);
  const std::vector<std::pair<ModernImageSize, const char*>> drawn = {
      {ModernImageSize::kThumb, "thumbs/6.jpg"},
      {ModernImageSize::kThumb2x, "thumbs2x/6.jpg"},
      {ModernImageSize::kMedium, "medium/6.jpg"},
      {ModernImageSize::kLarge, "large/6.jpg"}};
  for (const auto& [size, path] : drawn) {
    const CModernPlannedImage& image = plan.Image(5, size);
    EXPECT_EQ(path, image.path);
    EXPECT_EQ(size, image.size);
    EXPECT_EQ(&page_image, &plan.images[image.drawn_from]) << path;
  }
  EXPECT_EQ((std::vector<std::string>{"images", "large", "medium", "thumbs", "thumbs2x",
                                      "assets"}),
            plan.folders);
  EXPECT_EQ((std::vector<std::string>{"images", "large", "medium", "thumbs", "thumbs2x",
                                      "originals", "assets"}),
            PlanModernGallery(MakeAlbumTree(), 2, true).folders);
}

TEST(ModernPlanTest, FlatAndEmptyLibrariesKeepTheFlatLayout) {
  const CModernPlan flat = PlanModernGallery(CAlbum{"T", "", "", "", SamplePhotos("p", 5), {}}, 2,
                                             false);
  EXPECT_FALSE(flat.HasAlbums());
  EXPECT_EQ((std::vector<std::string>{"index.html", "index-2.html", "index-3.html", "photo-1.html",
                                      "photo-2.html", "photo-3.html", "photo-4.html",
                                      "photo-5.html"}),
            Paths(flat, {0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(8u, flat.pages.size());
  EXPECT_EQ("photo-4.html", flat.pages[flat.pages[flat.photo_pages[4]].previous].path);

  // No photo at all, in any album: one index page, no album page.
  CAlbum empty{"T", "", "", "", {}, {CAlbum{"E", "", "", "", {}, {}}}};
  const CModernPlan none = PlanModernGallery(empty, 2, false);
  EXPECT_FALSE(none.HasAlbums());
  ASSERT_EQ(1u, none.pages.size());
  EXPECT_EQ("index.html", none.pages[0].path);
  EXPECT_EQ(-1, none.albums[0].cover);
  EXPECT_TRUE(none.images.empty());

  // An album of sub-albums alone has index pages but no photo page of its own.
  CAlbum outer{"T", "", "", "", {}, {CAlbum{"O", "", "", "", {}, {CAlbum{"I", "", "", "",
                                                                       SamplePhotos("i", 1), {}}}}}};
  const CModernPlan nested = PlanModernGallery(outer, 2, false);
  EXPECT_EQ((std::vector<std::string>{"index.html", "album-1.html", "album-2.html",
                                      "photo-1.html"}),
            Paths(nested, {0, 1, 2, 3}));
  EXPECT_EQ(0, nested.albums[1].cover);
  EXPECT_EQ("album-2.html", nested.pages[nested.pages[3].up].path);
}

TEST(ModernPlanTest, LinksFromAnyPageReachTheSameFiles) {
  CModernPlan plan = PlanModernGallery(MakeAlbumTree(), 2, false);
  const int page = PageAt(plan, "album-2.html");
  EXPECT_EQ("images/1.jpg", plan.Link(page, "images/1.jpg"));
  plan.pages[page].path = "albums/a/deep/index.html";
  EXPECT_EQ("../../../images/1.jpg", plan.Link(page, "images/1.jpg"));
  EXPECT_EQ("../photo%201.html", plan.Link(page, "albums/a/photo 1.html"));
}

TEST(ModernPlanTest, IndexPageHoldingCountsCardsBeforePhotosAndClamps) {
  const CModernPlan plan = PlanModernGallery(MakeAlbumTree(), 2, false);
  EXPECT_EQ("album-1.html", plan.pages[plan.IndexPageHolding(1, 0)].path);
  EXPECT_EQ("album-1.html", plan.pages[plan.IndexPageHolding(1, 1)].path);
  EXPECT_EQ("album-1-2.html", plan.pages[plan.IndexPageHolding(1, 2)].path);
  EXPECT_EQ("album-1-2.html", plan.pages[plan.IndexPageHolding(1, 99)].path);
  EXPECT_EQ("album-1.html", plan.pages[plan.IndexPageHolding(1, -5)].path);
}

}  // namespace
}  // namespace gallery
