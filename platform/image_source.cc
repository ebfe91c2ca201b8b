#include "platform/image_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/imaging_runtime.h"

namespace gallery {
namespace {

using vips::VImage;

// Decoding stops with an error on damaged or truncated data rather than filling the rest with
// grey.
vips::VOption* SourceOptions(VipsAccess access) {
  return VImage::option()->set("access", access)->set("fail_on", VIPS_FAIL_ON_ERROR);
}

VImage OpenAnyFormat(const std::string& system_path, VipsAccess access) {
  // The library reads options from a trailing "[...]" of a file name, so a photo called
  // "beach[1]" is opened as a stream instead, which needs no name (but misses the few formats
  // that have no stream loader).
  if (!system_path.empty() && system_path.back() == ']') {
    return VImage::new_from_source(vips::VSource::new_from_file(system_path.c_str()), "",
                                   SourceOptions(access));
  }
  return VImage::new_from_file(system_path.c_str(), SourceOptions(access));
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
    unsigned char start[3] = {0, 0, 0};
    unsigned char end[2] = {0, 0};
    file.jpeg = info.st_size >= 4 && pread(fd, start, 3, 0) == 3 && start[0] == 0xFF &&
                start[1] == 0xD8 && start[2] == 0xFF;
    file.whole_jpeg = file.jpeg && pread(fd, end, 2, info.st_size - 2) == 2 && end[0] == 0xFF &&
                      end[1] == 0xD9;
  }
  close(fd);
  return file;
}

VImage OpenImageSource(const std::string& path, const SourceFile& file, VipsAccess access) {
  const std::string system_path = ToSystemPath(path);
  // Nearly every photo is a JPEG. Finding a loader for it by asking every loader in turn would
  // open the file a dozen times or more.
  if (file.jpeg) return VImage::jpegload(system_path.c_str(), SourceOptions(access));
  const bool had_modules = FormatModulesLoaded();
  try {
    return OpenAnyFormat(system_path, access);
  } catch (const vips::VError&) {
    if (had_modules) throw;
  }
  LoadFormatModules();
  return OpenAnyFormat(system_path, access);
}

}  // namespace gallery
