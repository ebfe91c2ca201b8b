#include "collection/thumb_style.h"

namespace gallery {
namespace {

CFrameStyle Lined(FrameLines lines, int line_gap = 0) {
  return {.drawing = FrameDrawing::kLines, .lines = lines, .line_gap = line_gap};
}

CFrameStyle Shaded(ShadingMaskSet masks) {
  return {.drawing = FrameDrawing::kShaded, .masks = masks, .edge_ring = true};
}

}  // namespace

CFrameStyle DecodeThumbStyle(int thumb_style) {
  switch (thumb_style) {
    case 1:
      return Lined(FrameLines::kSingle);
    case 2:
      return Lined(FrameLines::kCorners);
    case 3: {
      CFrameStyle frame = Lined(FrameLines::kCrossedCorners);
      frame.sixteen_pieces = true;
      return frame;
    }
    case 4:
      return {.drawing = FrameDrawing::kBlocks, .sixteen_pieces = true};
    case 5:
      return Lined(FrameLines::kDouble, 2);
    case 6:
      return Lined(FrameLines::kDouble, 4);
    case 7:
      return Lined(FrameLines::kTriple);
    case 8:
      return Shaded(ShadingMaskSet::kSet8);
    case 9:
      return Shaded(ShadingMaskSet::kSet9);
    case 10: {
      CFrameStyle frame = Shaded(ShadingMaskSet::kSet9);
      frame.sixteen_pieces = true;
      frame.shading_pushed_out = true;
      return frame;
    }
    case 11:
      return Shaded(ShadingMaskSet::kSet11);
    case 12:
      return Shaded(ShadingMaskSet::kSet12);
    case 13:
      return Shaded(ShadingMaskSet::kSet13);
  }
  return {};
}

}  // namespace gallery
