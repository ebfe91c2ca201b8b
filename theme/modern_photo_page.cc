#include <string>
#include <string_view>
#include <utility>

#include "theme/modern_layout.h"
#include "theme/modern_model.h"
#include "theme/modern_page_parts.h"
#include "theme/modern_pages.h"
#include "theme/modern_plan.h"
#include "theme/page_frame.h"
#include "theme/page_words.h"
#include "theme/plain_text.h"

namespace gallery {
namespace {

bool HasImage(const CModernPhoto& photo) { return photo.image.width > 0 && photo.image.height > 0; }

// The page image of photo `index` and its smaller sizes for page `from`, as a srcset by width,
// smallest first; a smaller size counts only where it lies between the one before it and the
// page image.
std::string ImageSources(const CModernPlan& plan, int from, const CModernPhoto& photo,
                         int index) {
  const std::pair<ModernImageSize, CModernSize> smaller[] = {
      {ModernImageSize::kMedium, photo.medium}, {ModernImageSize::kLarge, photo.large}};
  std::string sources;
  int below = 0;
  for (const auto& [kind, size] : smaller) {
    if (size.width <= below || size.width >= photo.image.width) continue;
    sources += plan.Link(from, plan.Image(index, kind).path) + " " + std::to_string(size.width) +
               "w, ";
    below = size.width;
  }
  return sources + plan.Link(from, plan.Image(index, ModernImageSize::kPage).path) + " " +
         std::to_string(photo.image.width) + "w";
}

// A link to a neighbouring photo page, or at either end of the album a placeholder of the same
// size, so the other links keep their place and no link leads nowhere. The next photo's
// sources ride along, so that the script can load the image the browser will pick there.
std::string RenderStep(const CModernGallery& gallery, const CModernPlan& plan, int from,
                       const char* rel, std::string_view label, int neighbour) {
  if (neighbour < 0) {
    return "<span class=\"none\" aria-hidden=\"true\">" + std::string(label) + "</span>\n";
  }
  std::string link = std::string("<a rel=\"") + rel + "\" href=\"" +
                     plan.Link(from, plan.pages[neighbour].path) + "\"";
  const int photo = plan.pages[neighbour].photos.front();
  if (std::string_view(rel) == "next" && HasImage(gallery.photos[photo])) {
    link += " data-preload=\"" + ImageSources(plan, from, gallery.photos[photo], photo) +
            "\" data-sizes=\"" + ModernPhotoSizes(gallery.photos[photo].image) + "\"";
  }
  return link + ">" + std::string(label) + "</a>\n";
}

// The player of video `index`: its poster frame, where one was made, and its file; no autoplay,
// and only its length and first frame are fetched before it is played. A browser that plays
// no video offers the file instead.
std::string RenderVideo(const CModernPlan& plan, int from, const CModernPhoto& video, int index,
                        const std::string& label, const CPageWords& words) {
  const std::string file = plan.Link(from, "videos/" + video.video_file);
  std::string html = "<video controls preload=\"metadata\" playsinline";
  if (HasImage(video)) {
    html += " poster=\"" + plan.Link(from, plan.Image(index, ModernImageSize::kPage).path) +
            "\" width=\"" + std::to_string(video.image.width) + "\" height=\"" +
            std::to_string(video.image.height) + "\"";
  }
  html += " aria-label=\"" + EscapeHtmlText(label) + "\">\n<source src=\"" + file + "\" type=\"" +
          video.video_type + "\">\n<a href=\"" + file + "\" download>" +
          std::string(words.download_video) + "</a>\n</video>\n";
  const std::string length = FormatVideoLength(video.video_seconds);
  if (!length.empty()) {
    html += "<p class=\"length\">" + std::string(words.duration) + ": <time datetime=\"" +
            VideoLengthDatetime(video.video_seconds) + "\">" + length + "</time></p>\n";
  }
  return html;
}

}  // namespace

std::string RenderModernPhotoPageOf(const CModernGallery& gallery, const CModernPlan& plan,
                                    int page) {
  const CModernPlannedPage& here = plan.pages[page];
  const CModernPlannedAlbum& album = plan.albums[here.album];
  const int photo = here.photos.front();
  const CModernPhoto& shown = gallery.photos[photo];
  // Counted within its album, as the album's index pages show it.
  const std::string label =
      PlainTextOr(shown.title_html,
                  UntitledPhotoLabel(gallery.language, here.number, album.own_count));
  const std::string position = NumberOfCount(gallery.language, here.number + 1, album.own_count);

  const CPageWords& words = WordsOf(gallery.language);
  CPageFrame frame = StartModernFrame(plan, page);
  const std::string album_title =
      here.album == 0 ? TextOr(gallery.title, "") : ModernAlbumTitle(gallery, plan, here.album);
  frame.title = album_title.empty() ? label : label + " \u2013 " + album_title;
  frame.description = TextOr(gallery.description, frame.title);
  frame.body_class = "photo";
  frame.swipe = true;
  std::string html = RenderPageStart(gallery, frame);

  html += "<header class=\"bar\">\n" + RenderModernTrail(gallery, plan, page, label) +
          "<nav class=\"steps\" aria-label=\"" + std::string(words.photos) + "\">\n";
  html += RenderStep(gallery, plan, page, "prev", words.previous, here.previous);
  html += "<a href=\"" + plan.Link(page, plan.pages[here.up].path) + "\" data-up>" + std::string(words.index) + "</a>\n";
  html += RenderStep(gallery, plan, page, "next", words.next, here.next);
  html += "</nav>\n<p class=\"count\">" + position + "</p>\n<h1>";
  html += PlainTextFromHtml(shown.title_html).empty() ? EscapeHtmlText(label) : shown.title_html;
  html += "</h1>\n</header>\n<main>\n<figure class=\"view\">\n";
  const std::string alt = EscapeHtmlText(label);
  if (!shown.video_file.empty()) {
    html += RenderVideo(plan, page, shown, photo, label, words);
  } else if (HasImage(shown)) {
    html += "<img src=\"" + plan.Link(page, plan.Image(photo, ModernImageSize::kPage).path) +
            "\" srcset=\"" + ImageSources(plan, page, shown, photo) + "\" sizes=\"" +
            ModernPhotoSizes(shown.image) + "\" width=\"" +
            std::to_string(shown.image.width) + "\" height=\"" +
            std::to_string(shown.image.height) + "\" alt=\"" + alt + "\" fetchpriority=\"high\">\n";
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
    html += "<p class=\"download\"><a href=\"" +
            EscapeHtmlText(plan.Link(page, "originals/" + shown.original)) +
            "\" download" +
            (shown.original_download.empty()
                 ? std::string()
                 : "=\"" + EscapeHtmlText(shown.original_download) + "\"") +
            ">" + std::string(words.download) + "</a></p>\n";
  }
  html += "</main>\n";
  html += PageEnd();
  return html;
}

}  // namespace gallery
