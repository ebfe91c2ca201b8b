#include "platform/photo.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <vips/vips8>

#include "platform/file_system.h"

namespace gallery {
namespace {

using vips::VImage;

struct VipsBlobUnref {
  void operator()(VipsBlob* blob) const { vips_area_unref(VIPS_AREA(blob)); }
};
using UniqueVipsBlob = std::unique_ptr<VipsBlob, VipsBlobUnref>;

// A FIFO or device in a photo's place would block or never end; only plain files are read.
bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(ToSystemPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsTooLarge(int64_t width, int64_t height) { return width * height > kMaxPhotoPixels; }

// Opening reads the header only; pixels are decoded when the finished pipeline runs. Decoding
// stops with an error on damaged or truncated data rather than filling the rest with grey.
VImage OpenSource(const std::string& path, VipsAccess access) {
  vips::VOption* options =
      VImage::option()->set("access", access)->set("fail_on", VIPS_FAIL_ON_ERROR);
  const std::string system_path = ToSystemPath(path);
  // The library reads options from a trailing "[...]" of a file name, so a photo called
  // "beach[1]" is opened as a stream instead, which needs no name (but misses the few formats
  // that have no stream loader).
  if (!system_path.empty() && system_path.back() == ']') {
    return VImage::new_from_source(vips::VSource::new_from_file(system_path.c_str()), "", options);
  }
  return VImage::new_from_file(system_path.c_str(), options);
}

int Orientation(const VImage& image) {
  if (image.get_typeof(VIPS_META_ORIENTATION) == 0) return 1;
  int orientation = image.get_int(VIPS_META_ORIENTATION);
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

// Orientations 5 to 8 turn the image a quarter, so its upright width is its stored height.
PhotoSize UprightSize(const VImage& image) {
  if (Orientation(image) >= 5) return {image.height(), image.width()};
  return {image.width(), image.height()};
}

VImage ToSrgb(VImage image) {
  if (image.get_typeof(VIPS_META_ICC_NAME) != 0) {
    image = image.icc_transform("srgb", VImage::option()->set("embedded", true)->set("depth", 8));
  } else {
    image = image.colourspace(VIPS_INTERPRETATION_sRGB);
  }
  if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
  if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  return image;
}

// Alpha is split off before the colour conversion, which would otherwise treat it by the
// rules of the source's colour space and depth, and then scaled to 8 bits for the flattening.
VImage ToOpaqueSrgb(const VImage& image, const std::vector<double>& background) {
  if (!image.has_alpha()) return ToSrgb(image);
  const int colour_bands = image.bands() - 1;
  VImage colour = ToSrgb(image.extract_band(0, VImage::option()->set("n", colour_bands)));
  VImage alpha = image.extract_band(colour_bands);
  double max_alpha = 255.0;
  if (image.format() == VIPS_FORMAT_USHORT) {
    max_alpha = 65535.0;
  } else if (image.interpretation() == VIPS_INTERPRETATION_scRGB) {
    max_alpha = 1.0;
  }
  if (max_alpha != 255.0 || alpha.format() != VIPS_FORMAT_UCHAR) {
    alpha = alpha.linear(255.0 / max_alpha, 0.5).cast(VIPS_FORMAT_UCHAR);
  }
  return colour.bandjoin(alpha).flatten(VImage::option()->set("background", background));
}

// Cuts or extends (by repeating the last column or row) to exactly `size`: the resampler may
// round the result one pixel away from it.
VImage FitExactly(VImage image, PhotoSize size) {
  if (image.width() > size.width || image.height() > size.height) {
    image = image.crop(0, 0, std::min(image.width(), size.width),
                       std::min(image.height(), size.height));
  }
  if (image.width() < size.width || image.height() < size.height) {
    image = image.embed(0, 0, size.width, size.height,
                        VImage::option()->set("extend", VIPS_EXTEND_COPY));
  }
  return image;
}

VImage DrawSource(const std::string& path, const VImage& header, PhotoRect rect, PhotoSize output,
                  const std::vector<double>& background) {
  const int orientation = Orientation(header);
  // Shrinking on load (the JPEG decoder's reduced-size decoding) is not used: with it, this
  // library version now and then loses the error of a truncated source and encodes a half-grey
  // image. Turning or flipping upside down reads rows out of order, which a streamed source
  // cannot serve; a mirror image (orientation 2) still can.
  VImage picture = orientation > 2 ? OpenSource(path, VIPS_ACCESS_RANDOM) : header;
  if (orientation != 1) picture = picture.autorot();
  picture = ToOpaqueSrgb(picture, background);

  // The caller has cut `rect` to the source, so it lies inside the picture.
  if (rect.x != 0 || rect.y != 0 || rect.width != picture.width() ||
      rect.height != picture.height()) {
    picture = picture.crop(rect.x, rect.y, rect.width, rect.height);
  }
  const double scale_x = static_cast<double>(output.width) / rect.width;
  const double scale_y = static_cast<double>(output.height) / rect.height;
  if (scale_x != 1.0 || scale_y != 1.0) {
    picture = picture.resize(scale_x, VImage::option()->set("vscale", scale_y));
  }
  return FitExactly(picture, output);
}

VImage PaintEdgeRing(const VImage& picture, const std::vector<double>& colour) {
  const int width = picture.width();
  const int height = picture.height();
  if (width <= 2 || height <= 2) return picture.new_from_image(colour);
  return picture.crop(1, 1, width - 2, height - 2)
      .embed(1, 1, width, height,
             VImage::option()->set("extend", VIPS_EXTEND_BACKGROUND)->set("background", colour));
}

}  // namespace

std::optional<PhotoSize> ReadPhotoSize(const std::string& path) {
  try {
    if (!IsRegularFile(path)) return std::nullopt;
    VImage header = OpenSource(path, VIPS_ACCESS_SEQUENTIAL);
    if (IsTooLarge(header.width(), header.height())) return std::nullopt;
    return UprightSize(header);
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

std::optional<std::string> RenderPhotoJpeg(const std::string& path,
                                           const PhotoRendering& rendering) {
  const PhotoSize output = rendering.output;
  if (output.width <= 0 || output.height <= 0 || IsTooLarge(output.width, output.height)) {
    return std::nullopt;
  }
  try {
    if (!IsRegularFile(path)) return std::nullopt;
    VImage header = OpenSource(path, VIPS_ACCESS_SEQUENTIAL);
    if (IsTooLarge(header.width(), header.height())) return std::nullopt;

    const std::vector<double> background = {
        static_cast<double>(std::clamp(rendering.background.red, 0, 255)),
        static_cast<double>(std::clamp(rendering.background.green, 0, 255)),
        static_cast<double>(std::clamp(rendering.background.blue, 0, 255))};
    const PhotoSize upright = UprightSize(header);
    PhotoRect rect = rendering.source;
    const bool outside = rect.x < 0 || rect.y < 0 || rect.x >= upright.width ||
                         rect.y >= upright.height || rect.width <= 0 || rect.height <= 0;
    if (!outside) {
      rect.width = std::min(rect.width, upright.width - rect.x);
      rect.height = std::min(rect.height, upright.height - rect.y);
    }

    VImage picture;
    if (outside) {
      // Nothing of the source falls into the result, which is then the background alone.
      picture = VImage::black(output.width, output.height, VImage::option()->set("bands", 3))
                    .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
                    .new_from_image(background);
    } else {
      picture = DrawSource(path, header, rect, output, background);
    }
    if (rendering.edge_ring) picture = PaintEdgeRing(picture, background);

    UniqueVipsBlob blob(picture.jpegsave_buffer(
        VImage::option()->set("Q", std::clamp(rendering.quality, 1, 100))->set("strip", true)));
    if (!blob) return std::nullopt;
    const VipsArea* area = VIPS_AREA(blob.get());
    return std::string(static_cast<const char*>(area->data), area->length);
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

}  // namespace gallery
