#include "html/photo_page.h"

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

template <typename Lines>
void AppendFrameLines(std::string& text, const Lines& lines) {
  for (std::string_view line : lines) {
    text += line;
    text += '\n';
  }
}

// The photo itself: a bare image cell, or the image cell inside a table of frame pieces that
// fits round the page image exactly. A framed photo has an empty line before and after it.
void WriteMainImage(CPageText& page, const CStyleSettings& style, const CPhotoResult& photo,
                    int count, CPageState& state) {
  const int border = style.thumb_border_size;
  std::string block;
  if (border == 0) {
    block = kPhotoPlainImageCell;
  } else {
    state.image_width = photo.image_width;
    state.image_height = photo.image_height;
    block = '\n';
    if (DecodeThumbStyle(style.thumb_style).sixteen_pieces) {
      // The end pieces beside each edge take a border's length off both ends of it.
      state.image_width = ClampToInt(int64_t{photo.image_width} - 2 * int64_t{border});
      state.image_height = ClampToInt(int64_t{photo.image_height} - 2 * int64_t{border});
      AppendFrameLines(block, kPhotoFrame16Part1);
      AppendFrameLines(block, kPhotoFrame16Part2);
      block += kPhotoFramedImageCell;
      AppendFrameLines(block, kPhotoFrame16Part3);
      AppendFrameLines(block, kPhotoFrame16Part4);
    } else {
      AppendFrameLines(block, kPhotoFrame8Head);
      block += kPhotoFramedImageCell;
      AppendFrameLines(block, kPhotoFrame8Tail);
    }
    FormatPageValues(style, count, state);
  }
  if (!ReplacePlaceholders(style, state.values, block)) {
    page.SetTooLarge();
    return;
  }
  WritePageLine(page, block);
  page.Append("\n");
}

}  // namespace

std::optional<std::string> RenderPhotoPage(const CStyleSettings& style, const CPhotoResult& photo,
                                           int index, int count, CPageState& state) {
  return RenderPhotoPage(style, photo, index, count,
                         PageLinksByNumber(kPhotoPageKind, index, count), state);
}

std::optional<std::string> RenderPhotoPage(const CStyleSettings& style, const CPhotoResult& photo,
                                           int index, int count, const CPageLinks& links,
                                           CPageState& state) {
  CPageValues& values = state.values;
  values.photo_index = std::to_string(int64_t{index} + 1);
  values.photo_number = std::to_string(index);
  values.photo_path = links.page_image;
  values.photo_title = photo.title;

  CPageText page;
  for (std::string_view line : kPhotoPageTemplate) {
    // Line placeholders are looked for in the template line itself, before any value is filled
    // in, so no title can turn a line into a block.
    if (line.find("%%Navigation%%") != std::string_view::npos) {
      WriteNavigationBar(page, kPhotoPageKind, links.navigation);
    } else if (WriteHeaderLine(page, style, state.values, line)) {
    } else if (line.find("%%TableMainImage%%") != std::string_view::npos) {
      WriteMainImage(page, style, photo, count, state);
    } else {
      std::string text(line);
      if (!ReplacePlaceholders(style, state.values, text)) return std::nullopt;
      WritePageLine(page, text);
      page.Append("\n");
    }
    if (page.too_large()) return std::nullopt;
  }
  return page.TakeFileBytes();
}

WriteFailure WritePhotoPage(const std::string& path, const CStyleSettings& style,
                            const CPhotoResult& photo, int index, int count,
                            const CPageLinks& links, CPageState& state) {
  CPageState next = state;
  std::optional<std::string> bytes = RenderPhotoPage(style, photo, index, count, links, next);
  // A page that cannot be made (past the largest page) is a file not written like any other.
  const WriteFailure written = bytes ? TryWriteFileBytes(path, *bytes) : WriteFailure::kOther;
  if (written == WriteFailure::kNone) state = std::move(next);
  return written;
}

}  // namespace gallery
