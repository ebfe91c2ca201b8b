#ifndef GALLERY_THEME_MODERN_LAYOUT_H_
#define GALLERY_THEME_MODERN_LAYOUT_H_

#include <string>

#include "theme/modern_model.h"

namespace gallery {

// The numbers by which the modern pages lay photos out, and the texts that tell a browser
// which image of a photo to fetch. They agree with gallery.css: index pages show thumbnails in
// rows of one height, each as wide as its shape asks, the rows filling the width of the page
// (all but the last row of the last page); the photo of a photo page fits the window.

// The fewest photos an index page holds, so that it fills several screens of a wide window.
inline constexpr int kModernMinPhotosPerPage = 60;
// The height of a 1x thumbnail in pixels (the 2x one is twice as high): the tallest a row of
// the index pages grows to on a wide screen, where they start at 200 CSS pixels.
inline constexpr int kModernThumbHeight = 240;
// A thumbnail is never wider than this many times its height (a panorama is made lower).
inline constexpr int kModernThumbWidestShape = 4;

// The photos (and album cards) of an index page, from the style's table of `columns` x `rows`:
// the smallest multiple of it that is kModernMinPhotosPerPage or more; 0 (all on one page) when
// either is 0 or less.
int ModernPhotosPerPage(int columns, int rows);

// The shape a thumbnail of size `thumb` takes in its row: its width over its height, held
// between 1/2 and 4 (a thumbnail beyond is cropped to it), as a short decimal for CSS ("1.5",
// "0.667"); that of a 3:2 photo where the size is not known. The cell's share of its row grows
// with it, so that every cell of a row has the height of the others.
std::string ModernThumbShape(CModernSize thumb);

// The `sizes` of the thumbnail of size `thumb` (at 1x) on an index page: the width its cell
// shows at, from its shape, on a window up to 800 CSS pixels wide (where rows are a quarter of
// the window's width high) and wider (where the 1x thumbnail is as large as it shows).
std::string ModernThumbSizes(CModernSize thumb);

// The `sizes` of the page image of size `image` on a photo page: the width at which the photo
// shows when it fits the window below the page's header, limited by the window's height where
// the window is wider in shape than the photo, else by its width. Never below the shown width,
// so that the image the browser picks is sharp; empty for no size.
std::string ModernPhotoSizes(CModernSize image);

}  // namespace gallery

#endif  // GALLERY_THEME_MODERN_LAYOUT_H_
