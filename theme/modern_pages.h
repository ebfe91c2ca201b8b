#ifndef GALLERY_THEME_MODERN_PAGES_H_
#define GALLERY_THEME_MODERN_PAGES_H_

#include <string>
#include <string_view>

#include "theme/modern_plan.h"
#include "theme/page_words.h"

namespace gallery {
struct CModernGallery;
struct CModernPlan;

// The pages of a modern gallery, as UTF-8 text with LF line ends. Every link is relative to the
// gallery's folder and names a file listed beside CModernGallery; nothing is loaded from the
// network, and the pages work without their script. Touches no file.

// Page `page` of `plan` (an index page or a photo page, as its kind says), showing what
// `gallery` holds of the plan's photos; empty when out of range. Every link is relative to the
// page, wherever it lies.
std::string RenderModernPage(const CModernGallery& gallery, const CModernPlan& plan, int page);

// The same for a gallery without albums, from its photos alone.
// Number of index pages for the gallery: at least 1, also for no photos.
int ModernIndexPageCount(const CModernGallery& gallery);
// "index.html" for page 0, "index-2.html" for page 1, ...
std::string ModernIndexFileName(int page);
// What names photo `photo` (0-based) of `count` where its title shows nothing, as in its
// heading, the page's title and the alt text of its images: "Photo 3 of 14" in `language`.
// Plain text.
std::string UntitledPhotoLabel(PageLanguage language, int photo, int count);
// The index page (0-based) that holds photo `photo`; photos out of range give the nearest page.
int ModernIndexPageOf(const CModernGallery& gallery, int photo);

// Index page `page` (0-based) and the page of photo `photo` (0-based); empty when out of range.
std::string RenderModernIndexPage(const CModernGallery& gallery, int page);
std::string RenderModernPhotoPage(const CModernGallery& gallery, int photo);

// A video's length of `seconds` as a clock shows it: "0:05", "1:23", "1:02:03"; empty when
// negative (unknown).
std::string FormatVideoLength(int seconds);
// The same as an HTML duration for a `datetime` attribute: "PT83S".
std::string VideoLengthDatetime(int seconds);

// The fixed assets, written to assets/gallery.css and assets/gallery.js, and in a gallery with
// albums assets/albums.css.
std::string_view ModernStylesheet();
std::string_view ModernScript();
std::string_view ModernAlbumStylesheet();

}  // namespace gallery

#endif  // GALLERY_THEME_MODERN_PAGES_H_
