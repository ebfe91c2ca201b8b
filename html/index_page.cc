#include "html/index_page.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "collection/output_layout.h"
#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "collection/thumb_style.h"
#include "html/page_values.h"
#include "html/page_writer.h"
#include "html/templates.h"
#include "platform/file_system.h"

namespace gallery {
namespace {

// Each character begins at a byte that is not a UTF-8 continuation byte (10xxxxxx). A stray
// continuation byte at the very start counts as a character of its own.
bool StartsCharacter(std::string_view text, size_t byte) {
  return byte == 0 || (static_cast<unsigned char>(text[byte]) & 0xC0) != 0x80;
}

template <typename Lines>
void AppendCellLines(std::string& text, const Lines& lines) {
  for (std::string_view line : lines) {
    text += line;
    text += '\n';
  }
}

// The frame table round the thumbnail of `photo`, with the image cell inside it, filled in
// except for the title; nothing when filling it in would pass the page size.
std::optional<std::string> FramedCell(const CStyleSettings& style, const CPhotoResult& photo,
                                      int photo_count, CPageState& state) {
  const int border = style.thumb_border_size;
  // The cell must hold the frame round the widest thumbnail seen so far, and once widened it
  // stays so for the rest of the gallery, keeping every page's columns alike.
  const int64_t framed_width = int64_t{state.thumb_width} + 2 * int64_t{border};
  if (state.table_width < framed_width) state.table_width = ClampToInt(framed_width);
  state.thumb_width = photo.thumbnail_width;
  state.thumb_height = photo.thumbnail_height;

  std::string cell(1, '\n');
  if (!DecodeThumbStyle(style.thumb_style).sixteen_pieces) {
    AppendCellLines(cell, kThumbFrame8Head);
    cell += kThumbFramedImageCell;
    AppendCellLines(cell, kThumbFrame8Tail);
    FormatPageValues(style, photo_count, state);
    return cell;
  }

  // The end pieces shrink for thumbnails under three borders wide or high, so that the edges
  // between them keep a third of the thumbnail at least.
  const int width = state.thumb_width;
  const int height = state.thumb_height;
  const int regulation = std::min({border, width / 3, height / 3});
  state.border_size_regulation = regulation;
  state.thumb_width = ClampToInt(int64_t{width} - 2 * int64_t{regulation});
  state.thumb_height = ClampToInt(int64_t{height} - 2 * int64_t{regulation});
  AppendCellLines(cell, kThumbFrame16Part1);
  AppendCellLines(cell, kThumbFrame16Part2);
  cell += kThumbFramedImageCell;
  AppendCellLines(cell, kThumbFrame16Part3);
  AppendCellLines(cell, kThumbFrame16Part4);
  FormatPageValues(style, photo_count, state);
  // Filled in now, while the title value is still empty: this frame's image has no
  // alternative text.
  const bool filled = ReplacePlaceholders(style, state.values, cell);
  state.thumb_width = width;
  state.thumb_height = height;
  FormatPageValues(style, photo_count, state);
  if (!filled) return std::nullopt;
  return cell;
}

// The photo values every cell sets, empty or not. A cell past the photos of the page links no
// file of the gallery, but its values are still there for a later placeholder to show.
void SetCellValues(CPageValues& values, const CPageLinks& links, int64_t index, int first) {
  values.photo_index = std::to_string(index + 1);
  values.photo_number = std::to_string(index);
  const int64_t shown = index - first;
  if (shown >= 0 && static_cast<uint64_t>(shown) < links.thumbnails.size() &&
      static_cast<uint64_t>(shown) < links.photo_pages.size()) {
    values.photo_path = links.thumbnails[static_cast<size_t>(shown)];
    values.photo_page = links.photo_pages[static_cast<size_t>(shown)];
  } else {
    values.photo_path = ThumbnailLink(index);
    values.photo_page = PhotoPageLink(index);
  }
  values.photo_title.clear();
}

void WriteCell(CPageText& page, const CStyleSettings& style, std::span<const CPhotoResult> photos,
               const CPageLinks& links, int64_t index, int first, int end, CPageState& state) {
  CPageValues& values = state.values;
  SetCellValues(values, links, index, first);
  const int64_t photo_count = static_cast<int64_t>(photos.size());
  if (index < 0 || index >= photo_count || index < first || index >= end) {
    page.Append(kThumbEmptyCell);
    page.Append("\n");
    return;
  }
  const CPhotoResult& photo = photos[static_cast<size_t>(index)];
  std::optional<std::string> cell =
      style.thumb_border_size == 0 ? std::string(kThumbPlainCell)
                                   : FramedCell(style, photo, static_cast<int>(photo_count), state);
  values.photo_title = ShortenTitle(photo.title, style.text_limit, style.text_limit_type);
  if (!cell) {
    page.SetTooLarge();
    return;
  }
  *cell += kThumbTitlePiece;
  if (!ReplacePlaceholders(style, values, *cell)) {
    page.SetTooLarge();
    return;
  }
  WritePageLine(page, *cell);
  page.Append("\n");
}

void WriteThumbnailTable(CPageText& page, const CStyleSettings& style,
                         std::span<const CPhotoResult> photos, const CPageLinks& links, int first,
                         int end, CPageState& state) {
  const int64_t photo_count = static_cast<int64_t>(photos.size());
  if (style.table_rows <= 0) return;
  const std::string row_start = std::string(kThumbRowStart) + '\n';
  const std::string row_end = std::string(kThumbRowEnd) + '\n';
  if (style.table_columns <= 0) {
    // Rows without cells are all alike, and they go on to the last row unless the page shows no
    // photo at all; so many of them are written in one go.
    page.AppendRepeated(row_start + row_end, first >= photo_count ? 1 : style.table_rows);
    return;
  }
  int64_t index = first;
  for (int row = 0; row < style.table_rows && !page.too_large(); ++row) {
    page.Append(row_start);
    // Every column gets a cell, so the last row is padded with empty ones. Once past the photos
    // of the page, the rest of the row is empty cells, alike but for the photo values, which
    // end as the last cell leaves them; so a row of billions costs no more than its text.
    for (int column = 0; column < style.table_columns && !page.too_large(); ++column) {
      if (index >= photo_count || index >= end) {
        const int64_t empty_cells = style.table_columns - column;
        page.AppendRepeated(std::string(kThumbEmptyCell) + '\n', empty_cells);
        index += empty_cells;
        SetCellValues(state.values, links, index - 1, first);
        break;
      }
      WriteCell(page, style, photos, links, index, first, end, state);
      ++index;
    }
    page.Append(row_end);
    if (index >= photo_count) break;
  }
}

}  // namespace

std::string ShortenTitle(std::string_view title, int limit, int type) {
  if (limit <= 0 || (type != 0 && type != 1)) return std::string(title);
  size_t characters = 0;
  for (size_t byte = 0; byte < title.size(); ++byte) characters += StartsCharacter(title, byte);
  if (characters <= static_cast<size_t>(limit)) return std::string(title);

  std::string shown;
  shown.reserve(title.size() + (type == 0 ? 3 : 4 * (characters / limit)));
  size_t position = 0;  // in characters
  for (size_t byte = 0; byte < title.size(); ++byte) {
    if (StartsCharacter(title, byte)) {
      if (type == 0 && position + 3 >= static_cast<size_t>(limit)) break;
      if (type == 1 && position > 0 && position % limit == 0) shown += "<br>";
      ++position;
    }
    shown += title[byte];
  }
  if (type == 0) shown += "...";
  return shown;
}

std::optional<std::string> RenderIndexPage(const CStyleSettings& style,
                                           std::span<const CPhotoResult> photos, int first, int end,
                                           int page_number, int page_count, CPageState& state) {
  const int shown_end = static_cast<int>(std::min<int64_t>(end, std::ssize(photos)));
  return RenderIndexPage(
      style, photos, first, end,
      PageLinksByNumber(kIndexPageKind, page_number, page_count, first, shown_end), state);
}

std::optional<std::string> RenderIndexPage(const CStyleSettings& style,
                                           std::span<const CPhotoResult> photos, int first, int end,
                                           const CPageLinks& links, CPageState& state) {
  CPageText page;
  for (std::string_view line : kIndexPageTemplate) {
    // Unlike photo pages, index pages fill in values before looking for line placeholders, so an
    // escaped collection title that spells one ("%TableContent%" becomes "%%TableContent%%") is
    // taken for it.
    std::string text(line);
    text += '\n';
    if (!ReplacePlaceholders(style, state.values, text)) return std::nullopt;
    if (text.find("%%TableContent%%") != std::string::npos) {
      WriteThumbnailTable(page, style, photos, links, first, end, state);
    } else if (text.find("%%Navigation%%") != std::string::npos) {
      WriteNavigationBar(page, kIndexPageKind, links.navigation);
    } else if (!WriteHeaderLine(page, style, state.values, text)) {
      WritePageLine(page, text);
    }
    if (page.too_large()) return std::nullopt;
  }
  return page.TakeFileBytes();
}

WriteFailure WriteIndexPage(const std::string& path, const CStyleSettings& style,
                            std::span<const CPhotoResult> photos, int first, int end,
                            const CPageLinks& links, CPageState& state) {
  CPageState next = state;
  std::optional<std::string> bytes = RenderIndexPage(style, photos, first, end, links, next);
  // A page that cannot be made (past the largest page) is a file not written like any other.
  const WriteFailure written = bytes ? TryWriteFileBytes(path, *bytes) : WriteFailure::kOther;
  if (written == WriteFailure::kNone) state = std::move(next);
  return written;
}

}  // namespace gallery
