#include "platform/photo_facts.h"

#include <vips/vips8>

#include "platform/image_source.h"

namespace gallery {

std::string ExifFieldValue(std::string_view field) {
  // The library writes the value, then its description in brackets.
  field = field.substr(0, field.find(" ("));
  const size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(field.substr(first, field.find_last_not_of(' ') - first + 1));
}

CPhotoFacts ReadPhotoFacts(const std::string& path) {
  CPhotoFacts facts;
  try {
    const SourceFile file = InspectSourceFile(path);
    if (!file.regular) return facts;
    // With no pixels allowed, a bitmap (which has no EXIF data) is not decoded either.
    const vips::VImage image = OpenImageSource(path, file, VIPS_ACCESS_SEQUENTIAL, 0);
    const std::pair<const char*, std::string*> fields[] = {
        {"exif-ifd0-Make", &facts.make},
        {"exif-ifd0-Model", &facts.model},
        {"exif-ifd2-DateTimeOriginal", &facts.date_taken},
        {"exif-ifd2-ExposureTime", &facts.exposure_time},
        {"exif-ifd2-FNumber", &facts.f_number},
        {"exif-ifd2-ISOSpeedRatings", &facts.iso},
        {"exif-ifd2-FocalLength", &facts.focal_length},
    };
    for (const auto& [name, value] : fields) {
      if (image.get_typeof(name) != 0) *value = ExifFieldValue(image.get_string(name));
    }
  } catch (const vips::VError&) {
    // A file whose header cannot be read tells nothing.
  }
  return facts;
}

}  // namespace gallery
