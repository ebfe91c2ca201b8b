#ifndef GALLERY_HTML_INDEX_PAGE_H_
#define GALLERY_HTML_INDEX_PAGE_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace gallery {
struct CPageLinks;
struct CPageState;
struct CPhotoResult;
struct CStyleSettings;

// A thumbnail's title as shown under it. With a positive `limit` and a title of more characters
// (UTF-8 code points) than that: type 0 keeps the first `limit` - 3 characters and adds "...";
// type 1 breaks the title with "<br>" into pieces of `limit` characters; any other type keeps the
// title whole. A character is never split.
std::string ShortenTitle(std::string_view title, int limit, int type);

// The bytes of an index page, lines ended by CR LF, showing the photos from
// `first` up to (not including) `end` in a table of thumbnails; positions outside the photos
// give empty cells. Nothing when the page would pass kMaxPageBytes, found out in time and memory
// bounded by that size whatever the table's figures. Links are relative to the gallery root.
// `state` is what earlier pages left; the page sets the photo page values in it and, for framed
// thumbnails, the working numbers (it may raise `table_width`), even when the page is too large.
// Its links to other files of the gallery are `links`, those of the photos from `first` on.
// Touches no file.
std::optional<std::string> RenderIndexPage(const CStyleSettings& style,
                                           std::span<const CPhotoResult> photos, int first, int end,
                                           const CPageLinks& links, CPageState& state);
// The same with the links of `PageLinksByNumber` for page `page` of `page_count`.
std::optional<std::string> RenderIndexPage(const CStyleSettings& style,
                                           std::span<const CPhotoResult> photos, int first, int end,
                                           int page, int page_count, CPageState& state);

// `RenderIndexPage` with `links` written to `path`. `state` becomes what the page left only
// when the page was written; a page too large to make (kOther) or that cannot be written leaves
// it as it was. kNone when written.
WriteFailure WriteIndexPage(const std::string& path, const CStyleSettings& style,
                            std::span<const CPhotoResult> photos, int first, int end,
                            const CPageLinks& links, CPageState& state);

}  // namespace gallery

#endif  // GALLERY_HTML_INDEX_PAGE_H_
