#ifndef GALLERY_PLATFORM_VIPS_HANDLES_H_
#define GALLERY_PLATFORM_VIPS_HANDLES_H_

// Owners of what libvips hands out raw, for the platform sources and the tests: nothing of
// libvips leaves platform/. Images need none: vips::VImage counts its own references.

#include <memory>

#include <vips/vips8>

namespace gallery {

// A blob from vips_blob_copy or jpegsave_buffer; its bytes live until the last reference goes.
struct VipsBlobUnref {
  void operator()(VipsBlob* blob) const { vips_area_unref(VIPS_AREA(blob)); }
};
using UniqueVipsBlob = std::unique_ptr<VipsBlob, VipsBlobUnref>;

}  // namespace gallery

#endif  // GALLERY_PLATFORM_VIPS_HANDLES_H_
