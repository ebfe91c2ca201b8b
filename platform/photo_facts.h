#ifndef GALLERY_PLATFORM_PHOTO_FACTS_H_
#define GALLERY_PLATFORM_PHOTO_FACTS_H_

#include <string>
#include <string_view>

namespace gallery {

// What a photo's EXIF data says of how it was taken, each field's value as the file gives it
// (rationals as "1/200"), empty when missing. Nothing of where it was taken is ever read.
struct CPhotoFacts {
  std::string make;
  std::string model;
  std::string date_taken;     // "YYYY:MM:DD HH:MM:SS"
  std::string exposure_time;  // seconds
  std::string f_number;
  std::string iso;
  std::string focal_length;  // millimetres
};

// The facts of the photo in the file `path`, from its header alone; all empty when it cannot be
// opened as an image or has no EXIF data. The imaging library must be started.
CPhotoFacts ReadPhotoFacts(const std::string& path);

// The value at the front of an EXIF field as the imaging library shows it ("1/200 (1/200 sec.,
// Rational, 1 components, 8 bytes)" gives "1/200"), its spaces at either end trimmed.
std::string ExifFieldValue(std::string_view field);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_PHOTO_FACTS_H_
