#ifndef GALLERY_IMAGING_PHOTO_RULES_H_
#define GALLERY_IMAGING_PHOTO_RULES_H_

#include <cstddef>
#include <cstdint>

#include "platform/photo.h"

namespace gallery {

// A source that declares more than kMaxPhotoPixels pixels (256 megapixels: a 16384 x 16384
// image) counts as undecodable, so that a small file declaring a huge image is refused from its
// header alone instead of being decoded. No output larger than that is made either.
inline constexpr int64_t kMaxPhotoPixels = int64_t{1} << 28;

// True when a `width` x `height` image has more than kMaxPhotoPixels pixels. Sides are taken
// as they come; a caller refuses sides under 1 on its own.
bool IsTooLarge(int64_t width, int64_t height);

// Whether the ICC profile of `length` bytes at `profile` describes itself as sRGB ("sRGB
// IEC61966-2.1" and its kin): its description tag, in the plain text of version 2 profiles or
// the UTF-16 of version 4, begins with "sRGB". False for anything that is not an RGB profile
// with such a tag inside its `length` bytes, however damaged; reads nothing past them.
bool IsSrgbProfile(const unsigned char* profile, size_t length);

// The largest factor (8, 4, 2 or 1) by which a JPEG decoder may shrink a source of `upright`
// size while `rect` of it stays on whole shrunk pixels and no smaller than `output`. The whole
// source is on whole pixels at any factor: the decoder rounds its shrunk sides itself.
int ReducedDecodingFactor(PhotoSize upright, PhotoRect rect, PhotoSize output);

// The rules above, as the photo adapter takes them.
inline constexpr PhotoRules kPhotoRules = {kMaxPhotoPixels, &IsSrgbProfile, &ReducedDecodingFactor};

}  // namespace gallery

#endif  // GALLERY_IMAGING_PHOTO_RULES_H_
