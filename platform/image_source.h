#ifndef GALLERY_PLATFORM_IMAGE_SOURCE_H_
#define GALLERY_PLATFORM_IMAGE_SOURCE_H_

#include <cstdint>
#include <optional>
#include <string>

#include <vips/vips8>

#include "platform/photo_format.h"

namespace gallery {

// What one look at a source file tells before the imaging library opens it.
struct SourceFile {
  bool regular = false;  // a plain file: a FIFO or device in a photo's place is never read
  PhotoFormat format = PhotoFormat::kUnknown;  // declared by the file's first bytes
  bool whole_jpeg = false;  // a JPEG that ends with an end-of-image marker, as complete ones do
  bool interlaced_png = false;           // a PNG stored in passes, which is decoded whole
  std::optional<DeclaredSize> bmp_size;  // of a bitmap, from its header
};

SourceFile InspectSourceFile(const std::string& path);

// Opens the regular file `file` describes for decoding; only its header is read now. Each
// photo format goes to its own loader alone, chosen from the file's content, never from its
// name; a file in no photo format is opened by nothing. The bitmap decoder reads every pixel
// before it tells the size, so a bitmap declaring more than `max_pixels` pixels is refused
// from its header first. Throws vips::VError when the format is unknown, its loader is missing,
// the header cannot be read or the bitmap is refused.
vips::VImage OpenImageSource(const std::string& path, const SourceFile& file, VipsAccess access,
                             int64_t max_pixels);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_IMAGE_SOURCE_H_
