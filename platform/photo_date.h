#ifndef GALLERY_PLATFORM_PHOTO_DATE_H_
#define GALLERY_PLATFORM_PHOTO_DATE_H_

#include <optional>
#include <string>
#include <string_view>

namespace gallery {

// When the photo in the file `path` was taken, from its EXIF data (the original date and time,
// else the date and time of the image), as "YYYY:MM:DD HH:MM:SS", so that texts sort in time
// order. Nothing when the file cannot be opened as an image or carries no usable date. Reads
// only the header; the imaging library must be started.
std::optional<std::string> ReadPhotoDateTaken(const std::string& path);

// The date at the front of an EXIF date field as the imaging library shows it (the value, then
// a description in brackets), or nothing when it does not start with a real date.
std::optional<std::string> ParseExifDate(std::string_view field);

}  // namespace gallery

#endif  // GALLERY_PLATFORM_PHOTO_DATE_H_
