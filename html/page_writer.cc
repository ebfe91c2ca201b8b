#include "html/page_writer.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "collection/output_layout.h"
#include "collection/style_settings.h"
#include "html/page_values.h"
#include "html/templates.h"

namespace gallery {
namespace {

// The bytes `text` takes in the page file, each line feed stored as CR LF.
size_t FileSize(std::string_view text) {
  return text.size() + static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Every navigation cell is as wide as a button image.
constexpr std::string_view kNavCellWidth = "32";

// A navigation piece formatted with the cell width as its only argument. Nothing but the
// pieces' own "%d" is ever formatted, so no text of the collection reaches a format.
std::string FormatCell(std::string_view piece) {
  std::string cell(piece);
  const size_t width = cell.find("%d");
  if (width != std::string::npos) cell.replace(width, 2, kNavCellWidth);
  return cell;
}

void WriteNavigationCell(CPageText& page, std::string_view cell) {
  page.Append(kNavCellIndent);
  page.Append(cell);
  page.Append("\n");
}

// A button linking `link` with its image `image`; `tail` closes the cell after the image.
void WriteButtonCell(CPageText& page, std::string_view link, std::string_view image,
                     std::string_view tail) {
  if (link.empty()) {
    WriteNavigationCell(page, FormatCell(kNavEmptyCell));
    return;
  }
  std::string cell = FormatCell(kNavLinkCellStart);
  cell += link;
  cell += kNavLinkCellMiddle;
  cell += image;
  cell += tail;
  WriteNavigationCell(page, cell);
}

const std::string& ButtonImage(const CNavigationLinks& links, NavigationButtonKind button) {
  return links.buttons[static_cast<size_t>(
      std::find(kNavigationButtonKinds.begin(), kNavigationButtonKinds.end(), button) -
      kNavigationButtonKinds.begin())];
}

}  // namespace

void CPageText::Reserve(size_t size) {
  if (text_.capacity() - text_.size() >= size) return;
  // The string's own growth may double a request that is already near the page limit, so the
  // text moves into a fresh string reserved to exactly the capacity chosen here.
  std::string grown;
  grown.reserve(std::min(std::max(text_.size() + size, 2 * text_.capacity()), kMaxPageBytes));
  grown += text_;
  text_ = std::move(grown);
}

void CPageText::Append(std::string_view text) {
  if (too_large_) return;
  const size_t size = FileSize(text);
  if (size > kMaxPageBytes - file_size_) {
    too_large_ = true;
    return;
  }
  Reserve(text.size());
  text_ += text;
  file_size_ += size;
}

void CPageText::AppendRepeated(std::string_view text, int64_t count) {
  if (too_large_ || count <= 0 || text.empty()) return;
  const size_t size = FileSize(text);
  if (static_cast<uint64_t>(count) > (kMaxPageBytes - file_size_) / size) {
    too_large_ = true;
    return;
  }
  Reserve(text.size() * static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) text_ += text;
  file_size_ += size * static_cast<size_t>(count);
}

std::optional<std::string> CPageText::TakeFileBytes() {
  std::string text = std::move(text_);
  text_.clear();
  file_size_ = 0;
  if (too_large_) return std::nullopt;
  return ToCrLf(text);
}

void WritePageLine(CPageText& page, std::string_view text) {
  size_t done = 0;
  for (size_t percent = text.find('%'); percent != std::string_view::npos;
       percent = text.find('%', done)) {
    page.Append(text.substr(done, percent + 1 - done));
    done = percent + 1;
    if (done < text.size() && text[done] == '%') ++done;
  }
  page.Append(text.substr(done));
}

bool WriteHeaderLine(CPageText& page, const CStyleSettings& style, const CPageValues& values,
                     std::string_view line) {
  std::string_view shown;
  std::string_view piece;
  if (line.find("%%HeaderCollectionTitle%%") != std::string_view::npos) {
    shown = style.collection_title;
    piece = kCollectionTitleHeader;
  } else if (line.find("%%HeaderCollectionDescription%%") != std::string_view::npos) {
    shown = style.collection_desc;
    piece = kCollectionDescriptionHeader;
  } else if (line.find("%%HeaderPhotoTitle%%") != std::string_view::npos) {
    shown = values.photo_title;
    piece = kPhotoTitleHeader;
  } else {
    return false;
  }
  // An empty text drops the whole line rather than leaving an empty font element behind.
  if (shown.empty()) return true;
  std::string text(piece);
  if (!ReplacePlaceholders(style, values, text)) {
    page.SetTooLarge();
    return true;
  }
  WritePageLine(page, text);
  page.Append("\n");
  return true;
}

CPageLinks PageLinksByNumber(int kind, int current, int count, int first, int end) {
  // Targets outside the pages get no link; a current number at either end of the int range must
  // not overflow into a valid page.
  const int previous = current > INT_MIN ? current - 1 : -1;
  const int next = current < INT_MAX ? current + 1 : -1;
  const int last = next != -1 && next <= count - 1 ? count - 1 : next;
  const std::string_view folder = kind == kPhotoPageKind ? kPagesFolder : std::string_view();
  auto page_link = [kind, count, folder](int target) {
    const std::string name = GetPageFileName(kind, target, count);
    return name.empty() ? name : GalleryLink(folder, folder, name);
  };
  CPageLinks links;
  CNavigationLinks& navigation = links.navigation;
  navigation.first = page_link(current >= 1 ? 0 : -1);
  navigation.previous = page_link(previous);
  navigation.next = page_link(next);
  navigation.last = page_link(last);
  if (kind == kPhotoPageKind) {
    navigation.index = GalleryLink(folder, "", GetPageFileName(kIndexPageKind, 0, 1));
    links.page_image = GalleryLink(folder, kImagesFolder, GetPhotoFileName(current));
  }
  for (size_t i = 0; i < kNavigationButtonKinds.size(); ++i) {
    navigation.buttons[i] =
        GalleryLink(folder, kAdvancedFolder, GetButtonFileName(kNavigationButtonKinds[i]));
  }
  for (int64_t photo = first; photo < end; ++photo) {
    links.thumbnails.push_back(ThumbnailLink(photo));
    links.photo_pages.push_back(PhotoPageLink(photo));
  }
  return links;
}

void WriteNavigationBar(CPageText& page, int kind, const CNavigationLinks& links) {
  page.Append(kNavTableStart);
  page.Append("\n");
  WriteButtonCell(page, links.first, ButtonImage(links, NavigationButtonKind::kFirst),
                  kNavFirstTail);
  WriteButtonCell(page, links.previous, ButtonImage(links, NavigationButtonKind::kPrevious),
                  kNavPreviousTail);
  const std::string& index_image = ButtonImage(links, NavigationButtonKind::kIndex);
  if (kind == kPhotoPageKind) {
    WriteButtonCell(page, links.index, index_image, kNavIndexTail);
  } else {
    WriteNavigationCell(page, HomeCell(index_image));
  }
  WriteButtonCell(page, links.next, ButtonImage(links, NavigationButtonKind::kNext), kNavNextTail);
  WriteButtonCell(page, links.last, ButtonImage(links, NavigationButtonKind::kLast), kNavLastTail);
  page.Append(kNavTableEnd);
  page.Append("\n");
}

std::string HomeCell(std::string_view button_image) {
  std::string cell = FormatCell(kNavLinkCellStart);
  cell += kHomeAddress;
  cell += kNavLinkCellMiddle;
  cell += button_image;
  cell += kNavHomeTail;
  return cell;
}

std::string ToCrLf(std::string_view page) {
  std::string bytes;
  bytes.reserve(FileSize(page));
  size_t done = 0;
  for (size_t feed = page.find('\n'); feed != std::string_view::npos;
       feed = page.find('\n', done)) {
    bytes.append(page, done, feed - done);
    bytes += "\r\n";
    done = feed + 1;
  }
  bytes.append(page, done, std::string_view::npos);
  return bytes;
}

}  // namespace gallery
