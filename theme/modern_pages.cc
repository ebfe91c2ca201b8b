#include "theme/modern_pages.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "collection/album.h"
#include "theme/modern_layout.h"
#include "theme/modern_model.h"
#include "theme/modern_page_parts.h"
#include "theme/modern_plan.h"
#include "theme/page_frame.h"
#include "theme/page_words.h"
#include "theme/plain_text.h"

namespace gallery {
namespace {

// Thumbnails that a phone or a laptop shows before scrolling load at once, the rest when they
// come near the window.
constexpr int kEagerThumbnails = 16;
// With more index pages than this, the page list shows the first, the last and those near the
// current one.
constexpr int kAllPageLinks = 9;
constexpr int kNearPageLinks = 2;

// The sources of photo `photo`'s thumbnail for page `from`: its src, then the rest of the tag
// up to its alt text.
std::string ThumbnailSources(const CModernPlan& plan, int from, const CModernPhoto& photo,
                             int index) {
  const std::string thumb = plan.Link(from, plan.Image(index, ModernImageSize::kThumb).path);
  std::string tag = "<img src=\"" + thumb + "\"";
  if (photo.thumb2x.width > photo.thumb.width) {
    // By width, so that the browser takes the 1x thumbnail wherever it is sharp enough for the
    // cell.
    tag += " srcset=\"" + thumb + " " + std::to_string(photo.thumb.width) + "w, " +
           plan.Link(from, plan.Image(index, ModernImageSize::kThumb2x).path) + " " +
           std::to_string(photo.thumb2x.width) + "w\"" + " sizes=\"" +
           ModernThumbSizes(photo.thumb) + "\"";
  }
  return tag + " width=\"" + std::to_string(photo.thumb.width) + "\" height=\"" +
         std::to_string(photo.thumb.height) + "\"";
}

// How a thumbnail at `position` on its page loads.
std::string ThumbnailLoading(int position) {
  std::string loading;
  if (position == 0) {
    loading = " fetchpriority=\"high\"";
  } else if (position >= kEagerThumbnails) {
    loading = " loading=\"lazy\"";
  }
  return loading + " decoding=\"async\">";
}

bool HasThumbnail(const CModernPhoto& photo) {
  return photo.thumb.width > 0 && photo.thumb.height > 0;
}

// The start of a cell of the rows, as wide for its height as `thumb` (see gallery.css).
std::string CellStart(CModernSize thumb) {
  return "<li style=\"--r:" + ModernThumbShape(thumb) + "\">";
}

// The cell of photo `index` on page `from`, numbered `shown_number` in its album.
std::string RenderThumbnail(const CModernPlan& plan, int from, const CModernPhoto& photo,
                            int index, int shown_number, int position, PageLanguage language) {
  const std::string title = EscapeHtmlText(PlainTextFromHtml(photo.title_html));
  const std::string alt =
      title.empty()
          ? UntitledPhotoLabel(language, shown_number,
                               plan.albums[plan.pages[from].album].own_count)
          : title;
  std::string cell = CellStart(photo.thumb) + "<a class=\"cell\" href=\"" +
                     plan.Link(from, plan.pages[plan.photo_pages[index]].path) +
                     "\"><span class=\"thumb\">";
  if (!HasThumbnail(photo)) {
    // The title stands in the thumbnail's place, once.
    const std::string what = photo.video_file.empty()
                                 ? std::string()
                                 : " (" + std::string(WordsOf(language).video) + ")";
    return cell + "<span class=\"missing\">" + alt + what + "</span></span></a></li>\n";
  }
  // A video says so, and how long it runs, in its alt text; the badge is for the eye.
  const std::string length = FormatVideoLength(photo.video_seconds);
  const bool video = !photo.video_file.empty();
  const std::string video_alt = !video ? std::string()
                                       : " (" + std::string(WordsOf(language).video) +
                                             (length.empty() ? "" : ", " + length) + ")";
  cell += ThumbnailSources(plan, from, photo, index) + " alt=\"" + alt + video_alt + "\"" +
          ThumbnailLoading(position);
  if (video && !length.empty()) {
    cell += "<span class=\"length\" aria-hidden=\"true\">" + length + "</span>";
  }
  cell += "</span>";
  // The title under the thumbnail is for the eye: the link is named by the alt text already,
  // and a screen reader would say it twice.
  if (!title.empty()) cell += "<span class=\"name\" aria-hidden=\"true\">" + title + "</span>";
  return cell + "</a></li>\n";
}

// The card of sub-album `album` on page `from`: its cover's thumbnail, its title and how many
// photos it holds. The link is named by the title and the count; the cover is decoration.
std::string RenderAlbumCard(const CModernGallery& gallery, const CModernPlan& plan, int from,
                            int album, int position) {
  const CModernPlannedAlbum& shown = plan.albums[album];
  const bool cover = shown.cover >= 0 && HasThumbnail(gallery.photos[shown.cover]);
  std::string cell = CellStart(cover ? gallery.photos[shown.cover].thumb : CModernSize{}) +
                     "<a class=\"cell album\" href=\"" +
                     plan.Link(from, plan.pages[shown.index_pages.front()].path) +
                     "\"><span class=\"thumb\">";
  if (cover) {
    cell += ThumbnailSources(plan, from, gallery.photos[shown.cover], shown.cover) +
            " alt=\"\"" + ThumbnailLoading(position);
  }
  cell += "</span><span class=\"name\">" + EscapeHtmlText(ModernAlbumTitle(gallery, plan, album)) +
          "</span><span class=\"size\">" + PhotoCount(gallery.language, shown.photo_count) +
          "</span>";
  return cell + "</a></li>\n";
}

// The page numbers to list, -1 standing for a gap.
std::vector<int> ListedPages(int current, int count) {
  std::vector<int> pages;
  for (int page = 0; page < count; ++page) {
    const bool near = page >= current - kNearPageLinks && page <= current + kNearPageLinks;
    if (count <= kAllPageLinks || page == 0 || page == count - 1 || near) {
      pages.push_back(page);
    } else if (pages.back() != -1) {
      pages.push_back(-1);
    }
  }
  return pages;
}

std::string RenderPageLinks(const CModernPlan& plan, int from, const CPageWords& words) {
  const CModernPlannedPage& shown = plan.pages[from];
  const std::vector<int>& album_pages = plan.albums[shown.album].index_pages;
  const int current = shown.number;
  const int count = static_cast<int>(album_pages.size());
  auto link = [&](int page) { return plan.Link(from, plan.pages[album_pages[page]].path); };
  std::string nav = "<nav class=\"pages\" aria-label=\"" + std::string(words.pages) + "\">\n";
  if (current > 0) {
    nav += "<a rel=\"prev\" href=\"" + link(current - 1) + "\">" + std::string(words.previous) + "</a>\n";
  }
  for (int page : ListedPages(current, count)) {
    if (page < 0) {
      nav += "<span aria-hidden=\"true\">\u2026</span>\n";
      continue;
    }
    nav += "<a href=\"" + link(page) + "\"";
    if (page == current) nav += " aria-current=\"page\"";
    nav += ">" + std::to_string(page + 1) + "</a>\n";
  }
  if (current < count - 1) {
    nav += "<a rel=\"next\" href=\"" + link(current + 1) + "\">" + std::string(words.next) + "</a>\n";
  }
  return nav + "</nav>\n";
}

// A flat gallery's plan: its photos in one album.
CModernPlan FlatPlan(const CModernGallery& gallery) {
  CAlbum root;
  root.photos.resize(gallery.photos.size());
  return PlanModernGallery(root, gallery.photos_per_page, false);
}

}  // namespace

std::string ModernAlbumTitle(const CModernGallery& gallery, const CModernPlan& plan, int album) {
  const CPageWords& words = WordsOf(gallery.language);
  if (album == 0) return TextOr(gallery.title, words.photos);
  return TextOr(plan.albums[album].title,
                std::string(words.album) + " " + std::to_string(plan.albums[album].number));
}

CPageFrame StartModernFrame(const CModernPlan& plan, int page) {
  CPageFrame frame;
  frame.stylesheet = plan.Link(page, "assets/gallery.css");
  frame.script = plan.Link(page, "assets/gallery.js");
  if (plan.HasAlbums()) {
    frame.head_links =
        "<link rel=\"stylesheet\" href=\"" + plan.Link(page, "assets/albums.css") + "\">\n";
  }
  return frame;
}

std::string RenderModernTrail(const CModernGallery& gallery, const CModernPlan& plan, int page,
                              std::string_view current) {
  if (!plan.HasAlbums()) return {};
  const CModernPlannedPage& shown = plan.pages[page];
  std::vector<int> chain;
  for (int album = shown.album; album >= 0; album = plan.albums[album].parent) {
    chain.insert(chain.begin(), album);
  }
  std::string nav = "<nav class=\"trail\" aria-label=\"" +
                    std::string(WordsOf(gallery.language).albums) + "\">\n<ol>\n";
  for (size_t i = 0; i < chain.size(); ++i) {
    const std::string title = EscapeHtmlText(ModernAlbumTitle(gallery, plan, chain[i]));
    if (i + 1 == chain.size() && current.empty()) {
      nav += "<li><span aria-current=\"page\">" + title + "</span></li>\n";
      continue;
    }
    // From an index page, its parent leads back to the page that shows its card.
    const bool parent = current.empty() && i + 2 == chain.size() && shown.up >= 0;
    const int target = parent ? shown.up : plan.albums[chain[i]].index_pages.front();
    nav += "<li><a href=\"" + plan.Link(page, plan.pages[target].path) + "\"" +
           (parent ? " data-up" : "") + ">" + title + "</a></li>\n";
  }
  if (!current.empty()) {
    nav += "<li><span aria-current=\"page\">" + EscapeHtmlText(current) + "</span></li>\n";
  }
  return nav + "</ol>\n</nav>\n";
}

int ModernIndexPageCount(const CModernGallery& gallery) {
  const int count = static_cast<int>(gallery.photos.size());
  const int per_page = gallery.photos_per_page > 0 ? gallery.photos_per_page : std::max(count, 1);
  return std::max(1, (count + per_page - 1) / per_page);
}

std::string ModernIndexFileName(int page) { return ModernIndexFileName(0, page); }

std::string UntitledPhotoLabel(PageLanguage language, int photo, int count) {
  return std::string(WordsOf(language).photo) + " " + NumberOfCount(language, photo + 1, count);
}

int ModernIndexPageOf(const CModernGallery& gallery, int photo) {
  const CModernPlan plan = FlatPlan(gallery);
  return plan.pages[plan.IndexPageHolding(0, photo)].number;
}

std::string RenderModernIndexPage(const CModernGallery& gallery, int page) {
  const CModernPlan plan = FlatPlan(gallery);
  const std::vector<int>& pages = plan.albums[0].index_pages;
  if (page < 0 || page >= static_cast<int>(pages.size())) return {};
  return RenderModernPage(gallery, plan, pages[page]);
}

std::string RenderModernPhotoPage(const CModernGallery& gallery, int photo) {
  if (photo < 0 || photo >= static_cast<int>(gallery.photos.size())) return {};
  const CModernPlan plan = FlatPlan(gallery);
  return RenderModernPage(gallery, plan, plan.photo_pages[photo]);
}

std::string RenderModernPage(const CModernGallery& gallery, const CModernPlan& plan, int page) {
  if (page < 0 || page >= static_cast<int>(plan.pages.size())) return {};
  if (plan.pages[page].kind == ModernPageKind::kPhoto) {
    return RenderModernPhotoPageOf(gallery, plan, page);
  }
  const CModernPlannedPage& shown = plan.pages[page];
  const CModernPlannedAlbum& album = plan.albums[shown.album];
  const int page_count = static_cast<int>(album.index_pages.size());

  CPageFrame frame = StartModernFrame(plan, page);
  const std::string title = ModernAlbumTitle(gallery, plan, shown.album);
  const std::string description =
      TextOr(shown.album == 0 ? gallery.description : album.description, "");
  frame.title = title;
  if (page_count > 1) {
    frame.title +=
        " \u2013 " + std::string(WordsOf(gallery.language).page) + " " +
        NumberOfCount(gallery.language, shown.number + 1, page_count);
  }
  if (shown.album != 0) frame.title += " \u2013 " + ModernAlbumTitle(gallery, plan, 0);
  frame.description = description.empty() ? title : description;
  frame.body_class = "index";
  std::string html = RenderPageStart(gallery, frame);

  // A blank title would leave an empty heading.
  html += "<header class=\"top\">\n" + RenderModernTrail(gallery, plan, page, {}) + "<h1>" +
          EscapeHtmlText(title) + "</h1>\n";
  if (!description.empty()) {
    html += "<div class=\"description\">" + EscapeHtmlText(description) + "</div>\n";
  }
  html += "</header>\n<main>\n";
  if (shown.albums.empty() && shown.photos.empty()) {
    html += "<p class=\"empty\">" + std::string(WordsOf(gallery.language).no_photos) + "</p>\n";
  } else {
    // The last row of the last page keeps its height; any other row fills the page's width.
    html += shown.number + 1 == page_count ? "<ul class=\"grid last\">\n" : "<ul class=\"grid\">\n";
    int position = 0;
    for (int sub_album : shown.albums) {
      html += RenderAlbumCard(gallery, plan, page, sub_album, position++);
    }
    for (int photo : shown.photos) {
      html += RenderThumbnail(plan, page, gallery.photos[photo], photo,
                              plan.pages[plan.photo_pages[photo]].number, position++,
                              gallery.language);
    }
    html += "</ul>\n";
  }
  html += "</main>\n";
  if (page_count > 1) html += RenderPageLinks(plan, page, WordsOf(gallery.language));
  html += PageEnd();
  return html;
}

std::string FormatVideoLength(int seconds) {
  if (seconds < 0) return {};
  const int hours = seconds / 3600;
  const int minutes = seconds / 60 % 60;
  const std::string two_digits = [](int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
  }(seconds % 60);
  if (hours == 0) return std::to_string(minutes) + ":" + two_digits;
  return std::to_string(hours) + ":" + (minutes < 10 ? "0" : "") + std::to_string(minutes) + ":" +
         two_digits;
}

std::string VideoLengthDatetime(int seconds) {
  return seconds < 0 ? std::string() : "PT" + std::to_string(seconds) + "S";
}

}  // namespace gallery
