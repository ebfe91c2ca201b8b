#include "platform/photo_date.h"

#include <cctype>

#include <vips/vips8>

#include "platform/image_source.h"

namespace gallery {
namespace {

constexpr std::string_view kDatePattern = "dddd:dd:dd dd:dd:dd";

// The fields in order of preference: the moment the shutter opened, then when the file was made.
constexpr const char* kDateFields[] = {"exif-ifd2-DateTimeOriginal", "exif-ifd0-DateTime"};

}  // namespace

std::optional<std::string> ParseExifDate(std::string_view field) {
  if (field.size() < kDatePattern.size()) return std::nullopt;
  for (size_t i = 0; i < kDatePattern.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(field[i]);
    bool fits = kDatePattern[i] == 'd' ? std::isdigit(c) != 0 : field[i] == kDatePattern[i];
    if (!fits) return std::nullopt;
  }
  std::string date(field.substr(0, kDatePattern.size()));
  // Cameras without a set clock write zeros; that is no date at all.
  if (date.compare(0, 4, "0000") == 0) return std::nullopt;
  return date;
}

std::optional<std::string> ReadPhotoDateTaken(const std::string& path) {
  try {
    const SourceFile file = InspectSourceFile(path);
    if (!file.regular) return std::nullopt;
    // Bitmaps carry no EXIF data, so with no pixels allowed none is decoded for a date.
    const vips::VImage image = OpenImageSource(path, file, VIPS_ACCESS_SEQUENTIAL, 0);
    for (const char* name : kDateFields) {
      if (image.get_typeof(name) == 0) continue;
      if (std::optional<std::string> date = ParseExifDate(image.get_string(name))) return date;
    }
  } catch (const vips::VError&) {
    // A file that is no image, or whose header cannot be read, simply has no date.
  }
  return std::nullopt;
}

}  // namespace gallery
