#ifndef GALLERY_HTML_PAGE_WRITER_H_
#define GALLERY_HTML_PAGE_WRITER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Where the navigation bar of a page leads, each link relative to the page's folder. A page
// link is empty where there is no such page: its button is then an empty cell.
struct CNavigationLinks {
  std::string first;
  std::string previous;
  std::string next;
  std::string last;
  // The Index button of a photo page; an index page's middle button leads Home instead.
  std::string index;
  std::array<std::string, 5> buttons;  // the image of each button, by kNavigationButtonKinds
};

// Every link a page makes to another file of the gallery, relative to the page's folder.
struct CPageLinks {
  CNavigationLinks navigation;
  // An index page: the thumbnail and the page of each photo it shows, in order.
  std::vector<std::string> thumbnails;
  std::vector<std::string> photo_pages;
  std::string page_image;  // a photo page: its photo's page image
};

// The links of page `current` of `count` of a kind (that of `GetPageFileName`), made from the
// names of collection/output_layout.h alone, for pages written without a gallery's plan; an
// index page shows the photos from `first` up to `end`. Targets outside the pages get no link.
CPageLinks PageLinksByNumber(int kind, int current, int count, int first = 0, int end = 0);

// Appends the seven lines of the navigation bar: First, Previous, the middle button, Next and
// Last. The middle button is Index (to `links.index`) on a photo page and Home (to the Home
// address) on an index page, as `kind` says.
void WriteNavigationBar(CPageText& page, int kind, const CNavigationLinks& links);

// The middle cell of the index pages' bar: the Home button, showing `button_image`.
std::string HomeCell(std::string_view button_image);

// `page` with every line feed stored as CR LF.
std::string ToCrLf(std::string_view page);

}  // namespace gallery

#endif  // GALLERY_HTML_PAGE_WRITER_H_
