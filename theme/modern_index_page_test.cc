#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/modern_gallery_inputs.h"
#include "theme/modern_model.h"
#include "theme/modern_pages.h"

namespace gallery {
namespace {

int Occurrences(const std::string& text, const std::string& piece) {
  int count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

TEST(ModernIndexPagesTest, PageCountAndHoldingPageAtTheEdges) {
  struct Case {
    int photos;
    int per_page;
    int expected_pages;
    int last_photo_page;  // page of the last photo
  };
  const Case cases[] = {
      {0, 12, 1, 0},  {1, 12, 1, 0}, {12, 12, 1, 0}, {13, 12, 2, 1}, {24, 12, 2, 1},
      {25, 12, 3, 2}, {5, 1, 5, 4},  {30, 0, 1, 0},  {30, -3, 1, 0}, {0, 0, 1, 0},
  };
  for (const Case& c : cases) {
    const CModernGallery gallery = MakeModernGallery(c.photos, c.per_page);
    EXPECT_EQ(c.expected_pages, ModernIndexPageCount(gallery))
        << c.photos << " photos, " << c.per_page << " a page";
    EXPECT_EQ(0, ModernIndexPageOf(gallery, 0)) << c.photos << " photos, " << c.per_page;
    EXPECT_EQ(c.last_photo_page, ModernIndexPageOf(gallery, c.photos - 1))
        << c.photos << " photos, " << c.per_page << " a page";
    // Every page that exists renders, the one after it does not.
    for (int page = 0; page < c.expected_pages; ++page) {
      EXPECT_FALSE(RenderModernIndexPage(gallery, page).empty()) << "page " << page;
    }
    EXPECT_TRUE(RenderModernIndexPage(gallery, c.expected_pages).empty());
    EXPECT_TRUE(RenderModernIndexPage(gallery, -1).empty());
  }
  const CModernGallery gallery = MakeModernGallery(25, 12);
  EXPECT_EQ(0, ModernIndexPageOf(gallery, 11));
  EXPECT_EQ(1, ModernIndexPageOf(gallery, 12));
  EXPECT_EQ(2, ModernIndexPageOf(gallery, 24));
}

TEST(ModernIndexPagesTest, FileNames) {
  EXPECT_EQ("index.html", ModernIndexFileName(0));
  EXPECT_EQ("index-2.html", ModernIndexFileName(1));
  EXPECT_EQ("index-11.html", ModernIndexFileName(10));
  EXPECT_EQ("photo-1.html", ModernPhotoFileName(0));
  EXPECT_EQ("photo-100.html", ModernPhotoFileName(99));
}

TEST(ModernIndexPageTest, ThumbnailsCarryBothSizesAndLoadLazilyPastTheFirstScreen) {
  const CModernGallery gallery = MakeModernGallery(45, 20);
  const std::string first = RenderModernIndexPage(gallery, 0);
  EXPECT_EQ(20, Occurrences(first, "<img "));
  EXPECT_NE(std::string::npos,
            first.find("<li style=\"--r:1.333\"><a class=\"cell\" href=\"photo-1.html\"><span "
                       "class=\"thumb\"><img src=\"thumbs/1.jpg\" "
                       "srcset=\"thumbs/1.jpg 160w, thumbs2x/1.jpg 320w\" sizes=\"(max-width: "
                       "800px) calc(1.333 * 32vw), 320px\" width=\"160\" height=\"120\" "
                       "alt=\"Photo title 1\" fetchpriority=\"high\" "
                       "decoding=\"async\"></span><span class=\"name\" aria-hidden=\"true\">"
                       "Photo title 1</span></a></li>"));
  EXPECT_EQ(1, Occurrences(first, "fetchpriority"));
  EXPECT_EQ(20, Occurrences(first, "decoding=\"async\""));
  // The first sixteen are on the first screen of a phone or a laptop; the rest wait.
  EXPECT_EQ(4, Occurrences(first, "loading=\"lazy\""));
  const size_t sixteenth = first.find("thumbs/16.jpg\"");
  const size_t seventeenth = first.find("thumbs/17.jpg\"");
  EXPECT_EQ(std::string::npos, first.substr(sixteenth, seventeenth - sixteenth).find("lazy"));
  EXPECT_NE(std::string::npos, first.substr(seventeenth, 400).find("loading=\"lazy\""));
  // A later page starts its own first screen.
  const std::string second = RenderModernIndexPage(gallery, 1);
  EXPECT_NE(std::string::npos, second.find("href=\"photo-21.html\"><span class=\"thumb\"><img src=\"thumbs/21.jpg\""));
  EXPECT_EQ(4, Occurrences(second, "loading=\"lazy\""));
  EXPECT_EQ(1, Occurrences(second, "fetchpriority"));
}

TEST(ModernIndexPageTest, CellsTakeTheirThumbnailsShapeAndOnlyTheLastPageEndsShort) {
  CModernGallery gallery = MakeModernGallery(5, 2);
  gallery.photos[0].thumb = {384, 240};
  gallery.photos[1].thumb = {160, 240};
  gallery.photos[1].thumb2x = {320, 480};
  gallery.photos[2].thumb = {};  // shown by its title, in a cell of a 3:2 photo's shape
  const std::string first = RenderModernIndexPage(gallery, 0);
  EXPECT_EQ((std::vector<std::string>{"--r:1.6", "--r:0.667"}), AttributeValues(first, "style"));
  // The 2x thumbnail of a tall photo is picked for its narrow cell, not for a square one.
  EXPECT_TRUE(Holds(first, "sizes=\"(max-width: 800px) calc(0.667 * 32vw), 160px\""));
  EXPECT_EQ((std::vector<std::string>{"--r:1.5", "--r:1.333"}),
            AttributeValues(RenderModernIndexPage(gallery, 1), "style"));
  // The rows of every page but the last fill the width to the end.
  EXPECT_EQ(1, Occurrences(first, "<ul class=\"grid\">"));
  EXPECT_EQ(1, Occurrences(RenderModernIndexPage(gallery, 1), "<ul class=\"grid\">"));
  EXPECT_EQ(1, Occurrences(RenderModernIndexPage(gallery, 2), "<ul class=\"grid last\">"));
  EXPECT_EQ(1, Occurrences(RenderModernIndexPage(MakeModernGallery(5, 0), 0),
                           "<ul class=\"grid last\">"));
}

TEST(ModernIndexPageTest, MissingImagesShowTitleOrOneSize) {
  CModernGallery gallery = MakeModernGallery(3, 0);
  gallery.photos[0].thumb = {};
  gallery.photos[0].thumb2x = {};
  gallery.photos[0].title_html = "<b>Lost</b> &amp; found";
  gallery.photos[1].thumb2x = {};
  const std::string page = RenderModernIndexPage(gallery, 0);
  // The title stands in for a missing thumbnail, and is not repeated under it.
  EXPECT_NE(std::string::npos,
            page.find("<li style=\"--r:1.5\"><a class=\"cell\" href=\"photo-1.html\"><span "
                      "class=\"thumb\"><span class=\"missing\">Lost &amp; found</span></span></a>"));
  EXPECT_EQ(std::string::npos, page.find("thumbs/1.jpg"));
  EXPECT_NE(std::string::npos, page.find("<img src=\"thumbs/2.jpg\" width=\"160\""));
  EXPECT_EQ(1, Occurrences(page, "srcset="));
  // A 2x thumbnail no larger than the 1x one (a small photo) is not offered.
  gallery.photos[2].thumb2x = gallery.photos[2].thumb;
  EXPECT_EQ(0, Occurrences(RenderModernIndexPage(gallery, 0), "srcset="));
}

TEST(ModernIndexPageTest, TitlesShowUnderThumbnailsAsTextOnly) {
  CModernGallery gallery = MakeModernGallery(3, 0);
  gallery.photos[0].title_html = "<a href=\"x\">Dune</a> &amp; <i>sea</i>";
  gallery.photos[1].title_html = " <br> ";
  gallery.photos[2].title_html = "5 < 6 \"quoted\"";
  const std::string page = RenderModernIndexPage(gallery, 0);
  // Markup of a title would nest links or break the cell: the text alone is shown.
  EXPECT_NE(std::string::npos, page.find("alt=\"Dune &amp; sea\""));
  EXPECT_NE(std::string::npos,
            page.find("<span class=\"name\" aria-hidden=\"true\">Dune &amp; sea</span>"));
  EXPECT_EQ(std::string::npos, page.find("href=\"x\""));
  // A title with nothing to read names the photo by number, and shows nothing under it.
  EXPECT_NE(std::string::npos, page.find("alt=\"Photo 2 of 3\""));
  EXPECT_EQ(2, Occurrences(page, "class=\"name\""));
  EXPECT_NE(std::string::npos, page.find(">5 &lt; 6 &quot;quoted&quot;</span>"));
}

TEST(ModernIndexPageTest, PageLinksOnlyWhenThereAreSeveralPages) {
  EXPECT_EQ(std::string::npos, RenderModernIndexPage(MakeModernGallery(12, 12), 0).find("<nav"));
  const CModernGallery gallery = MakeModernGallery(30, 10);
  const std::string first = RenderModernIndexPage(gallery, 0);
  const std::string middle = RenderModernIndexPage(gallery, 1);
  const std::string last = RenderModernIndexPage(gallery, 2);
  EXPECT_NE(std::string::npos, first.find("<nav class=\"pages\" aria-label=\"Pages\">"));
  EXPECT_NE(std::string::npos, first.find("<a href=\"index.html\" aria-current=\"page\">1</a>"));
  EXPECT_EQ(std::string::npos, first.find("rel=\"prev\""));
  EXPECT_NE(std::string::npos, first.find("<a rel=\"next\" href=\"index-2.html\">Next</a>"));
  EXPECT_NE(std::string::npos, middle.find("<a rel=\"prev\" href=\"index.html\">Previous</a>"));
  EXPECT_NE(std::string::npos, middle.find("<a href=\"index-2.html\" aria-current=\"page\">2</a>"));
  EXPECT_NE(std::string::npos, middle.find("<a rel=\"next\" href=\"index-3.html\">Next</a>"));
  EXPECT_EQ(std::string::npos, last.find("rel=\"next\""));
  EXPECT_EQ(1, Occurrences(last, "aria-current"));
  EXPECT_NE(std::string::npos, last.find("<title>Trip \u2013 page 3 of 3</title>"));
}

TEST(ModernIndexPageTest, ManyPagesListTheEndsAndTheNeighbours) {
  const CModernGallery gallery = MakeModernGallery(50, 1);
  const std::string page = RenderModernIndexPage(gallery, 24);
  std::vector<std::string> listed;
  for (const std::string& href : AttributeValues(page.substr(page.find("<nav")), "href")) {
    listed.push_back(href);
  }
  const std::vector<std::string> expected = {"index-24.html", "index.html",    "index-23.html",
                                             "index-24.html", "index-25.html", "index-26.html",
                                             "index-27.html", "index-50.html", "index-26.html"};
  EXPECT_EQ(expected, listed);
  EXPECT_EQ(2, Occurrences(page, "\u2026"));
}

TEST(ModernIndexPageTest, EmptyGalleryHasHeadingAndNoPhotos) {
  CModernGallery gallery = MakeModernGallery(0, 12);
  const std::string page = RenderModernIndexPage(gallery, 0);
  EXPECT_NE(std::string::npos, page.find("<h1>Trip</h1>"));
  EXPECT_NE(std::string::npos, page.find("<p class=\"empty\">No photos</p>"));
  EXPECT_EQ(std::string::npos, page.find("<ul"));
  EXPECT_EQ(std::string::npos, page.find("<nav"));
  // A blank title would leave an empty heading and title.
  gallery.title = " \n ";
  const std::string untitled = RenderModernIndexPage(gallery, 0);
  EXPECT_NE(std::string::npos, untitled.find("<h1>Photos</h1>"));
  EXPECT_NE(std::string::npos, untitled.find("<title>Photos</title>"));
  EXPECT_NE(std::string::npos, untitled.find("<meta name=\"description\" content=\"Photos\">"));
}

TEST(ModernIndexPageTest, CollectionTextsShowAsWrittenAndPhotoTitlesAreMarkup) {
  CModernGallery gallery = MakeModernGallery(3, 0);
  gallery.title = "<b>x</b> &amp; y";
  gallery.description = "Seen <script>alert(1)</script> \"above\"";
  gallery.photos[0].title_html = "&lt;img src=x onerror=alert(1)&gt;";
  gallery.photos[1].title_html = "\" onmouseover=\"alert(1)";
  gallery.photos[2].title_html = "<b>x</b>";
  const std::string page = RenderModernIndexPage(gallery, 0);
  EXPECT_NE(std::string::npos, page.find("<h1>&lt;b&gt;x&lt;/b&gt; &amp;amp; y</h1>")) << page;
  EXPECT_NE(std::string::npos,
            page.find("<div class=\"description\">Seen &lt;script&gt;alert(1)&lt;/script&gt; "
                      "&quot;above&quot;</div>"))
      << page;
  EXPECT_NE(std::string::npos, page.find("<title>&lt;b&gt;x&lt;/b&gt; &amp;amp; y</title>"));
  EXPECT_EQ(std::string::npos, page.find("<script>alert")) << page;
  const std::vector<std::string> expected_alts = {"&lt;img src=x onerror=alert(1)&gt;",
                                                  "&quot; onmouseover=&quot;alert(1)", "x"};
  EXPECT_EQ(expected_alts, AttributeValues(page, "alt"));
  EXPECT_EQ(std::string::npos, page.find("<img src=x"));
  EXPECT_EQ(std::string::npos, page.find("onmouseover=\"alert"));
}

}  // namespace
}  // namespace gallery
