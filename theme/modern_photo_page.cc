#include <string>

#include "theme/modern_model.h"
#include "theme/modern_pages.h"
#include "theme/page_frame.h"
#include "theme/plain_text.h"

namespace gallery {
namespace {

bool HasImage(const CModernPhoto& photo) { return photo.image.width > 0 && photo.image.height > 0; }

// A link to a neighbouring photo, or at either end of the gallery a placeholder of the same
// size, so the other links keep their place and no link leads nowhere.
std::string RenderStep(const char* rel, const char* label, int neighbour, int count) {
  if (neighbour < 0 || neighbour >= count) {
    return std::string("<span class=\"none\" aria-hidden=\"true\">") + label + "</span>\n";
  }
  return std::string("<a rel=\"") + rel + "\" href=\"" + ModernPhotoFileName(neighbour) + "\">" +
         label + "</a>\n";
}

}  // namespace

std::string RenderModernPhotoPage(const CModernGallery& gallery, int photo) {
  const int count = static_cast<int>(gallery.photos.size());
  if (photo < 0 || photo >= count) return {};
  const CModernPhoto& shown = gallery.photos[photo];
  const std::string number = std::to_string(photo + 1);
  const std::string label = PlainTextOr(shown.title_html, "Photo " + number);
  const std::string position = number + " of " + std::to_string(count);

  CPageFrame frame;
  const std::string gallery_title = PlainTextFromHtml(gallery.title_html);
  frame.title = gallery_title.empty() ? label : label + " \u2013 " + gallery_title;
  frame.description = PlainTextOr(gallery.description_html, frame.title);
  if (photo + 1 < count && HasImage(gallery.photos[photo + 1])) {
    // The next photo is then already at hand when the visitor moves on.
    frame.head_links = "<link rel=\"prefetch\" href=\"images/" + std::to_string(photo + 2) +
                       ".jpg\" as=\"image\">\n";
  }
  frame.body_class = "photo";
  frame.swipe = true;
  std::string html = RenderPageStart(gallery, frame);

  html += "<header class=\"bar\">\n<nav class=\"steps\" aria-label=\"Photos\">\n";
  html += RenderStep("prev", "Previous", photo - 1, count);
  html += "<a href=\"" + ModernIndexFileName(ModernIndexPageOf(gallery, photo)) +
          "\" data-up>Index</a>\n";
  html += RenderStep("next", "Next", photo + 1, count);
  html += "</nav>\n<p class=\"count\">" + position + "</p>\n<h1>";
  html += PlainTextFromHtml(shown.title_html).empty() ? "Photo " + number : shown.title_html;
  html += "</h1>\n</header>\n<main>\n<figure class=\"view\">\n";
  const std::string alt = EscapeHtmlText(label);
  if (HasImage(shown)) {
    html += "<img src=\"images/" + number + ".jpg\" width=\"" + std::to_string(shown.image.width) +
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
