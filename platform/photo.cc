#include "platform/photo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <new>
#include <string_view>
#include <vector>

#include <vips/vips8>

#include "platform/file_system.h"
#include "platform/image_source.h"
#include "platform/vips_handles.h"

namespace gallery {
namespace {

using vips::VImage;

// Computed wide, so that no product of two sides overflows.
bool Exceeds(int64_t width, int64_t height, int64_t max_pixels) {
  return width * height > max_pixels;
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

bool HasNonSrgbProfile(const VImage& image, const PhotoRules& rules) {
  if (image.get_typeof(VIPS_META_ICC_NAME) == 0) return false;
  if (rules.is_srgb_profile == nullptr) return true;
  size_t length = 0;
  const void* profile = image.get_blob(VIPS_META_ICC_NAME, &length);
  return !rules.is_srgb_profile(static_cast<const unsigned char*>(profile), length);
}

VImage ToSrgb(VImage image, const PhotoRules& rules) {
  if (HasNonSrgbProfile(image, rules)) {
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
VImage ToOpaqueSrgb(const VImage& image, const std::vector<double>& background,
                    const PhotoRules& rules) {
  if (!image.has_alpha()) return ToSrgb(image, rules);
  const int colour_bands = image.bands() - 1;
  VImage colour = ToSrgb(image.extract_band(0, VImage::option()->set("n", colour_bands)), rules);
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

// `picture` scaled by `scale_x` and `scale_y` (each above 0).
VImage Resample(const VImage& picture, double scale_x, double scale_y, bool cubic) {
  vips::VOption* options = VImage::option()->set("vscale", scale_y);
  if (cubic) options->set("kernel", VIPS_KERNEL_CUBIC);
  return picture.resize(scale_x, options);
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

VImage DrawSource(const std::string& path, const SourceFile& file, const VImage& header,
                  PhotoRect rect, const std::vector<double>& background,
                  const PhotoRendering& rendering) {
  const PhotoSize output = rendering.output;
  const PhotoRules& rules = rendering.rules;
  const int orientation = Orientation(header);
  // Decoding at a reduced size is kept to the page images this program wrote, unless asked for
  // any source: on damaged files this library version now and then loses the error of a
  // truncated source and encodes a half-grey image. So every source decoded so must end as a
  // whole JPEG file does.
  // Turning or flipping upside down reads rows out of order, which a streamed source cannot
  // serve; a mirror image (orientation 2) still can.
  const int factor = (rendering.own_jpeg_source || rendering.reduced_decoding) && file.whole_jpeg &&
                             orientation == 1 && rules.reduced_decoding_factor != nullptr
                         ? rules.reduced_decoding_factor(UprightSize(header), rect, output)
                         : 1;
  VImage picture = header;
  if (factor > 1) {
    picture =
        VImage::jpegload(ToSystemPath(path).c_str(), VImage::option()
                                                         ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                         ->set("fail_on", VIPS_FAIL_ON_ERROR)
                                                         ->set("shrink", factor));
    const bool whole = rect.width == header.width() && rect.height == header.height();
    rect = whole ? PhotoRect{0, 0, picture.width(), picture.height()}
                 : PhotoRect{rect.x / factor, rect.y / factor, rect.width / factor,
                             rect.height / factor};
  } else if (orientation > 2) {
    picture = OpenImageSource(path, file, VIPS_ACCESS_RANDOM, rules.max_pixels);
  }
  if (orientation != 1) picture = picture.autorot();
  picture = ToOpaqueSrgb(picture, background, rules);

  // The caller has cut `rect` to the source, so it lies inside the picture.
  if (rect.x != 0 || rect.y != 0 || rect.width != picture.width() ||
      rect.height != picture.height()) {
    picture = picture.crop(rect.x, rect.y, rect.width, rect.height);
  }
  const double scale_x = static_cast<double>(output.width) / rect.width;
  const double scale_y = static_cast<double>(output.height) / rect.height;
  if (scale_x != 1.0 || scale_y != 1.0) {
    picture = Resample(picture, scale_x, scale_y, rendering.cubic_resampling);
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

std::optional<PhotoHeader> ReadPhotoHeader(const std::string& path, int64_t max_pixels) {
  try {
    const SourceFile file = InspectSourceFile(path);
    if (!file.regular) return std::nullopt;
    if (file.format == PhotoFormat::kBmp) {
      // Bitmaps carry no orientation. Whether the data holds what the header says is found
      // when the pixels are decoded.
      if (!file.bmp_size || Exceeds(file.bmp_size->width, file.bmp_size->height, max_pixels)) {
        return std::nullopt;
      }
      return PhotoHeader{{file.bmp_size->width, file.bmp_size->height}, file.format, false};
    }
    VImage header = OpenImageSource(path, file, VIPS_ACCESS_SEQUENTIAL, max_pixels);
    if (Exceeds(header.width(), header.height(), max_pixels)) return std::nullopt;
    // A progressive JPEG file keeps every coefficient of the photo until its last scan.
    const bool progressive_jpeg = file.format == PhotoFormat::kJpeg &&
                                  header.get_typeof("interlaced") != 0 &&
                                  header.get_int("interlaced") != 0;
    const bool in_row_order = (file.format == PhotoFormat::kJpeg && !progressive_jpeg) ||
                              (file.format == PhotoFormat::kPng && !file.interlaced_png);
    return PhotoHeader{UprightSize(header), file.format, in_row_order && Orientation(header) <= 2};
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

std::optional<PhotoSize> ReadPhotoSize(const std::string& path, int64_t max_pixels) {
  const std::optional<PhotoHeader> header = ReadPhotoHeader(path, max_pixels);
  if (!header) return std::nullopt;
  return header->size;
}

namespace {

// The finished pipeline of `rendering`, not yet run, or nothing when no output can be made.
std::optional<VImage> BuildPicture(const std::string& path, const PhotoRendering& rendering) {
  const PhotoSize output = rendering.output;
  const int64_t max_pixels = rendering.rules.max_pixels;
  if (output.width <= 0 || output.height <= 0 || Exceeds(output.width, output.height, max_pixels)) {
    return std::nullopt;
  }
  const SourceFile file = InspectSourceFile(path);
  if (!file.regular) return std::nullopt;
  VImage header = OpenImageSource(path, file, VIPS_ACCESS_SEQUENTIAL, max_pixels);
  if (Exceeds(header.width(), header.height(), max_pixels)) return std::nullopt;

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
    picture = DrawSource(path, file, header, rect, background, rendering);
  }
  if (rendering.edge_ring) picture = PaintEdgeRing(picture, background);
  return picture;
}

vips::VOption* JpegOptions(const PhotoRendering& rendering) {
  return VImage::option()->set("Q", std::clamp(rendering.quality, 1, 100))->set("strip", true);
}

}  // namespace

std::optional<std::string> RenderPhotoJpeg(const std::string& path,
                                           const PhotoRendering& rendering) {
  try {
    std::optional<VImage> picture = BuildPicture(path, rendering);
    if (!picture) return std::nullopt;
    UniqueVipsBlob blob(picture->jpegsave_buffer(JpegOptions(rendering)));
    if (!blob) return std::nullopt;
    const VipsArea* area = VIPS_AREA(blob.get());
    return std::string(static_cast<const char*>(area->data), area->length);
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

namespace {

// True for an error of the imaging library (or of a codec under it) that says it ran out of
// memory: under an address-space limit that is where a large photo fails.
bool IsMemoryError(const vips::VError& error) {
  const std::string_view text = error.what();
  return text.find("out of memory") != std::string_view::npos ||
         text.find("Insufficient memory") != std::string_view::npos ||
         text.find("Cannot allocate memory") != std::string_view::npos;
}

}  // namespace

CPhotoSaveResult SavePhotoJpeg(const std::string& path, const PhotoRendering& rendering,
                               const std::string& target) {
  try {
    std::optional<VImage> picture = BuildPicture(path, rendering);
    if (!picture) return {PhotoSave::kFailed};
    PhotoSave encoding = PhotoSave::kSaved;
    // The encoder writes straight into the temporary file: no copy of the whole JPEG is held.
    const WriteFailure written = TryWriteFileWith(target, [&](int descriptor) {
      try {
        picture->jpegsave_target(vips::VTarget::new_to_descriptor(descriptor),
                                 JpegOptions(rendering));
        return true;
      } catch (const vips::VError& error) {
        encoding = IsMemoryError(error) ? PhotoSave::kNoMemory : PhotoSave::kFailed;
        return false;
      } catch (const std::bad_alloc&) {
        encoding = PhotoSave::kNoMemory;
        return false;
      }
    });
    if (written == WriteFailure::kNone) return {PhotoSave::kSaved};
    // The encoder stops alike when it cannot write and when decoding fails: the file tried
    // once more tells which (kOther when it could still grow).
    if (encoding != PhotoSave::kSaved && written == WriteFailure::kOther) return {encoding};
    return {PhotoSave::kNotWritten, written};
  } catch (const vips::VError& error) {
    return {IsMemoryError(error) ? PhotoSave::kNoMemory : PhotoSave::kFailed};
  } catch (const std::bad_alloc&) {
    return {PhotoSave::kNoMemory};
  }
}

std::string ReadPhotoExtension(const std::string& path) {
  char head[kPhotoFormatHeadSize];
  ssize_t length = -1;
  const int fd = open(ToSystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) length = pread(fd, head, sizeof head, 0);
    close(fd);
  }
  if (length <= 0) return {};
  return std::string(PhotoFormatExtension({head, static_cast<size_t>(length)}));
}

}  // namespace gallery
