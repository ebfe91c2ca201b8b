#ifndef GALLERY_THEME_MODERN_PAGES_H_
#define GALLERY_THEME_MODERN_PAGES_H_

#include <string>
#include <string_view>

#include "theme/modern_model.h"

namespace gallery {

int ModernIndexPageCount(const CModernGallery& gallery);  // at least 1
std::string ModernIndexFileName(int page);                // "index.html", "index-2.html", ...
std::string ModernPhotoFileName(int photo);               // "photo-1.html" for photo 0, ...
int ModernIndexPageOf(const CModernGallery& gallery, int photo);
std::string RenderModernIndexPage(const CModernGallery& gallery, int page);
std::string RenderModernPhotoPage(const CModernGallery& gallery, int photo);
std::string_view ModernStylesheet();  // written to assets/gallery.css
std::string_view ModernScript();      // written to assets/gallery.js

}  // namespace gallery

#endif  // GALLERY_THEME_MODERN_PAGES_H_
