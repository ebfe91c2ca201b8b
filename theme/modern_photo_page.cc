#include <string>
#include <string_view>

#include "theme/modern_model.h"
#include "theme/modern_pages.h"
#include "theme/page_frame.h"
#include "theme/plain_text.h"

namespace gallery {
namespace {

bool HasImage(const CModernPhoto& photo) { return photo.image.width > 0 && photo.image.height > 0; }

// The page image of photo `index` (from 0) and its medium size, as a srcset by width.
std::string ImageSources(const CModernPhoto& photo, int index) {
  const std::string number = std::to_string(index + 1);
  std::string sources;
  if (photo.medium.width > 0 && photo.medium.width < photo.image.width) {
    sources = "medium/" + number + ".jpg " + std::to_string(photo.medium.width) + "w, ";
  }
  return sources + "images/" + number + ".jpg " + std::to_string(photo.image.width) + "w";
}

// A link to a neighbouring photo, or at either end of the gallery a placeholder of the same
// size, so the other links keep their place and no link leads nowhere. The next photo's
// sources ride along, so that the script can load the image the browser will pick there.
std::string RenderStep(const CModernGallery& gallery, const char* rel, const char* label,
                       int neighbour) {
  const int count = static_cast<int>(gallery.photos.size());
  if (neighbour < 0 || neighbour >= count) {
    return std::string("<span class=\"none\" aria-hidden=\"true\">") + label + "</span>\n";
  }
  std::string link = std::string("<a rel=\"") + rel + "\" href=\"" +
                     ModernPhotoFileName(neighbour) + "\"";
  if (std::string_view(rel) == "next" && HasImage(gallery.photos[neighbour])) {
    link += " data-preload=\"" + ImageSources(gallery.photos[neighbour], neighbour) + "\"";
  }
  return link + ">" + label + "</a>\n";
}

}  // namespace

std::string RenderModernPhotoPage(const CModernGallery& gallery, int photo) {
  const int count = static_cast<int>(gallery.photos.size());
  if (photo < 0 || photo >= count) return {};
  const CModernPhoto& shown = gallery.photos[photo];
  const std::string number = std::to_string(photo + 1);
  const std::string label = PlainTextOr(shown.title_html, UntitledPhotoLabel(photo, count));
  const std::string position = number + " of " + std::to_string(count);

  CPageFrame frame;
  const std::string gallery_title = TextOr(gallery.title, "");
  frame.title = gallery_title.empty() ? label : label + " \u2013 " + gallery_title;
  frame.description = TextOr(gallery.description, frame.title);
  frame.body_class = "photo";
  frame.swipe = true;
  std::string html = RenderPageStart(gallery, frame);

  html += "<header class=\"bar\">\n<nav class=\"steps\" aria-label=\"Photos\">\n";
  html += RenderStep(gallery, "prev", "Previous", photo - 1);
  html += "<a href=\"" + ModernIndexFileName(ModernIndexPageOf(gallery, photo)) +
          "\" data-up>Index</a>\n";
  html += RenderStep(gallery, "next", "Next", photo + 1);
  html += "</nav>\n<p class=\"count\">" + position + "</p>\n<h1>";
  html += PlainTextFromHtml(shown.title_html).empty() ? EscapeHtmlText(label) : shown.title_html;
  html += "</h1>\n</header>\n<main>\n<figure class=\"view\">\n";
  const std::string alt = EscapeHtmlText(label);
  if (HasImage(shown)) {
    html += "<img src=\"images/" + number + ".jpg\" srcset=\"" + ImageSources(shown, photo) +
            "\" sizes=\"100vw\" width=\"" + std::to_string(shown.image.width) +
            "\" height=\"" + std::to_string(shown.image.height) + "\" alt=\"" + alt +
            "\" fetchpriority=\"high\">\n";
  } else {
    html += "<p class=\"missing\">" + alt + "</p>\n";
  }
  if (!shown.caption.empty()) {
    html += "<figcaption>\n";
    for (const std::string& line : shown.caption) {
      html += "<span>" + EscapeHtmlText(line) + "</span>\n";
    }
    html += "</figcaption>\n";
  }
  html += "</figure>\n";
  if (!shown.original.empty()) {
    html += "<p class=\"download\"><a href=\"originals/" +
            EscapeHtmlText(UrlPathSegment(shown.original)) +
            "\" download>Download original</a></p>\n";
  }
  html += "</main>\n";
  html += PageEnd();
  return html;
}

}  // namespace gallery
