#include "tests/photo_samples.h"

#include <cmath>

#include "tests/temp_folder.h"

namespace gallery {

using vips::VImage;

VImage Solid(int width, int height, const std::vector<double>& color) {
  VImage image = VImage::black(width, height, VImage::option()->set("bands", 3))
                     .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  return image.new_from_image(color);
}

VImage TwoTone(int width, int height, int split, const std::vector<double>& left,
               const std::vector<double>& right) {
  return Solid(width, height, right).insert(Solid(split, height, left), 0, 0);
}

std::string Save(const VImage& image, const TempFolder& folder, const std::string& name) {
  std::string path = folder.Join(name);
  image.write_to_file(path.c_str());
  return path;
}

VImage LoadPixels(const std::string& path) {
  return VImage::new_from_file(path.c_str()).copy_memory();
}

bool PixelNear(const VImage& image, int x, int y, const std::vector<double>& expected,
               double tolerance) {
  std::vector<double> pixel = image.getpoint(x, y);
  if (pixel.size() != expected.size()) return false;
  for (size_t i = 0; i < pixel.size(); ++i) {
    if (std::abs(pixel[i] - expected[i]) > tolerance) return false;
  }
  return true;
}

std::string PixelText(const VImage& image, int x, int y) {
  std::string text;
  for (double value : image.getpoint(x, y)) text += std::to_string(static_cast<int>(value)) + " ";
  return text;
}

PhotoRendering WholeAt(PhotoSize size) {
  PhotoRendering rendering;
  rendering.output = size;
  rendering.source = {0, 0, size.width, size.height};
  rendering.quality = 95;
  rendering.rules.max_pixels = kSamplePixelLimit;
  return rendering;
}

}  // namespace gallery
