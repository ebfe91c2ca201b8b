#include "platform/image_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <optional>

#include "platform/file_system.h"
#include "platform/imaging_runtime.h"
#include "platform/vips_handles.h"

namespace gallery {
namespace {

using vips::VImage;

// Decoding stops with an error on damaged or truncated data rather than filling the rest with
// grey.
vips::VOption* SourceOptions(VipsAccess access) {
  return VImage::option()->set("access", access)->set("fail_on", VIPS_FAIL_ON_ERROR);
}

// The library has no bitmap loader of its own; ImageMagick's is reached through its loader
// module. It is handed the bytes, never the file name: ImageMagick picks its reader from the
// data, which the caller has found to be a bitmap, and has no name whose suffix or prefix it
// could take as a format.
VImage OpenBmp(const std::string& system_path, const SourceFile& file, VipsAccess access,
               int64_t max_pixels) {
  if (!file.bmp_size || int64_t{file.bmp_size->width} * file.bmp_size->height > max_pixels) {
    throw vips::VError("too large");
  }
  if (!LoadFormatModule(FormatModule::kMagick)) throw vips::VError("no bitmap loader");
  const std::optional<std::string> bytes = ReadFileBytes(system_path);
  if (!bytes) throw vips::VError("unreadable");
  // The loaded image keeps its own reference to the bytes.
  UniqueVipsBlob blob(vips_blob_copy(bytes->data(), bytes->size()));
  return VImage::magickload_buffer(blob.get(), SourceOptions(access));
}

}  // namespace

SourceFile InspectSourceFile(const std::string& path) {
  SourceFile file;
  // Not blocking: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = open(ToSystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return file;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    file.regular = true;
    char head[kPhotoFormatHeadSize];
    const ssize_t length = pread(fd, head, sizeof head, 0);
    if (length > 0) file.format = SniffPhotoFormat({head, static_cast<size_t>(length)});
    // The interlace method is the last byte of the header chunk, which comes first.
    file.interlaced_png = file.format == PhotoFormat::kPng && length > 28 && head[28] != 0;
    if (file.format == PhotoFormat::kBmp) {
      file.bmp_size = DeclaredBmpSize({head, static_cast<size_t>(length)});
    }
    unsigned char end[2] = {0, 0};
    file.whole_jpeg = file.format == PhotoFormat::kJpeg && info.st_size >= 4 &&
                      pread(fd, end, 2, info.st_size - 2) == 2 && end[0] == 0xFF && end[1] == 0xD9;
  }
  close(fd);
  return file;
}

VImage OpenImageSource(const std::string& path, const SourceFile& file, VipsAccess access,
                       int64_t max_pixels) {
  // Named loaders take the file name as it is: a "[...]" at its end is part of the name, not
  // loader options.
  const std::string system_path = ToSystemPath(path);
  const char* name = system_path.c_str();
  switch (file.format) {
    case PhotoFormat::kJpeg:
      return VImage::jpegload(name, SourceOptions(access));
    case PhotoFormat::kPng:
      return VImage::pngload(name, SourceOptions(access));
    case PhotoFormat::kGif:
      return VImage::gifload(name, SourceOptions(access));
    case PhotoFormat::kTiff:
      return VImage::tiffload(name, SourceOptions(access));
    case PhotoFormat::kWebp:
      return VImage::webpload(name, SourceOptions(access));
    case PhotoFormat::kHeif:
      if (!LoadFormatModule(FormatModule::kHeif)) break;
      return VImage::heifload(name, SourceOptions(access));
    case PhotoFormat::kJpegXl:
      if (!LoadFormatModule(FormatModule::kJpegXl)) break;
      return VImage::jxlload(name, SourceOptions(access));
    case PhotoFormat::kBmp:
      return OpenBmp(system_path, file, access, max_pixels);
    case PhotoFormat::kUnknown:
      break;
  }
  throw vips::VError("not a photo format");
}

}  // namespace gallery
