#ifndef GALLERY_HTML_PHOTO_PAGE_H_
#define GALLERY_HTML_PHOTO_PAGE_H_

#include <optional>
#include <string>

namespace gallery {
struct CPhotoEntry;
struct CStyleSettings;

// Is the frame round photos and thumbnails of this style made of sixteen pieces (rather than
// eight)?
bool IsSixteenPieceFrame(int thumb_style);

// The bytes of the page of photo `index` of `count`, lines ended by CR LF, or nothing when the
// page would pass kMaxPageBytes. Links are relative to the pages folder. Sets the photo's page
// values (index, number, path, title) and, for a framed photo, the image size working numbers in
// `style`; they stay there for the pages that follow, even when the page is too large.
// Touches no file.
std::optional<std::string> RenderPhotoPage(CStyleSettings& style, const CPhotoEntry& photo,
                                           int index, int count);

}  // namespace gallery

#endif  // GALLERY_HTML_PHOTO_PAGE_H_
