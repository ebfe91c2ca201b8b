#ifndef GALLERY_COLLECTION_THUMB_STYLE_H_
#define GALLERY_COLLECTION_THUMB_STYLE_H_

namespace gallery {

// What the pieces of a frame carry: nothing (plain background), lines or solid blocks of the
// border colour, or shading that blends the border colour into the background.
enum class FrameDrawing { kNone, kLines, kBlocks, kShaded };

// The lines of a lined frame: one along the outer side; the outer line on the corners only;
// lines through the middle of the corners joining outer lines on the extra segments; an outer
// and an inner line; three lines.
enum class FrameLines { kNone, kSingle, kCorners, kCrossedCorners, kDouble, kTriple };

// The shading masks of a shaded frame, named after the style they were drawn for.
enum class ShadingMaskSet { kNone, kSet8, kSet9, kSet11, kSet12, kSet13 };

// What a `thumb_style` number means for the frame round photos and thumbnails, and for the
// images inside it. A number without a meaning of its own (0, negative, 14 and above) is a
// frame of plain pieces.
struct CFrameStyle {
  FrameDrawing drawing = FrameDrawing::kNone;
  FrameLines lines = FrameLines::kNone;  // with kLines
  int line_gap = 0;  // with FrameLines::kDouble: how far in the inner line lies, in pixels
  ShadingMaskSet masks = ShadingMaskSet::kNone;  // with kShaded
  // Sixteen pieces (eight corners and edges, and eight segments between them) rather than
  // eight; the pages lay out the frame's table accordingly.
  bool sixteen_pieces = false;
  // The shading of the top and left sides is pushed outwards, so only its outer rows stay on
  // the piece.
  bool shading_pushed_out = false;
  // Page images and thumbnails get a one-pixel ring of the background colour, so that a
  // textured frame joins them seamlessly.
  bool edge_ring = false;
};

CFrameStyle DecodeThumbStyle(int thumb_style);

}  // namespace gallery

#endif  // GALLERY_COLLECTION_THUMB_STYLE_H_
