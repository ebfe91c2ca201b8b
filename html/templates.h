#ifndef GALLERY_HTML_TEMPLATES_H_
#define GALLERY_HTML_TEMPLATES_H_

#include <array>
#include <string_view>

namespace gallery {

// The texts every page is made of, line by line, exactly as they appear in a page: blanks,
// quotes and all. A line carries no line feed of its own; the page writers add them.
// "%%Name%%" marks a value placeholder. "%%Navigation%%", "%%TableMainImage%%",
// "%%TableContent%%" and the three "%%Header...%%" names mark a line that stands for a whole
// generated block. A "%d" in a navigation piece is the cell width.

// Page skeletons.
extern const std::array<std::string_view, 18> kPhotoPageTemplate;
extern const std::array<std::string_view, 18> kIndexPageTemplate;

// Header lines, written only when the text they show is not empty.
extern const std::string_view kCollectionTitleHeader;
extern const std::string_view kCollectionDescriptionHeader;
extern const std::string_view kPhotoTitleHeader;

// Navigation bar pieces. A link cell is start + link + middle + button image + tail; the tails
// close the image's attributes after its address.
extern const std::string_view kNavTableStart;
extern const std::string_view kNavTableEnd;
extern const std::string_view kNavCellIndent;
extern const std::string_view kNavLinkCellStart;
extern const std::string_view kNavLinkCellMiddle;
extern const std::string_view kNavEmptyCell;
extern const std::string_view kNavFirstTail;
extern const std::string_view kNavPreviousTail;
extern const std::string_view kNavIndexTail;
extern const std::string_view kNavHomeTail;
extern const std::string_view kNavNextTail;
extern const std::string_view kNavLastTail;

// The absolute web address the Home button of the index pages links to, fixed when building.
extern const std::string_view kHomeAddress;

// Thumbnail table pieces. The title piece holds a line feed of its own.
extern const std::string_view kThumbRowStart;
extern const std::string_view kThumbRowEnd;
extern const std::string_view kThumbEmptyCell;
extern const std::string_view kThumbPlainCell;
extern const std::string_view kThumbFramedImageCell;
extern const std::string_view kThumbTitlePiece;

// The main image of a photo page.
extern const std::string_view kPhotoPlainImageCell;
extern const std::string_view kPhotoFramedImageCell;

// Frame tables round a photo (pieces under "../border/") and a thumbnail (under "border/").
// The image cell goes between head and tail, or between parts 2 and 3.
extern const std::array<std::string_view, 9> kPhotoFrame8Head;
extern const std::array<std::string_view, 8> kPhotoFrame8Tail;
extern const std::array<std::string_view, 15> kPhotoFrame16Part1;
extern const std::array<std::string_view, 13> kPhotoFrame16Part2;
extern const std::array<std::string_view, 12> kPhotoFrame16Part3;
extern const std::array<std::string_view, 14> kPhotoFrame16Part4;
extern const std::array<std::string_view, 9> kThumbFrame8Head;
extern const std::array<std::string_view, 8> kThumbFrame8Tail;
extern const std::array<std::string_view, 15> kThumbFrame16Part1;
extern const std::array<std::string_view, 13> kThumbFrame16Part2;
extern const std::array<std::string_view, 13> kThumbFrame16Part3;
extern const std::array<std::string_view, 14> kThumbFrame16Part4;

}  // namespace gallery

#endif  // GALLERY_HTML_TEMPLATES_H_
