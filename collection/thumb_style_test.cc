#include "collection/thumb_style.h"

#include <gtest/gtest.h>

namespace gallery {
namespace {

TEST(DecodeThumbStyleTest, EachNumberIsOneFrame) {
  struct Case {
    int thumb_style;
    FrameDrawing drawing;
    FrameLines lines;
    int line_gap;
    ShadingMaskSet masks;
    bool sixteen_pieces;
    bool shading_pushed_out;
    bool edge_ring;
  };
  using D = FrameDrawing;
  using L = FrameLines;
  using M = ShadingMaskSet;
  const Case cases[] = {
      {-1, D::kNone, L::kNone, 0, M::kNone, false, false, false},
      {0, D::kNone, L::kNone, 0, M::kNone, false, false, false},
      {1, D::kLines, L::kSingle, 0, M::kNone, false, false, false},
      {2, D::kLines, L::kCorners, 0, M::kNone, false, false, false},
      {3, D::kLines, L::kCrossedCorners, 0, M::kNone, true, false, false},
      {4, D::kBlocks, L::kNone, 0, M::kNone, true, false, false},
      {5, D::kLines, L::kDouble, 2, M::kNone, false, false, false},
      {6, D::kLines, L::kDouble, 4, M::kNone, false, false, false},
      {7, D::kLines, L::kTriple, 0, M::kNone, false, false, false},
      {8, D::kShaded, L::kNone, 0, M::kSet8, false, false, true},
      {9, D::kShaded, L::kNone, 0, M::kSet9, false, false, true},
      {10, D::kShaded, L::kNone, 0, M::kSet9, true, true, true},
      {11, D::kShaded, L::kNone, 0, M::kSet11, false, false, true},
      {12, D::kShaded, L::kNone, 0, M::kSet12, false, false, true},
      {13, D::kShaded, L::kNone, 0, M::kSet13, false, false, true},
      {14, D::kNone, L::kNone, 0, M::kNone, false, false, false},
      {1 << 30, D::kNone, L::kNone, 0, M::kNone, false, false, false},
  };
  for (const Case& c : cases) {
    const CFrameStyle frame = DecodeThumbStyle(c.thumb_style);
    EXPECT_EQ(c.drawing, frame.drawing) << c.thumb_style;
    EXPECT_EQ(c.lines, frame.lines) << c.thumb_style;
    EXPECT_EQ(c.line_gap, frame.line_gap) << c.thumb_style;
    EXPECT_EQ(c.masks, frame.masks) << c.thumb_style;
    EXPECT_EQ(c.sixteen_pieces, frame.sixteen_pieces) << c.thumb_style;
    EXPECT_EQ(c.shading_pushed_out, frame.shading_pushed_out) << c.thumb_style;
    EXPECT_EQ(c.edge_ring, frame.edge_ring) << c.thumb_style;
  }
}

}  // namespace
}  // namespace gallery
