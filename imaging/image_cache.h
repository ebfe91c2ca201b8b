#ifndef GALLERY_IMAGING_IMAGE_CACHE_H_
#define GALLERY_IMAGING_IMAGE_CACHE_H_

#include <string>

#include "imaging/scaled_photo.h"

namespace gallery {

// A store of page images and thumbnails made by earlier runs. The core calls it in place of
// `WriteScaledPhoto`; what it keeps and where is the implementation's business. Called from
// several image workers at once.
class IImageCache {
 public:
  virtual ~IImageCache() = default;
  // Puts at `path` the image that WriteScaledPhoto(settings, source, path, mode) would write,
  // from a stored copy when one is valid, else by making it and storing it.
  // `origin` is the photo's own source file (the thumbnail's `source` is the page image).
  virtual CScaledPhoto FetchOrMake(const CImageSettings& settings, const std::string& origin,
                                   const std::string& source, const std::string& path,
                                   int mode) = 0;
};

// A text that names every field of `settings`, the same on every run and every machine for the
// same values, and different whenever any field differs. Touches no file.
std::string ImageSettingsKey(const CImageSettings& settings);

}  // namespace gallery

#endif  // GALLERY_IMAGING_IMAGE_CACHE_H_
