#ifndef GALLERY_IMAGING_PHOTO_MEMORY_H_
#define GALLERY_IMAGING_PHOTO_MEMORY_H_

#include <cstdint>
#include <optional>

#include "platform/photo.h"

namespace gallery {

// Address space a run keeps for what is not a photo: the frame pieces and buttons drawn while
// photos are made, pages, the collection documents and the imaging library's idle threads.
inline constexpr int64_t kRunMemoryReserve = int64_t{24} << 20;

// Above this much room for photos two are made at once; below it, one, which then gets it all.
inline constexpr int64_t kTwoPhotosMemory = int64_t{512} << 20;

// The bytes of address space that making the page image or the thumbnail of a source needs at
// its peak, from the peaks measured for sources of 2 to 32 megapixels of each kind, with a margin
// of 8 to 40 per cent:
//   streamed (`PhotoHeader::streamed`): 4 MiB + 3.5 KiB for each pixel of its width;
//   decoded whole: 12 MiB + for each pixel 4 bytes (JPEG, PNG, TIFF), 6 (GIF), 10 (HEIF,
//   JPEG XL), 16 (WebP) or 20 (BMP, which goes through a 16-bit-per-channel decoder).
int64_t PhotoMemoryNeed(const PhotoHeader& header);

// The most the photos made at the same time may need together, by PhotoMemoryNeed, unless one
// alone needs more: a progressive JPEG file of 24 megapixels holds all its coefficients while
// it is decoded (up to 144 MB without chroma subsampling), so two of them at once would double
// the run's peak; one of them and a streamed photo fit.
inline constexpr int64_t kPhotosAtOnceMemory = int64_t{160} << 20;

// Whether a photo needing `need` bytes may start while `photos_in_flight` others needing
// `need_in_flight` in all are being made: always when none is, else only within
// kPhotosAtOnceMemory.
bool MayStartPhoto(int64_t need, int64_t need_in_flight, int photos_in_flight);

// How the memory left for photos is shared out.
struct PhotoMemoryPlan {
  int photos_in_flight = 2;             // photos made at the same time
  int64_t bytes_per_photo = INT64_MAX;  // no photo needing more may be made
};

// The plan for `headroom` bytes of address space free once the imaging library has started
// (nothing: no limit, so no photo is refused for its memory). Any two photos the plan admits
// fit together, so the photos made do not depend on which ones happen to run at once.
PhotoMemoryPlan PlanPhotoMemory(std::optional<int64_t> headroom);

}  // namespace gallery

#endif  // GALLERY_IMAGING_PHOTO_MEMORY_H_
