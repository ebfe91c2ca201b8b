#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "collection/album.h"
#include "tests/modern_gallery_inputs.h"
#include "theme/modern_layout.h"
#include "theme/modern_model.h"
#include "theme/modern_pages.h"
#include "theme/modern_plan.h"

namespace gallery {
namespace {

int PlannedPage(const CModernPlan& plan, const std::string& path) {
  for (size_t page = 0; page < plan.pages.size(); ++page) {
    if (plan.pages[page].path == path) return static_cast<int>(page);
  }
  ADD_FAILURE() << "no page " << path;
  return 0;
}

class ModernAlbumPageTest : public ::testing::Test {
 protected:
  std::string Page(const std::string& path) {
    return RenderModernPage(gallery_, plan_, PlannedPage(plan_, path));
  }

  CModernPlan plan_ = PlanModernGallery(MakeAlbumTree(), 2, false);
  CModernGallery gallery_ = MakeModernGallery(8, 2);
};

TEST_F(ModernAlbumPageTest, CardsShowCoverTitleAndCountBeforeThePhotos) {
  plan_ = PlanModernGallery(MakeAlbumTree(), 0, false);
  gallery_.photos[5].thumb = {};  // C's cover has no thumbnail
  const std::string root = Page("index.html");
  const size_t a = root.find(
      "<li style=\"--r:1.333\"><a class=\"cell album\" href=\"album-1.html\"><span "
      "class=\"thumb\"><img "
      "src=\"thumbs/4.jpg\" srcset=\"thumbs/4.jpg 160w, thumbs2x/4.jpg 320w\"");
  ASSERT_NE(std::string::npos, a) << root;
  // The cover is decoration: the card's link is named by the title and the count.
  EXPECT_TRUE(Holds(root.substr(a, 600),
                    "alt=\"\" fetchpriority=\"high\" decoding=\"async\"></span><span "
                    "class=\"name\">A &amp; &lt;b&gt;b&lt;/b&gt;</span><span class=\"size\">5 "
                    "photos</span></a></li>"));
  EXPECT_TRUE(Holds(root,
                    "<li style=\"--r:1.5\"><a class=\"cell album\" href=\"album-3.html\"><span "
                    "class=\"thumb\"></span><span class=\"name\">C 100%</span><span "
                    "class=\"size\">1 photo</span></a></li>"));
  EXPECT_FALSE(Holds(root, "Empty"));
  const size_t c = root.find("href=\"album-3.html\"");
  const size_t own = root.find("href=\"photo-7.html\"");
  EXPECT_LT(a, c);
  ASSERT_NE(std::string::npos, own);
  EXPECT_LT(c, own);
  EXPECT_FALSE(Holds(root, "href=\"photo-1.html\"")) << "Deep's photos are on its own page";
  // Cards take the first places on the page: the photo after them loads as third.
  EXPECT_EQ(1, static_cast<int>(AttributeValues(root, "fetchpriority").size()));
}

TEST_F(ModernAlbumPageTest, EveryPageShowsTheWayBackUp) {
  const std::string root = Page("index.html");
  EXPECT_TRUE(Holds(root,
                    "<header class=\"top\">\n<nav class=\"trail\" aria-label=\"Albums\">\n<ol>\n"
                    "<li><span aria-current=\"page\">Trip</span></li>\n</ol>\n</nav>\n<h1>Trip"))
      << root;
  EXPECT_TRUE(Holds(root, "<link rel=\"stylesheet\" href=\"assets/albums.css\">"));

  const std::string deep = Page("album-2.html");
  EXPECT_TRUE(Holds(deep,
                    "<ol>\n<li><a href=\"index.html\">Trip</a></li>\n"
                    "<li><a href=\"album-1.html\" data-up>A &amp; &lt;b&gt;b&lt;/b&gt;</a></li>\n"
                    "<li><span aria-current=\"page\">Deep #1? \u00e9</span></li>\n</ol>"))
      << deep;
  EXPECT_TRUE(Holds(deep, "<h1>Deep #1? \u00e9</h1>"));
  EXPECT_TRUE(Holds(deep, "<title>Deep #1? \u00e9 \u2013 Trip</title>"));

  // The second page of A leads up to the page of the library that shows A's card.
  const std::string second = Page("album-1-2.html");
  EXPECT_TRUE(Holds(second, "<li><a href=\"index.html\" data-up>Trip</a></li>"));
  EXPECT_TRUE(Holds(second, "<title>A &amp; &lt;b&gt;b&lt;/b&gt; \u2013 page 2 of 2 \u2013 "
                            "Trip</title>"));
  EXPECT_TRUE(Holds(second, "<div class=\"description\">Sand, &lt;i&gt;sea&lt;/i&gt;</div>"));
  EXPECT_TRUE(Holds(second, "<a rel=\"prev\" href=\"album-1.html\">Previous</a>"));
  EXPECT_TRUE(Holds(second, "<a href=\"album-1-2.html\" aria-current=\"page\">2</a>"));

  // A photo page ends the way with the photo itself.
  const std::string photo = Page("photo-4.html");
  EXPECT_TRUE(Holds(photo,
                    "<header class=\"bar\">\n<nav class=\"trail\" aria-label=\"Albums\">\n<ol>\n"
                    "<li><a href=\"index.html\">Trip</a></li>\n"
                    "<li><a href=\"album-1.html\">A &amp; &lt;b&gt;b&lt;/b&gt;</a></li>\n"
                    "<li><span aria-current=\"page\">Photo title 4</span></li>\n</ol>\n</nav>\n"))
      << photo;
}

TEST_F(ModernAlbumPageTest, PhotoPagesCountAndStepWithinTheirAlbum) {
  const std::string middle = Page("photo-4.html");
  EXPECT_TRUE(Holds(middle, "<p class=\"count\">2 of 3</p>"));
  EXPECT_TRUE(Holds(middle, "<a rel=\"prev\" href=\"photo-3.html\">Previous</a>"));
  EXPECT_TRUE(Holds(middle, "<a rel=\"next\" href=\"photo-5.html\" data-preload=\"medium/5.jpg "
                            "400w, images/5.jpg 800w\" data-sizes=\"" +
                            ModernPhotoSizes({800, 600}) + "\">Next</a>"));
  EXPECT_TRUE(Holds(middle, "<a href=\"album-1-2.html\" data-up>Index</a>"));
  EXPECT_TRUE(Holds(middle, "<title>Photo title 4 \u2013 A &amp; &lt;b&gt;b&lt;/b&gt;</title>"));

  // The last of Deep's photos has no next one, though photo 3 follows it in the library.
  const std::string last = Page("photo-2.html");
  EXPECT_TRUE(Holds(last, "<p class=\"count\">2 of 2</p>"));
  EXPECT_FALSE(Holds(last, "rel=\"next\""));
  EXPECT_TRUE(Holds(last, "<a href=\"album-2.html\" data-up>Index</a>"));
  const std::string own = Page("photo-7.html");
  EXPECT_TRUE(Holds(own, "<p class=\"count\">1 of 2</p>"));
  EXPECT_TRUE(Holds(own, "<a href=\"index-2.html\" data-up>Index</a>"));
  EXPECT_TRUE(Holds(own, "<title>Photo title 7 \u2013 Trip</title>"));

  // A photo without a title is named by its place in its album.
  gallery_.photos[4].title_html = "";
  EXPECT_TRUE(Holds(Page("photo-5.html"), "<h1>Photo 3 of 3</h1>"));
}

TEST_F(ModernAlbumPageTest, BlankAlbumTitlesAreNamedByNumber) {
  CAlbum tree = MakeAlbumTree();
  tree.albums[2].title = " \t";
  plan_ = PlanModernGallery(tree, 2, false);
  EXPECT_TRUE(Holds(Page("album-3.html"), "<h1>Album 3</h1>"));
  EXPECT_TRUE(Holds(Page("index.html"), "<span class=\"name\">Album 3</span>"));
}

TEST_F(ModernAlbumPageTest, FlatGalleriesShowNoWayUpNorAlbumStyles) {
  plan_ = PlanModernGallery(CAlbum{"Trip", "", "", "", SamplePhotos("p", 3), {}}, 2, false);
  for (const CModernPlannedPage& page : plan_.pages) {
    const std::string html = Page(page.path);
    EXPECT_FALSE(Holds(html, "trail")) << page.path;
    EXPECT_FALSE(Holds(html, "albums.css")) << page.path;
    EXPECT_FALSE(Holds(html, "album-")) << page.path;
  }
}

// The pages of a gallery without albums, whole, as every build before albums wrote them: a
// gallery built again must not change.
TEST(ModernFlatPagesTest, StayAsTheyWere) {
  CModernGallery gallery = MakeModernGallery(3, 2);
  gallery.photos[1].original = "2.png";
  gallery.photos[2].thumb2x = {};
  const std::string index = R"page(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Trip – page 2 of 2</title>
<meta name="description" content="Trip">
<link rel="icon" href="data:,">
<link rel="stylesheet" href="assets/gallery.css">
<style>:root{--bg:#ffffff;--fg:#000000;--card:#f0f0f0;--card-fg:#000000}body{font-family:system-ui,sans-serif}</style>
<script src="assets/gallery.js" defer></script>
</head>
<body class="index">
<header class="top">
<h1>Trip</h1>
</header>
<main>
<ul class="grid last">
<li style="--r:1.333"><a class="cell" href="photo-3.html"><span class="thumb"><img src="thumbs/3.jpg" width="160" height="120" alt="Photo title 3" fetchpriority="high" decoding="async"></span><span class="name" aria-hidden="true">Photo title 3</span></a></li>
</ul>
</main>
<nav class="pages" aria-label="Pages">
<a rel="prev" href="index.html">Previous</a>
<a href="index.html">1</a>
<a href="index-2.html" aria-current="page">2</a>
</nav>
</body>
</html>
)page";
  const std::string photo = R"page(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Photo title 2 – Trip</title>
<meta name="description" content="Photo title 2 – Trip">
<link rel="icon" href="data:,">
<link rel="stylesheet" href="assets/gallery.css">
<style>:root{--bg:#ffffff;--fg:#000000;--card:#f0f0f0;--card-fg:#000000}body{font-family:system-ui,sans-serif}</style>
<script src="assets/gallery.js" defer></script>
</head>
<body class="photo" data-swipe>
<header class="bar">
<nav class="steps" aria-label="Photos">
<a rel="prev" href="photo-1.html">Previous</a>
<a href="index.html" data-up>Index</a>
<a rel="next" href="photo-3.html" data-preload="medium/3.jpg 400w, images/3.jpg 800w" data-sizes="(min-aspect-ratio: 800/600) calc((100vh - 120px) * 800 / 600), calc(100vw - 16px)">Next</a>
</nav>
<p class="count">2 of 3</p>
<h1>Photo title 2</h1>
</header>
<main>
<figure class="view">
<img src="images/2.jpg" srcset="medium/2.jpg 400w, images/2.jpg 800w" sizes="(min-aspect-ratio: 800/600) calc((100vh - 120px) * 800 / 600), calc(100vw - 16px)" width="800" height="600" alt="Photo title 2" fetchpriority="high">
</figure>
<p class="download"><a href="originals/2.png" download>Download original</a></p>
</main>
</body>
</html>
)page";
  EXPECT_EQ(index, RenderModernIndexPage(gallery, 1));
  EXPECT_EQ(photo, RenderModernPhotoPage(gallery, 1));
  const CModernPlan plan =
      PlanModernGallery(CAlbum{"Any", "", "", "", SamplePhotos("p", 3), {}}, 2, false);
  EXPECT_EQ(index, RenderModernPage(gallery, plan, plan.albums[0].index_pages[1]));
  EXPECT_EQ(photo, RenderModernPage(gallery, plan, plan.photo_pages[1]));
}

// `link` from a page in `folder` ("" or ending in "/") as a path from the gallery's folder:
// its percent-encoding undone, then "../" taken away.
std::string Resolve(const std::string& folder, const std::string& link) {
  std::string decoded;
  for (size_t i = 0; i < link.size(); ++i) {
    if (link[i] == '%' && i + 2 < link.size()) {
      decoded += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      decoded += link[i];
    }
  }
  std::vector<std::string> parts;
  const std::string path = folder + decoded;
  for (size_t start = 0; start <= path.size();) {
    const size_t slash = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (parts.empty()) return "outside: " + link;
      parts.pop_back();
    } else if (!part.empty()) {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string joined;
  for (const std::string& part : parts) joined += (joined.empty() ? "" : "/") + part;
  return joined;
}

TEST_F(ModernAlbumPageTest, PagesInNestedFoldersLinkEveryFileOfTheGallery) {
  gallery_.photos[3].original = "4 #x.jpg";
  // Each album's pages in a folder of its own, named as a folder of photos may be.
  const std::vector<std::string> folders = {"", "A & <b>/", "A & <b>/Deep #1? \u00e9/",
                                            "C 100%/"};
  std::set<std::string> files = {"assets/gallery.css", "assets/gallery.js", "assets/albums.css",
                                 "originals/4 #x.jpg"};
  for (CModernPlannedPage& page : plan_.pages) {
    page.path = folders[page.album] + page.path;
    files.insert(page.path);
  }
  for (const CModernPlannedImage& image : plan_.images) files.insert(image.path);
  for (const CModernPlannedPage& page : plan_.pages) {
    const std::string html = Page(page.path);
    const std::string folder = page.path.substr(0, page.path.rfind('/') + 1);
    std::vector<std::string> links = AttributeValues(html, "href");
    for (const char* attribute : {"src", "srcset", "data-preload"}) {
      for (const std::string& value : AttributeValues(html, attribute)) {
        // A srcset lists addresses each followed by a width.
        for (size_t at = 0; at < value.size();) {
          const size_t space = value.find(' ', at);
          links.push_back(value.substr(at, space - at));
          const size_t comma = value.find(", ", space);
          at = comma == std::string::npos ? value.size() : comma + 2;
        }
      }
    }
    int checked = 0;
    for (const std::string& link : links) {
      if (link == "data:,") continue;
      EXPECT_EQ(std::string::npos, link.find_first_of(" #?&<>")) << page.path << ": " << link;
      EXPECT_EQ(1u, files.count(Resolve(folder, link))) << page.path << ": " << link;
      ++checked;
    }
    EXPECT_GE(checked, 4) << page.path;
  }
}

}  // namespace
}  // namespace gallery
