#include "imaging/frame_piece.h"

#include <algorithm>
#include <string>
#include <vector>

#include "collection/gallery_builder.h"
#include "collection/style_settings.h"
#include "collection/thumb_style.h"
#include "imaging/jpeg_saving.h"
#include "imaging/shading_masks.h"

namespace gallery {
namespace {

// A one-pixel line, drawn from its first point to its second. Coordinates of L (one past the
// last pixel) and -1 occur: such ends are clipped off.
struct Line {
  int x1, y1, x2, y2;
};

// One line along the outer side of the frame.
std::vector<Line> SingleLine(int piece, int l) {
  const int k = l - 1;
  switch (piece) {
    case 0:
      return {{0, l, 0, 0}, {0, 0, l, 0}};
    case 1:
      return {{0, 0, l, 0}};
    case 2:
      return {{k, 0, 0, 0}, {k, 0, k, l}};
    case 3:
      return {{0, 0, 0, l}};
    case 4:
      return {{k, 0, k, l}};
    case 5:
      return {{0, l, 0, 0}, {0, k, l, k}};
    case 6:
      return {{0, k, l, k}};
    case 7:
      return {{k, l, k, 0}, {l, k, 0, k}};
  }
  return {};
}

// The outer line on the corners only.
std::vector<Line> CornerLines(int piece, int l) {
  const int k = l - 1;
  switch (piece) {
    case 0:
      return {{0, 0, l, 0}, {0, 0, 0, l}};
    case 2:
      return {{k, 0, -1, 0}, {k, 0, k, l}};
    case 5:
      return {{0, k, 0, -1}, {0, k, l, k}};
    case 7:
      return {{l, k, 0, k}, {k, l, k, 0}};
  }
  return {};
}

// Lines through the middle of the corners that join outer lines on the sixteen-piece segments;
// the edges between the segments stay plain.
std::vector<Line> CrossedCorners(int piece, int l) {
  const int k = l - 1;
  const int u = l / 2;
  switch (piece) {
    case 0:
      return {{u, 0, l, 0}, {u, 0, u, l}, {0, u, l, u}, {0, u, 0, l}};
    case 2:
      return {{k, u, 0, u}, {k, u, k, l}, {u, 0, 0, 0}, {u, 0, u, l}};
    case 5:
      return {{0, u, 0, 0}, {0, u, l, u}, {u, k, u, 0}, {u, k, l, k}};
    case 7:
      return {{u, k, u, 0}, {u, k, 0, k}, {k, u, k, 0}, {k, u, 0, u}};
    case 8:
    case 9:
      return {{0, 0, l, 0}};
    case 10:
    case 12:
      return {{0, 0, 0, l}};
    case 11:
    case 13:
      return {{k, 0, k, l}};
    case 14:
    case 15:
      return {{0, k, l, k}};
  }
  return {};
}

// An outer line and an inner one `d` pixels further in.
std::vector<Line> DoubleLines(int piece, int l, int d) {
  const int k = l - 1;
  const int m = l - d - 1;
  switch (piece) {
    case 0:
      return {{0, 0, 0, l}, {0, 0, l, 0}, {d, d, d, l}, {d, d, l, d}};
    case 1:
      return {{0, 0, l, 0}, {0, d, l, d}};
    case 2:
      return {{k, 0, 0, 0}, {k, 0, k, l}, {0, d, m, d}, {m, d, m, l}};
    case 3:
      return {{0, 0, 0, l}, {d, 0, d, l}};
    case 4:
      return {{k, 0, k, l}, {m, 0, m, l}};
    case 5:
      return {{0, l, 0, 0}, {0, k, l, k}, {d, m, d, 0}, {d, m, l, m}};
    case 6:
      return {{0, k, l, k}, {0, m, l, m}};
    case 7:
      return {{k, l, k, 0}, {l, k, 0, k}, {m, m, m, 0}, {m, m, 0, m}};
  }
  return {};
}

// Three lines, 0, 3 and 6 pixels in from the outer side.
std::vector<Line> TripleLines(int piece, int l) {
  const int k = l - 1;
  const int a = l - 4;
  const int b = l - 7;
  switch (piece) {
    case 0:
      return {{0, 0, 0, l}, {0, 0, l, 0}, {3, 3, 3, l}, {3, 3, l, 3}, {6, 6, 6, l}, {6, 6, l, 6}};
    case 1:
      return {{0, 0, l, 0}, {0, 3, l, 3}, {0, 6, l, 6}};
    case 2:
      return {{k, 0, 0, 0}, {k, 0, k, l}, {a, 3, 0, 3}, {a, 3, a, l}, {b, 6, 0, 6}, {b, 6, b, l}};
    case 3:
      return {{0, 0, 0, l}, {3, 0, 3, l}, {6, 0, 6, l}};
    case 4:
      return {{k, 0, k, l}, {a, 0, a, l}, {b, 0, b, l}};
    case 5:
      return {{0, l, 0, 0}, {0, k, l, k}, {3, a, 3, 0}, {3, a, l, a}, {6, b, 6, 0}, {6, b, l, b}};
    case 6:
      return {{0, k, l, k}, {0, a, l, a}, {0, b, l, b}};
    case 7:
      return {{k, l, k, 0}, {l, k, 0, k}, {a, a, a, 0}, {a, a, 0, a}, {b, b, b, 0}, {b, b, 0, b}};
  }
  return {};
}

std::vector<Line> LinesOfPiece(const CFrameStyle& frame, int piece, int l) {
  if (frame.drawing != FrameDrawing::kLines) return {};
  switch (frame.lines) {
    case FrameLines::kSingle:
      return SingleLine(piece, l);
    case FrameLines::kCorners:
      return CornerLines(piece, l);
    case FrameLines::kCrossedCorners:
      return CrossedCorners(piece, l);
    case FrameLines::kDouble:
      return DoubleLines(piece, l, frame.line_gap);
    case FrameLines::kTriple:
      return TripleLines(piece, l);
    case FrameLines::kNone:
      break;
  }
  return {};
}

// A block frame fills the corners and the sixteen-piece segments whole.
bool IsSolidBlock(const CFrameStyle& frame, int piece) {
  return frame.drawing == FrameDrawing::kBlocks &&
         (piece == 0 || piece == 2 || piece == 5 || piece == 7 || piece >= 8);
}

enum class MaskKind { kEdge, kCorner, kTransition };

// Where a shaded piece puts its band or block, and how the mask is turned to face the picture.
// The tile's origin is the rectangle's top-left corner.
struct Shading {
  MaskKind kind;
  MaskReading reading;
  int x, y, width, height;
};

std::optional<Shading> PlaceShading(const CFrameStyle& frame, int piece, int l) {
  if (frame.drawing != FrameDrawing::kShaded) return std::nullopt;
  // Shading pushed outwards moves 3 pixels on the top and left sides (the top-left corner only
  // 2), so that only its outer rows stay on the piece.
  const int o = frame.shading_pushed_out ? 3 : 0;
  const int o0 = frame.shading_pushed_out ? 2 : 0;
  const int near = l - 8;
  switch (piece) {
    case 0:
      return Shading{MaskKind::kCorner, MaskReading::kAsStored, near + o0, near + o0, 8, 8};
    case 1:
      return Shading{MaskKind::kEdge, MaskReading::kAsStored, 0, near + o, l, 8};
    case 2:
      return Shading{MaskKind::kCorner, MaskReading::kMirroredLeftRight, 0, near + o, 8, 8};
    case 3:
      return Shading{MaskKind::kEdge, MaskReading::kTransposed, near + o, 0, 8, l};
    case 4:
      return Shading{MaskKind::kEdge, MaskReading::kTransposedMirrored, 0, 0, 8, l};
    case 5:
      return Shading{MaskKind::kCorner, MaskReading::kMirroredTopBottom, near + o, 0, 8, 8};
    case 6:
      return Shading{MaskKind::kEdge, MaskReading::kMirroredTopBottom, 0, 0, l, 8};
    case 7:
      return Shading{MaskKind::kCorner, MaskReading::kRotated180, 0, 0, 8, 8};
  }
  if (!frame.sixteen_pieces) return std::nullopt;
  switch (piece) {
    case 8:
    case 9:
      return Shading{MaskKind::kEdge, MaskReading::kAsStored, 0, l - 5, l, 8};
    case 10:
    case 12:
      return Shading{MaskKind::kEdge, MaskReading::kTransposed, l - 5, 0, 8, l};
    case 11:
      return Shading{MaskKind::kTransition, MaskReading::kTransitionAlongHeight, 0, 0, 8, l};
    case 13:
      return Shading{MaskKind::kEdge, MaskReading::kTransposedMirrored, 0, 0, 8, l};
    case 14:
      return Shading{MaskKind::kTransition, MaskReading::kTransitionAlongWidth, 0, 0, l, 8};
    case 15:
      return Shading{MaskKind::kEdge, MaskReading::kMirroredTopBottom, 0, 0, l, 8};
  }
  return std::nullopt;
}

const ShadingMask& ChooseMask(ShadingMaskSet masks, MaskKind kind) {
  if (kind == MaskKind::kTransition) return kTransitionMask10;
  const bool corner = kind == MaskKind::kCorner;
  switch (masks) {
    case ShadingMaskSet::kSet8:
      return corner ? kCornerMask8 : kEdgeMask8;
    case ShadingMaskSet::kSet11:
      return corner ? kCornerMask11 : kEdgeMask11;
    case ShadingMaskSet::kSet12:
      return corner ? kCornerMask12 : kEdgeMask12;
    case ShadingMaskSet::kSet13:
      return corner ? kCornerMask13 : kEdgeMask13;
    case ShadingMaskSet::kSet9:
    case ShadingMaskSet::kNone:
      break;
  }
  return corner ? kCornerMask9 : kEdgeMask9;
}

// The tile of a shaded piece. Transition tiles run the whole side of the piece (at least 8),
// their last mask row or column repeated past the mask's end.
std::optional<CCanvas> MakeTile(const CStyleSettings& style, ShadingMaskSet masks,
                                const Shading& shading, int l) {
  const int length = std::max(kMaskSize, l);
  const int width = shading.reading == MaskReading::kTransitionAlongWidth ? length : kMaskSize;
  const int height = shading.reading == MaskReading::kTransitionAlongHeight ? length : kMaskSize;
  const ShadingMask& mask = ChooseMask(masks, shading.kind);
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int colour = BlendColour(style.thumb_border_color, style.thumb_back_color,
                                     ReadMask(mask, shading.reading, x, y));
      pixels[at++] = static_cast<unsigned char>(colour);
      pixels[at++] = static_cast<unsigned char>(colour >> 8);
      pixels[at++] = static_cast<unsigned char>(colour >> 16);
    }
  }
  return CCanvas::FromRgbPixels(pixels.data(), width, height);
}

}  // namespace

std::optional<CCanvas> DrawFramePiece(const CStyleSettings& style, int piece) {
  const int l = style.thumb_border_size;
  if (l < 1 || l > kMaxFramePieceSize) return std::nullopt;
  std::optional<CCanvas> canvas = CCanvas::Filled(l, l, style.thumb_back_color);
  if (!canvas || piece < 0 || piece >= kFramePieceCount) return canvas;

  // A drawing step that fails leaves the piece as far as it got; like a piece the style leaves
  // plain, it is still a usable frame piece, so the results are not looked at.
  const CFrameStyle frame = DecodeThumbStyle(style.thumb_style);
  for (const Line& line : LinesOfPiece(frame, piece, l)) {
    static_cast<void>(
        canvas->DrawLine(line.x1, line.y1, line.x2, line.y2, style.thumb_border_color));
  }
  if (IsSolidBlock(frame, piece)) {
    static_cast<void>(canvas->FillRectangle(0, 0, l, l, style.thumb_border_color));
  }
  if (std::optional<Shading> shading = PlaceShading(frame, piece, l)) {
    if (std::optional<CCanvas> tile = MakeTile(style, frame.masks, *shading, l)) {
      static_cast<void>(canvas->FillTiled(shading->x, shading->y, shading->width, shading->height,
                                          *tile, shading->x, shading->y));
    }
  }
  return canvas;
}

WriteFailure CGalleryBuilder::WriteFramePiece(const std::string& path, int piece) {
  std::optional<CCanvas> canvas = DrawFramePiece(style_, piece);
  if (!canvas) return WriteFailure::kNone;
  return TrySaveJpeg(*canvas, path, JpegQualityFor(JpegKind::kFramePiece, style_.photo_quality));
}

}  // namespace gallery
