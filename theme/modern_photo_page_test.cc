#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/modern_gallery_inputs.h"
#include "theme/modern_layout.h"
#include "theme/modern_model.h"
#include "theme/modern_pages.h"

namespace gallery {
namespace {

// How wide the browser is told the 800 x 600 photo of a test's photo page shows.
std::string ShownWidth() { return ModernPhotoSizes({800, 600}); }

TEST(ModernPhotoPageTest, IndexLinkLeadsToThePageHoldingThePhoto) {
  struct Case {
    int photos;
    int per_page;
    int photo;
    const char* expected;
  };
  const Case cases[] = {
      {25, 12, 0, "index.html"},    {25, 12, 11, "index.html"},   {25, 12, 12, "index-2.html"},
      {25, 12, 23, "index-2.html"}, {25, 12, 24, "index-3.html"}, {25, 0, 24, "index.html"},
      {3, -1, 2, "index.html"},
  };
  for (const Case& c : cases) {
    const std::string page = RenderModernPhotoPage(MakeModernGallery(c.photos, c.per_page), c.photo);
    EXPECT_TRUE(Holds(page, std::string("<a href=\"") + c.expected + "\" data-up>Index</a>"))
        << "photo " << c.photo << " of " << c.photos << ", " << c.per_page << " a page";
  }
}

TEST(ModernPhotoPageTest, NeighbourLinksExistOnlyWhereThereIsANeighbour) {
  const CModernGallery gallery = MakeModernGallery(3, 0);
  const std::string first = RenderModernPhotoPage(gallery, 0);
  const std::string middle = RenderModernPhotoPage(gallery, 1);
  const std::string last = RenderModernPhotoPage(gallery, 2);
  EXPECT_FALSE(Holds(first, "rel=\"prev\""));
  EXPECT_TRUE(Holds(first, "<a rel=\"next\" href=\"photo-2.html\" data-preload=\""));
  EXPECT_TRUE(Holds(middle, "<a rel=\"prev\" href=\"photo-1.html\">Previous</a>"));
  EXPECT_TRUE(Holds(middle, "<a rel=\"next\" href=\"photo-3.html\" data-preload=\""));
  EXPECT_TRUE(Holds(last, "<a rel=\"prev\" href=\"photo-2.html\">Previous</a>"));
  EXPECT_FALSE(Holds(last, "rel=\"next\""));
  EXPECT_TRUE(Holds(first, "<p class=\"count\">1 of 3</p>"));
  EXPECT_TRUE(Holds(last, "<p class=\"count\">3 of 3</p>"));
  const std::string only = RenderModernPhotoPage(MakeModernGallery(1, 0), 0);
  EXPECT_FALSE(Holds(only, "rel=\"prev\""));
  EXPECT_FALSE(Holds(only, "rel=\"next\""));
  EXPECT_FALSE(Holds(only, "data-preload"));
  EXPECT_TRUE(RenderModernPhotoPage(gallery, 3).empty());
  EXPECT_TRUE(RenderModernPhotoPage(gallery, -1).empty());
}

TEST(ModernPhotoPageTest, PhotoWithSizesCaptionDownloadAndNextImageToLoad) {
  CModernGallery gallery = MakeModernGallery(3, 0);
  gallery.photos[0].caption = {"2024-06-01 10:00", "Maker <Model> \"X\""};
  gallery.photos[0].original = "1 #a.JPG";
  const std::string page = RenderModernPhotoPage(gallery, 0);
  EXPECT_TRUE(Holds(page,
                    "<img src=\"images/1.jpg\" srcset=\"medium/1.jpg 400w, images/1.jpg 800w\" "
                    "sizes=\"" + ShownWidth() + "\" width=\"800\" height=\"600\" "
                    "alt=\"Photo title 1\""));
  EXPECT_TRUE(Holds(page,
                    "<figcaption>\n<span>2024-06-01 10:00</span>\n"
                    "<span>Maker &lt;Model&gt; &quot;X&quot;</span>\n</figcaption>"));
  EXPECT_TRUE(Holds(page, "<a href=\"originals/1%20%23a.JPG\" download>Download original</a>"));
  // The next photo's sources, for the script to load the one this window will take there.
  EXPECT_TRUE(Holds(page, "data-preload=\"medium/2.jpg 400w, images/2.jpg 800w\" data-sizes=\"" +
                              ShownWidth() + "\">Next</a>"));
  EXPECT_TRUE(Holds(page, "<title>Photo title 1 \u2013 Trip</title>"));

  const std::string plain = RenderModernPhotoPage(gallery, 1);
  EXPECT_FALSE(Holds(plain, "<figcaption"));
  EXPECT_FALSE(Holds(plain, "download"));
  EXPECT_TRUE(Holds(plain, "data-preload=\"medium/3.jpg 400w, images/3.jpg 800w\""));
  EXPECT_FALSE(Holds(RenderModernPhotoPage(gallery, 2), "data-preload"));
  // A medium size no smaller than the page image is not offered.
  gallery.photos[2].medium = gallery.photos[2].image;
  EXPECT_TRUE(Holds(RenderModernPhotoPage(gallery, 2), "srcset=\"images/3.jpg 800w\""));
}

TEST(ModernPhotoPageTest, SmallerSizesAreOfferedSmallestFirstWhereEachIsSmaller) {
  struct Case {
    CModernSize medium;
    CModernSize large;
    const char* expected;
  };
  const Case cases[] = {
      {{1024, 640}, {1536, 960}, "medium/1.jpg 1024w, large/1.jpg 1536w, images/1.jpg 2048w"},
      {{}, {1536, 960}, "large/1.jpg 1536w, images/1.jpg 2048w"},
      {{1024, 640}, {}, "medium/1.jpg 1024w, images/1.jpg 2048w"},
      // As large as the page image, or no larger than the medium size: left out.
      {{1024, 640}, {2048, 1280}, "medium/1.jpg 1024w, images/1.jpg 2048w"},
      {{1024, 640}, {1024, 640}, "medium/1.jpg 1024w, images/1.jpg 2048w"},
      {{}, {}, "images/1.jpg 2048w"},
  };
  for (const Case& c : cases) {
    CModernGallery gallery = MakeModernGallery(2, 0);
    for (CModernPhoto& photo : gallery.photos) {
      photo.image = {2048, 1280};
      photo.medium = c.medium;
      photo.large = c.large;
    }
    const std::string page = RenderModernPhotoPage(gallery, 0);
    const std::vector<std::string> srcset = AttributeValues(page, "srcset");
    ASSERT_EQ(1u, srcset.size()) << c.expected;
    EXPECT_EQ(c.expected, srcset[0]);
    // The next photo's sources, for the script, are the same list.
    std::string next = c.expected;
    for (size_t at = next.find("/1.jpg"); at != std::string::npos; at = next.find("/1.jpg")) {
      next.replace(at, 6, "/2.jpg");
    }
    EXPECT_EQ((std::vector<std::string>{next}), AttributeValues(page, "data-preload"));
  }
}

TEST(ModernPhotoPageTest, ImageNotMadeShowsTheTitleAndIsNotFetched) {
  CModernGallery gallery = MakeModernGallery(2, 0);
  gallery.photos[1].image = {};
  gallery.photos[1].title_html = "";
  EXPECT_FALSE(Holds(RenderModernPhotoPage(gallery, 0), "data-preload"));
  const std::string page = RenderModernPhotoPage(gallery, 1);
  EXPECT_FALSE(Holds(page, "<img"));
  EXPECT_TRUE(Holds(page, "<p class=\"missing\">Photo 2 of 2</p>"));
  EXPECT_TRUE(Holds(page, "<h1>Photo 2 of 2</h1>"));
}

TEST(ModernPhotoPageTest, TitleMarkupStaysInTheHeading) {
  CModernGallery gallery = MakeModernGallery(2, 0);
  gallery.photos[0].title_html = "<b>x</b>";
  gallery.photos[1].title_html = "&lt;img src=x onerror=alert(1)&gt; 'a' \"b\"";
  const std::string bold = RenderModernPhotoPage(gallery, 0);
  EXPECT_TRUE(Holds(bold, "<h1><b>x</b></h1>"));
  EXPECT_EQ(std::vector<std::string>{"x"}, AttributeValues(bold, "alt"));
  EXPECT_TRUE(Holds(bold, "<title>x \u2013 Trip</title>"));
  const std::string escaped = RenderModernPhotoPage(gallery, 1);
  EXPECT_EQ(
      std::vector<std::string>{"&lt;img src=x onerror=alert(1)&gt; &#39;a&#39; &quot;b&quot;"},
      AttributeValues(escaped, "alt"));
  EXPECT_FALSE(Holds(escaped, "<img src=x"));
}

TEST(ModernPagesTest, UntitledPhotosAreNamedByTheirPlaceEverywhere) {
  CModernGallery gallery = MakeModernGallery(14, 4);
  for (CModernPhoto& photo : gallery.photos) photo.title_html = "";
  gallery.photos[1].title_html = " <br> &#32; ";
  const std::string index = RenderModernIndexPage(gallery, 0);
  EXPECT_EQ((std::vector<std::string>{"Photo 1 of 14", "Photo 2 of 14", "Photo 3 of 14",
                                      "Photo 4 of 14"}),
            AttributeValues(index, "alt"));
  EXPECT_FALSE(Holds(index, "class=\"name\""));
  const std::string page = RenderModernPhotoPage(gallery, 1);
  EXPECT_TRUE(Holds(page, "<title>Photo 2 of 14 \u2013 Trip</title>"));
  EXPECT_TRUE(Holds(page, "<h1>Photo 2 of 14</h1>"));
  EXPECT_EQ(std::vector<std::string>{"Photo 2 of 14"}, AttributeValues(page, "alt"));
  gallery.title = "";
  EXPECT_TRUE(Holds(RenderModernPhotoPage(gallery, 13), "<title>Photo 14 of 14</title>"));
}

// Every address in every page names a file that a gallery of that shape has.
TEST(ModernPagesTest, EveryLinkNamesAFileOfTheGallery) {
  struct Case {
    int photos;
    int per_page;
  };
  for (const Case& c : {Case{0, 4}, Case{1, 4}, Case{4, 4}, Case{9, 4}, Case{7, 0}}) {
    CModernGallery gallery = MakeModernGallery(c.photos, c.per_page);
    if (c.photos > 0) gallery.photos[0].original = "1.png";
    std::set<std::string> files = {"assets/gallery.css", "assets/gallery.js", "data:,",
                                   "originals/1.png"};
    for (int page = 0; page < ModernIndexPageCount(gallery); ++page) {
      files.insert(ModernIndexFileName(page));
    }
    for (int photo = 1; photo <= c.photos; ++photo) {
      const std::string number = std::to_string(photo);
      files.insert(
          {"photo-" + number + ".html", "images/" + number + ".jpg", "thumbs/" + number + ".jpg"});
    }
    std::vector<std::string> pages;
    for (int page = 0; page < ModernIndexPageCount(gallery); ++page) {
      pages.push_back(RenderModernIndexPage(gallery, page));
    }
    for (int photo = 0; photo < c.photos; ++photo) {
      pages.push_back(RenderModernPhotoPage(gallery, photo));
    }
    for (const std::string& page : pages) {
      std::vector<std::string> addresses = AttributeValues(page, "href");
      for (const std::string& src : AttributeValues(page, "src")) addresses.push_back(src);
      for (const std::string& address : addresses) {
        EXPECT_EQ(1u, files.count(address))
            << address << " in a gallery of " << c.photos << ", " << c.per_page << " a page";
      }
    }
  }
}

// A video page plays the video in place of the photo, never on its own, and says how long it is;
// its thumbnail says it is a video, and how long, to the eye and to a screen reader.
TEST(ModernVideoPageTest, VideoPlaysOnlyWhenAskedAndShowsItsLength) {
  CModernGallery gallery = MakeModernGallery(3, 0);
  gallery.photos[1].video_file = "2.webm";
  gallery.photos[1].video_type = "video/webm";
  gallery.photos[1].video_seconds = 83;
  const std::string page = RenderModernPhotoPage(gallery, 1);
  EXPECT_TRUE(Holds(page,
                    "<video controls preload=\"metadata\" playsinline poster=\"images/2.jpg\" "
                    "width=\"800\" height=\"600\" aria-label=\"Photo title 2\">\n"
                    "<source src=\"videos/2.webm\" type=\"video/webm\">\n"
                    "<a href=\"videos/2.webm\" download>Download the video</a>\n</video>"))
      << page;
  EXPECT_FALSE(Holds(page, "autoplay"));
  EXPECT_FALSE(Holds(page, "<img src=\"images/2.jpg\""));
  EXPECT_TRUE(Holds(page, "Duration: <time datetime=\"PT83S\">1:23</time>")) << page;
  // The neighbours stay as they are: the photo before still leads on to the video page.
  EXPECT_TRUE(Holds(RenderModernPhotoPage(gallery, 0), "<a rel=\"next\" href=\"photo-2.html\""));
  EXPECT_TRUE(Holds(page, "<p class=\"count\">2 of 3</p>"));

  const std::string index = RenderModernIndexPage(gallery, 0);
  EXPECT_TRUE(Holds(index, "alt=\"Photo title 2 (Video, 1:23)\"")) << index;
  EXPECT_TRUE(Holds(index, "<span class=\"length\" aria-hidden=\"true\">1:23</span>"));
  EXPECT_FALSE(Holds(index, "alt=\"Photo title 1 (Video"));

  // Without a poster frame or a known length the player stands alone, still named.
  gallery.photos[1].image = {};
  gallery.photos[1].video_seconds = -1;
  gallery.language = PageLanguage::kGerman;
  const std::string bare = RenderModernPhotoPage(gallery, 1);
  EXPECT_TRUE(
      Holds(bare, "<video controls preload=\"metadata\" playsinline aria-label=\"Photo title 2\">"))
      << bare;
  EXPECT_FALSE(Holds(bare, "poster="));
  EXPECT_FALSE(Holds(bare, "<time"));
  EXPECT_TRUE(Holds(bare, ">Video herunterladen</a>"));
}

TEST(ModernVideoPageTest, LengthsReadAsAClock) {
  const std::pair<int, const char*> cases[] = {
      {0, "0:00"},     {5, "0:05"},       {59, "0:59"},      {60, "1:00"}, {83, "1:23"},
      {3599, "59:59"}, {3600, "1:00:00"}, {3723, "1:02:03"}, {-1, ""}};
  for (const auto& [seconds, expected] : cases) {
    EXPECT_EQ(expected, FormatVideoLength(seconds)) << seconds;
  }
  EXPECT_EQ("PT3723S", VideoLengthDatetime(3723));
  EXPECT_EQ("", VideoLengthDatetime(-1));
}

}  // namespace
}  // namespace gallery
