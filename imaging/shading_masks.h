#ifndef GALLERY_IMAGING_SHADING_MASKS_H_
#define GALLERY_IMAGING_SHADING_MASKS_H_

#include <array>
#include <cstdint>

namespace gallery {

inline constexpr int kMaskSize = 8;

// An 8 x 8 shading mask, indexed [row][column]. A value is the weight of the background colour:
// 0 gives the border colour, 255 the background colour. Row 7 lies next to the picture; in a
// corner mask row 7 and column 7 are the sides that touch the picture's corner.
using ShadingMask = std::array<std::array<std::uint8_t, kMaskSize>, kMaskSize>;

// Edge masks: each row holds one value, so a band is uniform along the side it shades.
extern const ShadingMask kEdgeMask8;
extern const ShadingMask kEdgeMask9;  // also style 10
extern const ShadingMask kEdgeMask11;
extern const ShadingMask kEdgeMask12;
extern const ShadingMask kEdgeMask13;

// Corner masks, each symmetric about its diagonal.
extern const ShadingMask kCornerMask8;
extern const ShadingMask kCornerMask9;  // also style 10
extern const ShadingMask kCornerMask11;
extern const ShadingMask kCornerMask12;
extern const ShadingMask kCornerMask13;

// The transition of style 10 from its corner shading into its edge shading. Columns run from
// the corner end (0) to the edge end (7), which equals the edge mask of style 9.
extern const ShadingMask kTransitionMask10;

// How a tile pixel (x, y), x to the right and y down, picks its mask value.
enum class MaskReading {
  kAsStored,               // M[y][x]
  kMirroredLeftRight,      // M[y][7 - x]
  kMirroredTopBottom,      // M[7 - y][x]
  kRotated180,             // M[7 - y][7 - x]
  kTransposed,             // M[x][y]
  kTransposedMirrored,     // M[7 - x][y]
  kTransitionAlongHeight,  // M[7 - x][min(y, 7)]: a tile 8 wide and any height
  kTransitionAlongWidth,   // M[7 - y][min(x, 7)]: a tile 8 high and any width
};

// The mask value for tile pixel (x, y). x and y are at least 0; both are below 8 except along
// the long side of a transition reading.
int ReadMask(const ShadingMask& mask, MaskReading reading, int x, int y);

// One colour channel blended from `border` towards `background` by the mask value `weight`
// (0 to 255), truncated toward zero.
int BlendChannel(int border, int background, int weight);

// `BlendChannel` for the red, green and blue bytes of two colours (red in the lowest byte).
int BlendColour(int border_colour, int background_colour, int weight);

}  // namespace gallery

#endif  // GALLERY_IMAGING_SHADING_MASKS_H_
