// Opens arbitrary bytes as a photo source, renders its page image and a thumbnail of it, and
// checks that whatever is made is a whole JPEG of exactly the size asked for.
#include <stddef.h>
#include <stdint.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include <vips/vips8>

#include "imaging/photo_rules.h"
#include "imaging/scaled_photo.h"
#include "platform/imaging_runtime.h"
#include "platform/photo.h"

namespace {

// Larger sources are only opened: decoding them takes longer than a fuzzer input should.
constexpr int64_t kMaxRenderedPixels = int64_t{1} << 20;

void CheckJpeg(const std::optional<std::string>& jpeg, gallery::PhotoSize size) {
  if (!jpeg) return;
  try {
    vips::VImage image = vips::VImage::new_from_buffer(
        *jpeg, "", vips::VImage::option()->set("fail_on", VIPS_FAIL_ON_ERROR));
    if (image.width() != size.width || image.height() != size.height || image.bands() != 3) {
      std::abort();
    }
    static_cast<void>(image.avg());  // decodes every pixel
  } catch (const vips::VError&) {
    std::abort();  // what this program wrote must decode
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static gallery::CImagingRuntime imaging;
  // The source lives in memory but is opened by name, as every photo is.
  const int fd = memfd_create("photo", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (write(fd, data, size) != static_cast<ssize_t>(size)) {
    close(fd);
    return 0;
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  const std::optional<gallery::PhotoHeader> header =
      gallery::ReadPhotoHeader(path, gallery::kMaxPhotoPixels);
  if (header && header->size.width > 0 && header->size.height > 0 &&
      int64_t{header->size.width} * header->size.height <= kMaxRenderedPixels) {
    const gallery::PhotoSize source = header->size;
    // The page image: the whole source at its own size, the last input byte choosing the frame.
    gallery::PhotoRendering page;
    page.output = source;
    page.source = {0, 0, source.width, source.height};
    page.background = gallery::ToPhotoColor(0x336699);
    page.edge_ring = size > 0 && data[size - 1] % 2 == 0;
    page.quality = 85;
    page.rules = gallery::kPhotoRules;
    const std::optional<std::string> page_jpeg = gallery::RenderPhotoJpeg(path, page);
    CheckJpeg(page_jpeg, page.output);
    // Thumbnails are made from the page image, which may be decoded at a reduced size.
    const int page_fd = page_jpeg ? memfd_create("page", MFD_CLOEXEC) : -1;
    if (page_fd >= 0 && write(page_fd, page_jpeg->data(), page_jpeg->size()) ==
                            static_cast<ssize_t>(page_jpeg->size())) {
      const gallery::ScaledPhotoLayout layout = gallery::LayOutScaledPhoto(1, {64, 48}, source);
      gallery::PhotoRendering thumbnail = page;
      thumbnail.output = layout.output;
      thumbnail.source = layout.source;
      thumbnail.own_jpeg_source = true;
      if (layout.output.width > 0 && layout.output.height > 0) {
        CheckJpeg(gallery::RenderPhotoJpeg("/proc/self/fd/" + std::to_string(page_fd), thumbnail),
                  thumbnail.output);
      }
    }
    if (page_fd >= 0) close(page_fd);

    // A thumbnail by each scaling rule, cropped from the top-left corner by rule 2.
    for (int rule = 0; rule <= 2; ++rule) {
      const gallery::ScaledPhotoLayout layout = gallery::LayOutScaledPhoto(rule, {64, 48}, source);
      if (layout.output.width <= 0 || layout.output.height <= 0) continue;
      gallery::PhotoRendering thumbnail = page;
      thumbnail.output = layout.output;
      thumbnail.source = layout.source;
      CheckJpeg(gallery::RenderPhotoJpeg(path, thumbnail), thumbnail.output);
    }
  }
  close(fd);
  return 0;
}
