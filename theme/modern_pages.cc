#include "theme/modern_pages.h"

// Minimal pages.

namespace gallery {

int ModernIndexPageCount(const CModernGallery& gallery) {
  const int count = static_cast<int>(gallery.photos.size());
  if (gallery.photos_per_page <= 0 || count == 0) return 1;
  return (count + gallery.photos_per_page - 1) / gallery.photos_per_page;
}

std::string ModernIndexFileName(int page) {
  return page == 0 ? "index.html" : "index-" + std::to_string(page + 1) + ".html";
}

std::string ModernPhotoFileName(int photo) {
  return "photo-" + std::to_string(photo + 1) + ".html";
}

int ModernIndexPageOf(const CModernGallery& gallery, int photo) {
  return gallery.photos_per_page <= 0 ? 0 : photo / gallery.photos_per_page;
}

std::string RenderModernIndexPage(const CModernGallery& gallery, int page) {
  std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
                     gallery.title_html +
                     "</title><link rel=\"stylesheet\" href=\"assets/gallery.css\"></head><body>";
  const int count = static_cast<int>(gallery.photos.size());
  for (int i = 0; i < count; ++i) {
    if (ModernIndexPageOf(gallery, i) != page) continue;
    const CModernPhoto& photo = gallery.photos[i];
    html += "<a href=\"" + ModernPhotoFileName(i) + "\">";
    if (photo.thumb.width > 0) {
      const std::string n = std::to_string(i + 1);
      html += "<img src=\"thumbs/" + n + ".jpg\" srcset=\"thumbs2x/" + n + ".jpg 2x\">";
    }
    html += photo.title_html + "</a>";
  }
  for (int p = 0; p < ModernIndexPageCount(gallery); ++p) {
    html += "<a href=\"" + ModernIndexFileName(p) + "\">" + std::to_string(p + 1) + "</a>";
  }
  return html + "<script src=\"assets/gallery.js\"></script></body></html>\n";
}

std::string RenderModernPhotoPage(const CModernGallery& gallery, int photo) {
  const CModernPhoto& shown = gallery.photos[photo];
  std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
                     shown.title_html +
                     "</title><link rel=\"stylesheet\" href=\"assets/gallery.css\"></head><body>";
  html += "<a href=\"" + ModernIndexFileName(ModernIndexPageOf(gallery, photo)) + "\">index</a>";
  if (photo > 0) html += "<a href=\"" + ModernPhotoFileName(photo - 1) + "\">previous</a>";
  if (photo + 1 < static_cast<int>(gallery.photos.size())) {
    html += "<a href=\"" + ModernPhotoFileName(photo + 1) + "\">next</a>";
  }
  if (shown.image.width > 0) {
    html += "<img src=\"images/" + std::to_string(photo + 1) + ".jpg\">";
  }
  for (const std::string& line : shown.caption) html += "<p>" + line + "</p>";
  if (!shown.original.empty()) html += "<a href=\"originals/" + shown.original + "\">original</a>";
  return html + "<h1>" + shown.title_html + "</h1></body></html>\n";
}

std::string_view ModernStylesheet() { return "body { margin: 0; }\n"; }

std::string_view ModernScript() { return "\"use strict\";\n"; }

}  // namespace gallery
