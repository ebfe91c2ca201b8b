#ifndef GALLERY_THEME_MODERN_MODEL_H_
#define GALLERY_THEME_MODERN_MODEL_H_

#include <string>
#include <vector>

#include "theme/page_words.h"

namespace gallery {

// What the modern pages show, gathered by the front end once the images are made. The pages
// are written from this alone: nothing here touches the disk.
//
// The files of a modern gallery, relative to its folder:
//   index.html, index-2.html, index-3.html ...   the index pages, `photos_per_page` photos each
//   album-1.html, album-1-2.html ...              the index pages of each album (see
//                                                 theme/modern_plan.h), its albums' cards first
//   photo-1.html, photo-2.html ...                one page per photo, numbered from 1
//   images/1.jpg ...                              page images
//   medium/1.jpg, large/1.jpg ...                 page images for smaller screens, 1024 and
//                                                 1536 pixels long where the page image is longer
//   thumbs/1.jpg, thumbs2x/1.jpg ...              thumbnails at 1x and 2x
//   originals/1.<ext of the source> ...           with --originals only
//   videos/1.mp4, videos/2.webm ...               the videos, as browsers play them; their
//                                                 page images and thumbnails are poster frames
//   assets/gallery.css, assets/gallery.js         the one stylesheet and script
//   assets/albums.css                             with albums only

// A size in pixels; 0 x 0 when that image was not made.
struct CModernSize {
  int width = 0;
  int height = 0;
};

struct CModernPhoto {
  std::string title_html;  // the photo's title as the collection holds it (HTML by design)
  CModernSize image;       // images/N.jpg
  CModernSize medium;      // medium/N.jpg, smaller than `image` where both are set
  CModernSize large;       // large/N.jpg, between `medium` and `image` where set
  CModernSize thumb;       // thumbs/N.jpg; thumbs2x/N.jpg is twice as large where the image allowed
  CModernSize thumb2x;
  std::vector<std::string> caption;  // plain text lines (date taken, camera, exposure); may be empty
  std::string original;    // file name under originals/, or empty when not offered
  std::string original_download;  // the name it is saved under when downloaded; may be empty
  // A video: its file under videos/ ("3.mp4"), its media type ("video/mp4") and its length in
  // whole seconds (-1 when unknown). The images above are then those of its poster frame.
  std::string video_file;
  std::string video_type;
  int video_seconds = -1;
};

// Colours as 0xRRGGBB.
struct CModernColors {
  int background = 0xffffff;
  int text = 0x000000;
  int card = 0xf0f0f0;  // behind each thumbnail
};

// What goes round each thumbnail and the photo of a photo page, after the style's frame: nothing,
// a thin line, or a soft shadow, in `color`.
enum class ModernFrame { kNone, kLine, kShadow };

struct CModernFrameStyle {
  ModernFrame kind = ModernFrame::kNone;
  int color = 0x000000;  // 0xRRGGBB
};

struct CModernGallery {
  // The collection's texts, plain text as the collection holds them: they show as written, as
  // in the classic pages, which escape them too.
  std::string title;
  std::string description;
  std::string font_name;  // the style's list of fonts, as in CSS; may be empty
  CModernColors colors;
  CModernFrameStyle frame;
  int photos_per_page = 0;       // see ModernPhotosPerPage; 0 or less: all on one page
  PageLanguage language = PageLanguage::kEnglish;  // of the pages' words and dates
  std::vector<CModernPhoto> photos;
};

}  // namespace gallery

#endif  // GALLERY_THEME_MODERN_MODEL_H_
