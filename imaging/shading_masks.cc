#include "imaging/shading_masks.h"

#include <algorithm>

namespace gallery {
namespace {

using RowValues = std::array<std::uint8_t, kMaskSize>;

constexpr ShadingMask EdgeMask(const RowValues& rows) {
  ShadingMask mask{};
  for (int r = 0; r < kMaskSize; ++r) mask[r].fill(rows[r]);
  return mask;
}

// The corner that continues an edge mask round the bend: each pixel takes the row of the edge
// that lies farther from the picture.
constexpr ShadingMask CornerFromEdge(const ShadingMask& edge) {
  ShadingMask mask{};
  for (int r = 0; r < kMaskSize; ++r) {
    for (int c = 0; c < kMaskSize; ++c) mask[r][c] = edge[std::min(r, c)][0];
  }
  return mask;
}

constexpr bool IsEdgeMask(const ShadingMask& mask) {
  for (const auto& row : mask) {
    for (std::uint8_t value : row) {
      if (value != row[0]) return false;
    }
  }
  return true;
}

constexpr bool IsSymmetric(const ShadingMask& mask) {
  for (int r = 0; r < kMaskSize; ++r) {
    for (int c = 0; c < kMaskSize; ++c) {
      if (mask[r][c] != mask[c][r]) return false;
    }
  }
  return true;
}

constexpr bool LastColumnIsEdge(const ShadingMask& mask, const ShadingMask& edge) {
  for (int r = 0; r < kMaskSize; ++r) {
    if (mask[r][kMaskSize - 1] != edge[r][0]) return false;
  }
  return true;
}

}  // namespace

extern constexpr ShadingMask kEdgeMask8 = EdgeMask({255, 230, 180, 120, 80, 40, 40, 40});
extern constexpr ShadingMask kEdgeMask9 = EdgeMask({250, 244, 236, 220, 192, 153, 105, 55});
extern constexpr ShadingMask kEdgeMask11 = EdgeMask({179, 225, 249, 249, 227, 167, 79, 3});
extern constexpr ShadingMask kEdgeMask12 = EdgeMask({46, 5, 43, 126, 209, 248, 248, 211});
extern constexpr ShadingMask kEdgeMask13 = EdgeMask({158, 195, 224, 236, 238, 235, 255, 220});

extern constexpr ShadingMask kCornerMask8 = CornerFromEdge(kEdgeMask8);

extern constexpr ShadingMask kCornerMask9 = {{
    {255, 255, 255, 254, 253, 252, 252, 251},
    {255, 255, 254, 252, 250, 248, 247, 246},
    {255, 254, 252, 250, 246, 243, 241, 238},
    {254, 252, 250, 245, 241, 237, 231, 225},
    {253, 250, 246, 241, 237, 220, 200, 195},
    {252, 248, 243, 237, 220, 185, 170, 155},
    {252, 247, 241, 231, 200, 170, 135, 105},
    {251, 246, 238, 225, 195, 155, 105, 55},
}};

extern constexpr ShadingMask kCornerMask11 = {{
    {255, 255, 255, 211, 177, 172, 171, 173},
    {255, 245, 195, 172, 175, 189, 201, 214},
    {255, 195, 172, 182, 211, 235, 241, 246},
    {211, 172, 182, 221, 241, 250, 251, 251},
    {177, 175, 211, 241, 251, 250, 241, 235},
    {172, 189, 235, 250, 250, 235, 211, 186},
    {171, 201, 241, 251, 241, 211, 153, 101},
    {173, 214, 246, 251, 235, 186, 101, 29},
}};

extern constexpr ShadingMask kCornerMask12 = {{
    {255, 255, 255, 222, 180, 132, 103, 75},
    {255, 250, 180, 133, 61, 13, 1, 2},
    {255, 180, 104, 33, 2, 11, 19, 30},
    {222, 133, 33, 4, 19, 51, 84, 104},
    {180, 61, 2, 19, 67, 121, 173, 192},
    {132, 13, 11, 51, 121, 192, 255, 243},
    {103, 1, 19, 84, 173, 255, 250, 251},
    {75, 2, 30, 104, 192, 243, 251, 232},
}};

extern constexpr ShadingMask kCornerMask13 = {{
    {255, 255, 255, 211, 172, 163, 158, 157},
    {255, 245, 193, 164, 157, 163, 172, 185},
    {255, 193, 158, 159, 181, 206, 213, 219},
    {211, 164, 159, 191, 213, 226, 232, 234},
    {172, 157, 181, 213, 230, 235, 238, 238},
    {163, 163, 206, 226, 235, 238, 238, 236},
    {158, 172, 213, 232, 238, 238, 234, 230},
    {157, 185, 219, 234, 238, 236, 230, 223},
}};

extern constexpr ShadingMask kTransitionMask10 = {{
    {250, 250, 250, 250, 250, 250, 250, 250},
    {247, 247, 246, 245, 245, 244, 244, 244},
    {247, 244, 242, 240, 238, 237, 236, 236},
    {240, 240, 240, 240, 240, 224, 220, 220},
    {232, 227, 222, 212, 207, 200, 192, 192},
    {223, 215, 175, 167, 159, 155, 153, 153},
    {205, 165, 137, 120, 112, 108, 105, 105},
    {180, 133, 87, 70, 62, 58, 55, 55},
}};

static_assert(IsEdgeMask(kEdgeMask8) && IsEdgeMask(kEdgeMask9) && IsEdgeMask(kEdgeMask11) &&
              IsEdgeMask(kEdgeMask12) && IsEdgeMask(kEdgeMask13));
static_assert(IsSymmetric(kCornerMask8) && IsSymmetric(kCornerMask9) &&
              IsSymmetric(kCornerMask11) && IsSymmetric(kCornerMask12) &&
              IsSymmetric(kCornerMask13));
static_assert(LastColumnIsEdge(kTransitionMask10, kEdgeMask9));
// The corner of style 8 meets its edges: the far side is pure background, the near corner
// takes the edge's innermost shade.
static_assert(kCornerMask8[0][7] == 255 && kCornerMask8[7][7] == 40 && kCornerMask8[6][3] == 120);

int ReadMask(const ShadingMask& mask, MaskReading reading, int x, int y) {
  constexpr int kLast = kMaskSize - 1;
  switch (reading) {
    case MaskReading::kAsStored:
      return mask[y][x];
    case MaskReading::kMirroredLeftRight:
      return mask[y][kLast - x];
    case MaskReading::kMirroredTopBottom:
      return mask[kLast - y][x];
    case MaskReading::kRotated180:
      return mask[kLast - y][kLast - x];
    case MaskReading::kTransposed:
      return mask[x][y];
    case MaskReading::kTransposedMirrored:
      return mask[kLast - x][y];
    case MaskReading::kTransitionAlongHeight:
      return mask[kLast - x][std::min(y, kLast)];
    case MaskReading::kTransitionAlongWidth:
      return mask[kLast - y][std::min(x, kLast)];
  }
  return mask[y][x];
}

int BlendChannel(int border, int background, int weight) {
  // The weight is scaled by this rounded double rather than divided by 255, and the sum is
  // formed in this order and truncated: a weight of 180 between 0 and 255 gives 179, not 180.
  // ISO C++ mode keeps the compiler from fusing the multiply and add, which could change it.
  const double a = weight * 0.00392156862745098;
  return static_cast<int>((1 - a) * border + a * background);
}

int BlendColour(int border_colour, int background_colour, int weight) {
  int colour = 0;
  for (int shift : {0, 8, 16}) {
    colour |=
        BlendChannel((border_colour >> shift) & 0xFF, (background_colour >> shift) & 0xFF, weight)
        << shift;
  }
  return colour;
}

}  // namespace gallery
