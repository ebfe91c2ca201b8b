#ifndef GALLERY_HTML_PAGE_WRITER_H_
#define GALLERY_HTML_PAGE_WRITER_H_

#include <string>
#include <string_view>

namespace gallery {
struct CStyleSettings;

// Pages are built as texts with bare line feeds; `ToCrLf` turns them into the bytes of the file.

// Appends a finished text (which carries its own line feeds) the way a printf-style format
// without arguments would come out: each "%%" as one "%", any other "%" unchanged.
void WritePageLine(std::string& page, std::string_view text);

// The header rule. When `line` names a header ("%%HeaderCollectionTitle%%",
// "%%HeaderCollectionDescription%%" or "%%HeaderPhotoTitle%%", looked for in that order), appends
// that header filled in and a line feed, or nothing at all when the text it shows (collection
// title, collection description, photo title value) is empty, and returns true. Returns false,
// appending nothing, for any other line.
bool WriteHeaderLine(std::string& page, const CStyleSettings& style, std::string_view line);

// Appends the seven lines of the navigation bar: First, Previous, `middle_cell`, Next and Last.
// `kind` is the page kind of `CGalleryBuilder::GetPageFileName`; `current` and `count` number the
// pages of that kind; the button images are taken from `image_folder`. A button whose page does
// not exist is an empty cell. `middle_cell` is written as it is.
void WriteNavigationBar(std::string& page, int kind, int current, int count,
                        std::string_view image_folder, std::string_view middle_cell);

// The middle cell of the index pages' bar: the Home button.
std::string HomeCell();

// `page` with every line feed stored as CR LF.
std::string ToCrLf(std::string_view page);

}  // namespace gallery

#endif  // GALLERY_HTML_PAGE_WRITER_H_
