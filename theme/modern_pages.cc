#include "theme/modern_pages.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "theme/modern_model.h"
#include "theme/page_frame.h"
#include "theme/plain_text.h"

namespace gallery {
namespace {

// Thumbnails that a phone or a laptop shows before scrolling load at once, the rest when they
// come near the window.
constexpr int kEagerThumbnails = 8;
// With more index pages than this, the page list shows the first, the last and those near the
// current one.
constexpr int kAllPageLinks = 9;
constexpr int kNearPageLinks = 2;
// The width of a grid cell: one column below 360 px, two below 528 px, else 160 to 216 px.
constexpr std::string_view kCellSizes =
    "(max-width: 359px) calc(100vw - 32px), (max-width: 527px) calc(50vw - 20px), 216px";

int PhotosPerPage(const CModernGallery& gallery) {
  const int count = static_cast<int>(gallery.photos.size());
  return gallery.photos_per_page > 0 ? gallery.photos_per_page : std::max(count, 1);
}

std::string RenderThumbnail(const CModernPhoto& photo, int index, int count, int position) {
  const std::string number = std::to_string(index + 1);
  const std::string title = EscapeHtmlText(PlainTextFromHtml(photo.title_html));
  const std::string alt = title.empty() ? UntitledPhotoLabel(index, count) : title;
  std::string cell = "<li><a class=\"cell\" href=\"" + ModernPhotoFileName(index) +
                     "\"><span class=\"thumb\">";
  if (photo.thumb.width <= 0 || photo.thumb.height <= 0) {
    // The title stands in the thumbnail's place, once.
    return cell + "<span class=\"missing\">" + alt + "</span></span></a></li>\n";
  }
  cell += "<img src=\"thumbs/" + number + ".jpg\"";
  if (photo.thumb2x.width > photo.thumb.width) {
    // By width, so that the browser takes the 1x thumbnail wherever it is sharp enough for the
    // cell (the grid's cell widths by window width, see gallery.css).
    cell += " srcset=\"thumbs/" + number + ".jpg " + std::to_string(photo.thumb.width) +
            "w, thumbs2x/" + number + ".jpg " + std::to_string(photo.thumb2x.width) + "w\"" +
            " sizes=\"" + std::string(kCellSizes) + "\"";
  }
  cell += " width=\"" + std::to_string(photo.thumb.width) + "\" height=\"" +
          std::to_string(photo.thumb.height) + "\" alt=\"" + alt + "\"";
  if (position == 0) {
    cell += " fetchpriority=\"high\"";
  } else if (position >= kEagerThumbnails) {
    cell += " loading=\"lazy\"";
  }
  cell += " decoding=\"async\"></span>";
  // The title under the thumbnail is for the eye: the link is named by the alt text already,
  // and a screen reader would say it twice.
  if (!title.empty()) cell += "<span class=\"name\" aria-hidden=\"true\">" + title + "</span>";
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

std::string RenderPageLinks(int current, int count) {
  std::string nav = "<nav class=\"pages\" aria-label=\"Pages\">\n";
  if (current > 0) {
    nav += "<a rel=\"prev\" href=\"" + ModernIndexFileName(current - 1) + "\">Previous</a>\n";
  }
  for (int page : ListedPages(current, count)) {
    if (page < 0) {
      nav += "<span aria-hidden=\"true\">\u2026</span>\n";
      continue;
    }
    nav += "<a href=\"" + ModernIndexFileName(page) + "\"";
    if (page == current) nav += " aria-current=\"page\"";
    nav += ">" + std::to_string(page + 1) + "</a>\n";
  }
  if (current < count - 1) {
    nav += "<a rel=\"next\" href=\"" + ModernIndexFileName(current + 1) + "\">Next</a>\n";
  }
  return nav + "</nav>\n";
}

}  // namespace

int ModernIndexPageCount(const CModernGallery& gallery) {
  const int count = static_cast<int>(gallery.photos.size());
  const int per_page = PhotosPerPage(gallery);
  return std::max(1, (count + per_page - 1) / per_page);
}

std::string ModernIndexFileName(int page) {
  return page <= 0 ? "index.html" : "index-" + std::to_string(page + 1) + ".html";
}

std::string ModernPhotoFileName(int photo) {
  return "photo-" + std::to_string(std::max(photo, 0) + 1) + ".html";
}

std::string UntitledPhotoLabel(int photo, int count) {
  return "Photo " + std::to_string(photo + 1) + " of " + std::to_string(count);
}

int ModernIndexPageOf(const CModernGallery& gallery, int photo) {
  return std::clamp(std::max(photo, 0) / PhotosPerPage(gallery), 0,
                    ModernIndexPageCount(gallery) - 1);
}

std::string RenderModernIndexPage(const CModernGallery& gallery, int page) {
  const int page_count = ModernIndexPageCount(gallery);
  if (page < 0 || page >= page_count) return {};
  const int count = static_cast<int>(gallery.photos.size());
  const int per_page = PhotosPerPage(gallery);
  const int first = page * per_page;
  const int end = std::min(count, first + per_page);

  CPageFrame frame;
  const std::string title = TextOr(gallery.title, "Photos");
  frame.title = title;
  if (page_count > 1) {
    frame.title += " \u2013 page " + std::to_string(page + 1) + " of " + std::to_string(page_count);
  }
  frame.description = TextOr(gallery.description, title);
  frame.body_class = "index";
  std::string html = RenderPageStart(gallery, frame);

  // A blank title would leave an empty heading.
  html += "<header class=\"top\">\n<h1>" + EscapeHtmlText(title) + "</h1>\n";
  if (const std::string description = TextOr(gallery.description, ""); !description.empty()) {
    html += "<div class=\"description\">" + EscapeHtmlText(description) + "</div>\n";
  }
  html += "</header>\n<main>\n";
  if (count == 0) {
    html += "<p class=\"empty\">No photos</p>\n";
  } else {
    html += "<ul class=\"grid\">\n";
    for (int photo = first; photo < end; ++photo) {
      html += RenderThumbnail(gallery.photos[photo], photo, count, photo - first);
    }
    html += "</ul>\n";
  }
  html += "</main>\n";
  if (page_count > 1) html += RenderPageLinks(page, page_count);
  html += PageEnd();
  return html;
}

}  // namespace gallery
