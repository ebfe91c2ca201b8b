#ifndef GALLERY_HTML_PHOTO_PAGE_H_
#define GALLERY_HTML_PHOTO_PAGE_H_

#include <optional>
#include <string>

#include "platform/file_system.h"

namespace gallery {
struct CPageLinks;
struct CPageState;
struct CPhotoResult;
struct CStyleSettings;

// The bytes of the page of photo `index` of `count`, lines ended by CR LF, or nothing when the
// page would pass kMaxPageBytes. Links are relative to the pages folder. `state` is what earlier
// pages left; the page sets the photo's page values (index, number, path, title) in it and, for
// a framed photo, the image size working numbers, even when the page is too large. Its links to
// other files of the gallery are `links`. Touches no file.
std::optional<std::string> RenderPhotoPage(const CStyleSettings& style, const CPhotoResult& photo,
                                           int index, int count, const CPageLinks& links,
                                           CPageState& state);
// The same with the links of `PageLinksByNumber`.
std::optional<std::string> RenderPhotoPage(const CStyleSettings& style, const CPhotoResult& photo,
                                           int index, int count, CPageState& state);

// `RenderPhotoPage` with `links` written to `path`. `state` becomes what the page left only
// when the page was written; a page too large to make (kOther) or that cannot be written leaves
// it as it was. kNone when written.
WriteFailure WritePhotoPage(const std::string& path, const CStyleSettings& style,
                            const CPhotoResult& photo, int index, int count,
                            const CPageLinks& links, CPageState& state);

}  // namespace gallery

#endif  // GALLERY_HTML_PHOTO_PAGE_H_
