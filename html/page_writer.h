#ifndef GALLERY_HTML_PAGE_WRITER_H_
#define GALLERY_HTML_PAGE_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gallery {
struct CPageValues;
struct CStyleSettings;

// A page as it is built: a text with bare line feeds whose file, with every line feed stored as
// CR LF, stays within kMaxPageBytes. An append that would pass that makes the page too large:
// it takes nothing more from then on, and it has no file.
class CPageText {
 public:
  void Append(std::string_view text);
  // Appends `text` `count` times over (none when `count` is 0 or less).
  void AppendRepeated(std::string_view text, int64_t count);
  // For a text made for this page that did not fit in kMaxPageBytes itself.
  void SetTooLarge() { too_large_ = true; }
  bool too_large() const { return too_large_; }
  // The text so far, line feeds bare.
  const std::string& text() const { return text_; }
  // The bytes of the page file, or nothing when the page is too large. Empties the page.
  std::optional<std::string> TakeFileBytes();

 private:
  // Room for `size` more bytes of text, never more than the page may hold, so that a page near
  // the limit does not double its buffer past it.
  void Reserve(size_t size);

  std::string text_;
  size_t file_size_ = 0;
  bool too_large_ = false;
};

// Appends a finished text (which carries its own line feeds) the way a printf-style format
// without arguments would come out: each "%%" as one "%", any other "%" unchanged.
void WritePageLine(CPageText& page, std::string_view text);

// The header rule. When `line` names a header ("%%HeaderCollectionTitle%%",
// "%%HeaderCollectionDescription%%" or "%%HeaderPhotoTitle%%", looked for in that order), appends
// that header filled in and a line feed, or nothing at all when the text it shows (collection
// title, collection description, photo title value) is empty, and returns true. Returns false,
// appending nothing, for any other line. A header too large for a page makes the page too large.
bool WriteHeaderLine(CPageText& page, const CStyleSettings& style, const CPageValues& values,
                     std::string_view line);

// Appends the seven lines of the navigation bar: First, Previous, `middle_cell`, Next and Last.
// `kind` is the page kind of `GetPageFileName`; `current` and `count` number the
// pages of that kind; the button images are taken from `image_folder`. A button whose page does
// not exist is an empty cell. `middle_cell` is written as it is.
void WriteNavigationBar(CPageText& page, int kind, int current, int count,
                        std::string_view image_folder, std::string_view middle_cell);

// The middle cell of the index pages' bar: the Home button.
std::string HomeCell();

// `page` with every line feed stored as CR LF.
std::string ToCrLf(std::string_view page);

}  // namespace gallery

#endif  // GALLERY_HTML_PAGE_WRITER_H_
