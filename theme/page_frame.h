#ifndef GALLERY_THEME_PAGE_FRAME_H_
#define GALLERY_THEME_PAGE_FRAME_H_

#include <string>
#include <string_view>

namespace gallery {
struct CModernGallery;

// What differs in the head and body tag of the two kinds of modern page.
struct CPageFrame {
  std::string title;        // plain text, escaped here
  std::string description;  // plain text, escaped here
  std::string head_links;   // more <link> lines, ready HTML
  // The addresses of the stylesheet and the script from the page.
  std::string stylesheet = "assets/gallery.css";
  std::string script = "assets/gallery.js";
  std::string_view body_class;
  bool swipe = false;  // whether the script turns swipes into previous / next
};

// Everything of a page up to and including its <body> tag: the document type, language,
// character set, viewport, title, description, an empty icon (so the browser asks for none),
// the stylesheet, the deferred script and the gallery's colours and font. The body's class is
// `body_class`, with "frame-line" or "frame-shadow" after it when photos have that frame.
std::string RenderPageStart(const CModernGallery& gallery, const CPageFrame& frame);
// The end of a page after the content of its body.
std::string_view PageEnd();

// The text of `html` for <title>, alt and the like, or `fallback` when it shows nothing.
std::string PlainTextOr(std::string_view html, std::string_view fallback);
// `text` with its runs of white space made one space and none at either end, or `fallback`
// when that leaves nothing. Text in, text out: escape it before it goes into a page.
std::string TextOr(std::string_view text, std::string_view fallback);

}  // namespace gallery

#endif  // GALLERY_THEME_PAGE_FRAME_H_
