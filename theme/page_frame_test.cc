#include "theme/page_frame.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/modern_gallery_inputs.h"
#include "theme/modern_model.h"
#include "theme/modern_pages.h"

namespace gallery {
namespace {

CModernGallery MakeGallery() {
  CModernGallery gallery;
  gallery.title = "Trip";
  CModernPhoto photo;
  photo.title_html = "One";
  photo.image = {800, 600};
  photo.thumb = {160, 120};
  photo.thumb2x = {320, 240};
  photo.caption = {"A line"};
  photo.original = "1.jpg";
  gallery.photos = {photo, photo};
  return gallery;
}

TEST(ModernPageFrameTest, BothKindsOfPageHaveTheFullHead) {
  const CModernGallery gallery = MakeGallery();
  for (const std::string& page :
       {RenderModernIndexPage(gallery, 0), RenderModernPhotoPage(gallery, 0)}) {
    EXPECT_EQ(0u,
              page.find("<!doctype html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                        "<meta name=\"viewport\" content=\"width=device-width, "
                        "initial-scale=1\">\n<title>"))
        << page;
    EXPECT_TRUE(Holds(page, "<link rel=\"icon\" href=\"data:,\">\n"));
    EXPECT_TRUE(Holds(page, "<link rel=\"stylesheet\" href=\"assets/gallery.css\">\n"));
    EXPECT_TRUE(Holds(page, "<script src=\"assets/gallery.js\" defer></script>\n</head>\n"));
    EXPECT_TRUE(Holds(page, "<header") && Holds(page, "<main>") && Holds(page, "</main>"));
    EXPECT_EQ(page.size() - 16, page.find("</body>\n</html>\n"));
  }
  // Without a description of its own a page is described by its title.
  EXPECT_TRUE(
      Holds(RenderModernIndexPage(gallery, 0), "<meta name=\"description\" content=\"Trip\">"));
  EXPECT_TRUE(Holds(RenderModernPhotoPage(gallery, 1),
                    "<meta name=\"description\" content=\"One \u2013 Trip\">"));
}

TEST(ModernPageFrameTest, ColoursAreReadableAndFontCannotBreakTheStyle) {
  CModernGallery gallery = MakeGallery();
  gallery.colors = {0x102030, 0x203040, 0xFFFFE0};
  gallery.font_name = "\"}</style><script>alert(1)</script>";
  const std::string page = RenderModernIndexPage(gallery, 0);
  // Dark blue text cannot be read on a darker blue background, but can on a light card.
  EXPECT_TRUE(Holds(page,
                    "<style>:root{--bg:#102030;--fg:#ffffff;--card:#ffffe0;"
                    "--card-fg:#203040}body{font-family:\"\\7d \\3c \\2f style\\3e "
                    "\\3c script\\3e alert\\28 1\\29 \\3c \\2f script\\3e \","
                    "system-ui,sans-serif}</style>\n"))
      << page;
  EXPECT_EQ(page.find("</style>"), page.rfind("</style>"));
  EXPECT_FALSE(Holds(page, "<script>"));

  gallery.colors = {0xFFFFFF, 0x336699, 0xEEEEEE};
  gallery.font_name.clear();
  EXPECT_TRUE(Holds(RenderModernPhotoPage(gallery, 0),
                    "<style>:root{--bg:#ffffff;--fg:#336699;--card:#eeeeee;--card-fg:#336699}"
                    "body{font-family:system-ui,sans-serif}</style>"));
}

TEST(ModernPageFrameTest, FrameIsABodyClassWithItsColour) {
  struct Case {
    ModernFrame kind;
    const char* properties_end;
    const char* body_class;
  } cases[] = {
      {ModernFrame::kNone, "--card-fg:#000000}", ""},
      {ModernFrame::kLine, "--card-fg:#000000;--frame:#d8d8d8}", " frame-line"},
      {ModernFrame::kShadow, "--card-fg:#000000;--frame:#d8d8d8}", " frame-shadow"},
  };
  for (const Case& c : cases) {
    CModernGallery gallery = MakeGallery();
    gallery.frame = {c.kind, 0x12D8D8D8};  // bits above the colour are left out
    const std::string index = RenderModernIndexPage(gallery, 0);
    const std::string photo = RenderModernPhotoPage(gallery, 1);
    for (const std::string& page : {index, photo}) {
      EXPECT_TRUE(Holds(page, c.properties_end)) << page;
      EXPECT_EQ(c.kind != ModernFrame::kNone, Holds(page, "--frame")) << page;
    }
    EXPECT_TRUE(Holds(index, std::string("<body class=\"index") + c.body_class + "\">\n")) << index;
    EXPECT_TRUE(Holds(photo, std::string("<body class=\"photo") + c.body_class + "\" data-swipe>"))
        << photo;
  }
  // The stylesheet knows both classes and gives each kind of image its frame.
  const std::string css(ModernStylesheet());
  for (const char* rule : {".frame-line .cell img", ".frame-line .view img",
                           ".frame-shadow .cell img", ".frame-shadow .view img", "var(--frame)"}) {
    EXPECT_TRUE(Holds(css, rule)) << rule;
  }
}

TEST(ModernPageFrameTest, NothingComesFromTheNetwork) {
  CModernGallery gallery = MakeGallery();
  gallery.font_name = "Noto Sans";
  for (int page = 0; page < 2; ++page) {
    for (const std::string& text :
         {RenderModernIndexPage(gallery, 0), RenderModernPhotoPage(gallery, page)}) {
      EXPECT_FALSE(Holds(text, "http://") || Holds(text, "https://") || Holds(text, "//")) << text;
    }
  }
  for (const std::string_view asset : {ModernStylesheet(), ModernScript()}) {
    EXPECT_FALSE(asset.empty());
    EXPECT_EQ(std::string_view::npos, asset.find("http:"));
    EXPECT_EQ(std::string_view::npos, asset.find("https:"));
    EXPECT_EQ(std::string_view::npos, asset.find("url("));
    EXPECT_EQ(std::string_view::npos, asset.find("@import"));
  }
  EXPECT_TRUE(Holds(std::string(ModernStylesheet()), ".grid.last::after"));
  EXPECT_TRUE(Holds(std::string(ModernScript()), "a[rel~=\"next\"]"));
}

// The text of the block of `css` that begins with `head`, braces balanced; empty if none.
std::string BlockOf(const std::string& css, const std::string& head) {
  const size_t start = css.find(head);
  if (start == std::string::npos) return {};
  int depth = 0;
  for (size_t at = css.find('{', start); at < css.size(); ++at) {
    if (css[at] == '{') ++depth;
    if (css[at] == '}' && --depth == 0) return css.substr(start, at + 1 - start);
  }
  return {};
}

TEST(ModernPageFrameTest, ZoomStaysAllowedAndMotionCanBeKeptDown) {
  const std::string css(ModernStylesheet());
  const std::string script(ModernScript());
  // Pinch-zoom is the browser's: no touch-action in the stylesheet or the script (none, pan-x
  // or pan-y would forbid it), and no viewport that fixes the scale.
  EXPECT_FALSE(Holds(css, "touch-action"));
  EXPECT_FALSE(Holds(script, "touch-action") || Holds(script, "touchAction"));
  const CModernGallery gallery = MakeGallery();
  for (const std::string& page :
       {RenderModernIndexPage(gallery, 0), RenderModernPhotoPage(gallery, 0)}) {
    EXPECT_FALSE(Holds(page, "user-scalable") || Holds(page, "maximum-scale")) << page;
  }
  // Every transition is switched off where motion is to be kept down, and pages fade into one
  // another only where it is not.
  const std::string reduce = BlockOf(css, "@media (prefers-reduced-motion: reduce)");
  EXPECT_TRUE(Holds(reduce, "transition: none !important;")) << reduce;
  EXPECT_TRUE(Holds(reduce, "animation: none !important;")) << reduce;
  const std::string allowed = BlockOf(css, "@media (prefers-reduced-motion: no-preference)");
  EXPECT_TRUE(Holds(allowed, "@view-transition")) << allowed;
  EXPECT_EQ(css.find("@view-transition"), css.rfind("@view-transition"));
}

// The script marks what it made under the names the stylesheet looks for: on a phone held
// upright, the page with buttons keeps room for their row at the bottom.
TEST(ModernPageFrameTest, ScriptAndStylesheetAgreeOnTheirMarks) {
  const std::string css(ModernStylesheet());
  const std::string script(ModernScript());
  const std::string phone = BlockOf(css, "@media (max-width: 40rem) and (orientation: portrait)");
  EXPECT_TRUE(Holds(phone, ".photo[data-viewer]")) << phone;
  EXPECT_TRUE(Holds(script, "setAttribute('data-viewer', '')"));
  EXPECT_TRUE(Holds(css, ".view img[data-tap]"));
  EXPECT_TRUE(Holds(script, "setAttribute('data-tap', '')"));
  EXPECT_TRUE(Holds(css, ".controls button"));
  EXPECT_TRUE(Holds(script, "controls.className = 'controls'"));
}

}  // namespace
}  // namespace gallery
