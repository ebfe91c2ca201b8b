#ifndef GALLERY_IMAGING_FRAME_PIECE_H_
#define GALLERY_IMAGING_FRAME_PIECE_H_

#include <optional>

#include "collection/output_layout.h"
#include "platform/canvas.h"

namespace gallery {
struct CStyleSettings;

// Pieces 0 to 7 are the corners and edges of a frame (top-left, top, top-right, left, right,
// bottom-left, bottom, bottom-right); 8 to 15 the segments between them of the sixteen-piece
// frame (top row left and right, left column upper, right column upper, left column lower,
// right column lower, bottom row left and right); kFramePieceCount bounds them.

// The largest side of a frame piece that is drawn. A piece lives in memory as 3 bytes a pixel,
// so this caps one piece at 48 MiB, far beyond any frame a page shows, and a hostile border
// size cannot exhaust memory.
inline constexpr int kMaxFramePieceSize = 4096;

// Frame piece `piece` of the style's frame: a `thumb_border_size` square of `thumb_back_color`
// on which `thumb_style` draws lines or blocks of `thumb_border_color` (styles 1 to 7) or
// shading that blends the two colours (styles 8 to 13). Pieces and styles without a drawing
// stay plain. Nothing when the size is under 1 or above `kMaxFramePieceSize`, or when the
// canvas cannot be made. Touches no file.
std::optional<CCanvas> DrawFramePiece(const CStyleSettings& style, int piece);

}  // namespace gallery

#endif  // GALLERY_IMAGING_FRAME_PIECE_H_
