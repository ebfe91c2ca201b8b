#include "imaging/photo_rules.h"

#include <cstring>

namespace gallery {
namespace {

uint32_t BigEndian32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

}  // namespace

bool IsTooLarge(int64_t width, int64_t height) { return width * height > kMaxPhotoPixels; }

// Converting from a profile that is sRGB already changes nothing but costs a colour transform
// of every pixel, which is what this test saves.
bool IsSrgbProfile(const unsigned char* profile, size_t length) {
  if (length < 132 || std::memcmp(profile + 16, "RGB ", 4) != 0) return false;
  const uint32_t tag_count = BigEndian32(profile + 128);
  for (uint32_t i = 0; i < tag_count && 132 + 12 * (size_t{i} + 1) <= length; ++i) {
    const unsigned char* entry = profile + 132 + 12 * size_t{i};
    if (std::memcmp(entry, "desc", 4) != 0) continue;
    const size_t offset = BigEndian32(entry + 4);
    const size_t size = BigEndian32(entry + 8);
    if (offset > length || size > length - offset || size < 12) return false;
    const unsigned char* tag = profile + offset;
    if (std::memcmp(tag, "desc", 4) == 0) {
      return size >= 16 && std::memcmp(tag + 12, "sRGB", 4) == 0;
    }
    if (std::memcmp(tag, "mluc", 4) == 0 && size >= 28) {
      // The first record's text, UTF-16 big-endian.
      const size_t text_length = BigEndian32(tag + 20);
      const size_t text_offset = BigEndian32(tag + 24);
      if (text_length < 8 || text_offset > size || text_length > size - text_offset) return false;
      const unsigned char* text = tag + text_offset;
      const char expected[] = "sRGB";
      for (int c = 0; c < 4; ++c) {
        if (text[2 * c] != 0 || text[2 * c + 1] != expected[c]) return false;
      }
      return true;
    }
    return false;
  }
  return false;
}

int ReducedDecodingFactor(PhotoSize upright, PhotoRect rect, PhotoSize output) {
  const bool whole =
      rect.x == 0 && rect.y == 0 && rect.width == upright.width && rect.height == upright.height;
  for (int factor : {8, 4, 2}) {
    const bool on_whole_pixels = whole || (rect.x % factor == 0 && rect.y % factor == 0 &&
                                           rect.width % factor == 0 && rect.height % factor == 0);
    if (on_whole_pixels && rect.width / factor >= output.width &&
        rect.height / factor >= output.height) {
      return factor;
    }
  }
  return 1;
}

}  // namespace gallery
