#include "imaging/photo_memory.h"

#include <algorithm>

namespace gallery {
namespace {

int64_t BytesPerPixel(PhotoFormat format) {
  switch (format) {
    case PhotoFormat::kGif:
      return 6;
    case PhotoFormat::kHeif:
    case PhotoFormat::kJpegXl:
      return 10;
    case PhotoFormat::kWebp:
      return 16;
    case PhotoFormat::kBmp:
      return 20;
    case PhotoFormat::kJpeg:
    case PhotoFormat::kPng:
    case PhotoFormat::kTiff:
    case PhotoFormat::kUnknown:
      break;
  }
  return 4;
}

}  // namespace

int64_t PhotoMemoryNeed(const PhotoHeader& header) {
  const int64_t width = std::max(header.size.width, 0);
  const int64_t height = std::max(header.size.height, 0);
  if (header.streamed) {
    // Decoder, colour conversion, resampler and encoder each hold a few rows. The upright
    // width is the stored one, since a streamed source is at most mirrored.
    return (int64_t{4} << 20) + width * 3584;
  }
  return (int64_t{12} << 20) + width * height * BytesPerPixel(header.format);
}

bool MayStartPhoto(int64_t need, int64_t need_in_flight, int photos_in_flight) {
  return photos_in_flight <= 0 || need <= kPhotosAtOnceMemory - need_in_flight;
}

PhotoMemoryPlan PlanPhotoMemory(std::optional<int64_t> headroom) {
  if (!headroom) return {};
  const int64_t for_photos = std::max<int64_t>(0, *headroom - kRunMemoryReserve);
  const int in_flight = for_photos >= kTwoPhotosMemory ? 2 : 1;
  return {in_flight, for_photos / in_flight};
}

}  // namespace gallery
