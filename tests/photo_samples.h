#ifndef GALLERY_TESTS_PHOTO_SAMPLES_H_
#define GALLERY_TESTS_PHOTO_SAMPLES_H_

#include <string>
#include <vector>

#include <vips/vips8>

#include "platform/photo.h"

namespace gallery {
class TempFolder;

// As large as the program's own pixel limit, for tests of the adapter that do not test a limit.
inline constexpr int64_t kSamplePixelLimit = int64_t{1} << 28;

// A solid sRGB image of one colour per band.
vips::VImage Solid(int width, int height, const std::vector<double>& color);

// The left part `split` columns wide in `left`, the rest in `right`.
vips::VImage TwoTone(int width, int height, int split, const std::vector<double>& left,
                     const std::vector<double>& right);

// `image` written to `name` in `folder`, in the format that the name's suffix gives; its path.
std::string Save(const vips::VImage& image, const TempFolder& folder, const std::string& name);

// The image in the file `path`, read whole into memory, so that the file may go.
vips::VImage LoadPixels(const std::string& path);

// Whether each channel of pixel (x, y) lies within `tolerance` of `expected`.
bool PixelNear(const vips::VImage& image, int x, int y, const std::vector<double>& expected,
               double tolerance);

// The channels of pixel (x, y) as text, for failure messages.
std::string PixelText(const vips::VImage& image, int x, int y);

// The whole of a source of `size` at that size, quality 95, with no rules but the pixel limit.
PhotoRendering WholeAt(PhotoSize size);

}  // namespace gallery

#endif  // GALLERY_TESTS_PHOTO_SAMPLES_H_
