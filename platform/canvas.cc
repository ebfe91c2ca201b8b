#include "platform/canvas.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include <vips/vips8>

#include "platform/file_system.h"
#include "platform/vips_handles.h"

namespace gallery {
namespace {

std::vector<double> Ink(int colour) {
  return {static_cast<double>(colour & 0xFF), static_cast<double>((colour >> 8) & 0xFF),
          static_cast<double>((colour >> 16) & 0xFF)};
}

// Drawing works in place, so every canvas keeps its pixels in memory of its own; the sRGB
// interpretation keeps the JPEG encoder from converting the colours.
vips::VImage PrivateMemoryCopy(const vips::VImage& image) {
  return image.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
      .copy_memory();
}

// The part of a rectangle that lies on a width x height canvas, computed wide so that no
// coordinate can overflow.
struct ClippedRect {
  int x;
  int y;
  int width;
  int height;
};

std::optional<ClippedRect> Clip(int x, int y, int width, int height, int canvas_width,
                                int canvas_height) {
  int64_t left = std::max<int64_t>(x, 0);
  int64_t top = std::max<int64_t>(y, 0);
  int64_t right = std::min<int64_t>(int64_t{x} + width, canvas_width);
  int64_t bottom = std::min<int64_t>(int64_t{y} + height, canvas_height);
  if (left >= right || top >= bottom) return std::nullopt;
  return ClippedRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                     static_cast<int>(bottom - top)};
}

// The remainder of `value` by `divisor`, in 0 to divisor - 1 also for negative values.
int FloorMod(int64_t value, int divisor) {
  int64_t rest = value % divisor;
  return static_cast<int>(rest < 0 ? rest + divisor : rest);
}

}  // namespace

struct CCanvas::Impl {
  vips::VImage image;
};

CCanvas::CCanvas(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
CCanvas::CCanvas(const CCanvas& other) = default;
CCanvas& CCanvas::operator=(const CCanvas& other) = default;
CCanvas::CCanvas(CCanvas&& other) noexcept = default;
CCanvas& CCanvas::operator=(CCanvas&& other) noexcept = default;
CCanvas::~CCanvas() = default;

std::optional<CCanvas> CCanvas::Filled(int width, int height, int colour) {
  if (width < 1 || height < 1) return std::nullopt;
  std::vector<unsigned char> black;
  try {
    black.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::optional<CCanvas> canvas = FromRgbPixels(black.data(), width, height);
  if (canvas && (colour & 0xFFFFFF) != 0 && !canvas->FillRectangle(0, 0, width, height, colour)) {
    return std::nullopt;
  }
  return canvas;
}

std::optional<CCanvas> CCanvas::FromRgbPixels(const unsigned char* pixels, int width, int height) {
  if (pixels == nullptr || width < 1 || height < 1) return std::nullopt;
  // The library takes 3 bands of 8 bits as sRGB, so no operation runs: each costs far more than
  // copying the pixels of a frame piece.
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
  VipsImage* image =
      vips_image_new_from_memory_copy(pixels, size, width, height, 3, VIPS_FORMAT_UCHAR);
  if (image == nullptr) return std::nullopt;
  return CCanvas(std::make_shared<Impl>(Impl{vips::VImage(image)}));
}

std::optional<CCanvas> CCanvas::FromBgrxPixels(const unsigned char* pixels, int width, int height) {
  if (pixels == nullptr || width < 1 || height < 1) return std::nullopt;
  try {
    size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    // libvips only reads the caller's bytes here; the private copy below owns its own memory.
    vips::VImage bgrx = vips::VImage::new_from_memory(const_cast<unsigned char*>(pixels), size,
                                                      width, height, 4, VIPS_FORMAT_UCHAR);
    vips::VImage rgb = vips::VImage::bandjoin({bgrx[2], bgrx[1], bgrx[0]});
    return CCanvas(std::make_shared<Impl>(Impl{PrivateMemoryCopy(rgb)}));
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

int CCanvas::width() const { return impl_->image.width(); }
int CCanvas::height() const { return impl_->image.height(); }

bool CCanvas::MakeUnique() {
  if (impl_.use_count() == 1) return true;
  try {
    impl_ = std::make_shared<Impl>(Impl{PrivateMemoryCopy(impl_->image)});
    return true;
  } catch (const vips::VError&) {
    return false;
  }
}

bool CCanvas::DrawLine(int x1, int y1, int x2, int y2, int colour) {
  if (!MakeUnique()) return false;
  try {
    impl_->image.draw_line(Ink(colour), x1, y1, x2, y2);
    return true;
  } catch (const vips::VError&) {
    return false;
  }
}

bool CCanvas::DrawRectangle(int x, int y, int width, int height, int colour) {
  if (width < 1 || height < 1) return true;
  if (!MakeUnique()) return false;
  try {
    impl_->image.draw_rect(Ink(colour), x, y, width, height);
    return true;
  } catch (const vips::VError&) {
    return false;
  }
}

bool CCanvas::FillRectangle(int x, int y, int width, int height, int colour) {
  std::optional<ClippedRect> area = Clip(x, y, width, height, this->width(), this->height());
  if (!area) return true;
  if (!MakeUnique()) return false;
  try {
    impl_->image.draw_rect(Ink(colour), area->x, area->y, area->width, area->height,
                           vips::VImage::option()->set("fill", true));
    return true;
  } catch (const vips::VError&) {
    return false;
  }
}

bool CCanvas::FillTiled(int x, int y, int width, int height, const CCanvas& tile, int origin_x,
                        int origin_y) {
  std::optional<ClippedRect> area = Clip(x, y, width, height, this->width(), this->height());
  if (!area) return true;
  if (!MakeUnique()) return false;
  try {
    vips::VImage pattern = tile.impl_->image;
    // Drawing reads the tile while it writes the canvas; they must not be the same pixels.
    if (tile.impl_ == impl_) pattern = PrivateMemoryCopy(pattern);
    const int tile_width = pattern.width();
    const int tile_height = pattern.height();
    // Where the clipped area's top-left pixel falls within its copy of the tile.
    const int skip_x = FloorMod(int64_t{area->x} - origin_x, tile_width);
    const int skip_y = FloorMod(int64_t{area->y} - origin_y, tile_height);
    const int across = (skip_x + area->width + tile_width - 1) / tile_width;
    const int down = (skip_y + area->height + tile_height - 1) / tile_height;
    vips::VImage cover =
        pattern.replicate(across, down).crop(skip_x, skip_y, area->width, area->height);
    impl_->image.draw_image(cover, area->x, area->y);
    return true;
  } catch (const vips::VError&) {
    return false;
  }
}

bool CCanvas::FlipVertically() {
  try {
    vips::VImage flipped = PrivateMemoryCopy(impl_->image.flip(VIPS_DIRECTION_VERTICAL));
    impl_ = std::make_shared<Impl>(Impl{flipped});
    return true;
  } catch (const vips::VError&) {
    return false;
  }
}

std::optional<int> CCanvas::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width() || y >= height()) return std::nullopt;
  try {
    std::vector<double> bands = impl_->image.getpoint(x, y);
    if (bands.size() < 3) return std::nullopt;
    return static_cast<int>(bands[0]) | static_cast<int>(bands[1]) << 8 |
           static_cast<int>(bands[2]) << 16;
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

std::optional<std::string> CCanvas::EncodeJpeg(int quality) const {
  try {
    UniqueVipsBlob blob(impl_->image.jpegsave_buffer(
        vips::VImage::option()->set("Q", std::clamp(quality, 1, 100))->set("strip", true)));
    if (!blob) return std::nullopt;
    size_t length = 0;
    const void* data = vips_blob_get(blob.get(), &length);
    return std::string(static_cast<const char*>(data), length);
  } catch (const vips::VError&) {
    return std::nullopt;
  }
}

bool SaveJpeg(const CCanvas& canvas, const std::string& path, int quality) {
  return TrySaveJpeg(canvas, path, quality) == WriteFailure::kNone;
}

WriteFailure TrySaveJpeg(const CCanvas& canvas, const std::string& path, int quality) {
  std::optional<std::string> bytes = canvas.EncodeJpeg(quality);
  return bytes ? TryWriteFileBytes(path, *bytes) : WriteFailure::kOther;
}

}  // namespace gallery
