#include "theme/contrast.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace gallery {
namespace {

double LinearChannel(int value) {
  const double srgb = value / 255.0;
  return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(int color) {
  return 0.2126 * LinearChannel((color >> 16) & 0xFF) +
         0.7152 * LinearChannel((color >> 8) & 0xFF) + 0.0722 * LinearChannel(color & 0xFF);
}

}  // namespace

double ContrastRatio(int first, int second) {
  const double a = RelativeLuminance(first);
  const double b = RelativeLuminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

int ReadableTextColor(int text, int background) {
  if (ContrastRatio(text, background) >= kMinimumTextContrast) return text & 0xFFFFFF;
  return ContrastRatio(0x000000, background) >= ContrastRatio(0xFFFFFF, background) ? 0x000000
                                                                                    : 0xFFFFFF;
}

std::string CssColor(int color) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  std::string css = "#";
  for (int shift = 20; shift >= 0; shift -= 4) css += kHexDigits[(color >> shift) & 0xF];
  return css;
}

}  // namespace gallery
