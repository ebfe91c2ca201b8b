#ifndef GALLERY_PLATFORM_IMAGE_H_
#define GALLERY_PLATFORM_IMAGE_H_

namespace gallery {}  // namespace gallery

#endif  // GALLERY_PLATFORM_IMAGE_H_
