#ifndef GALLERY_THEME_MODERN_PAGE_PARTS_H_
#define GALLERY_THEME_MODERN_PAGE_PARTS_H_

#include <string>
#include <string_view>

#include "theme/page_frame.h"

namespace gallery {
struct CModernGallery;
struct CModernPlan;

// What the index pages and the photo pages of a modern gallery share.

// The title album `album` of `plan` shows, plain text: the gallery's own for the root.
std::string ModernAlbumTitle(const CModernGallery& gallery, const CModernPlan& plan, int album);

// The frame of page `page` with the addresses of the assets from it, and in a gallery with
// albums the stylesheet of their pages.
CPageFrame StartModernFrame(const CModernPlan& plan, int page);

// In a gallery with albums, the way from the gallery down to page `page`: the title of each
// album it lies in, outermost first, each linking to that album's index page; the last one, or
// `current` (plain text) after them when given, is the page itself and no link. Empty in a
// gallery without albums.
std::string RenderModernTrail(const CModernGallery& gallery, const CModernPlan& plan, int page,
                              std::string_view current);

// The photo page `page` of `plan`.
std::string RenderModernPhotoPageOf(const CModernGallery& gallery, const CModernPlan& plan,
                                    int page);

}  // namespace gallery

#endif  // GALLERY_THEME_MODERN_PAGE_PARTS_H_
