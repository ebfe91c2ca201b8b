#include "imaging/photo_memory.h"

#include <cstdint>
#include <optional>

#include <gtest/gtest.h>

namespace gallery {
namespace {

constexpr int64_t kMiB = int64_t{1} << 20;

TEST(PhotoMemoryNeedTest, StreamedSourcesNeedRowsAndOthersTheirPixels) {
  const struct {
    PhotoHeader header;
    int64_t expected;
  } cases[] = {
      // Streamed: only the width counts.
      {{{2560, 1600}, PhotoFormat::kJpeg, true}, 4 * kMiB + 2560 * 3584},
      {{{2560, 16000}, PhotoFormat::kJpeg, true}, 4 * kMiB + 2560 * 3584},
      {{{16384, 16384}, PhotoFormat::kPng, true}, 4 * kMiB + 16384 * 3584},
      // A turned JPEG or interlaced PNG is decoded whole.
      {{{4000, 3000}, PhotoFormat::kJpeg, false}, 12 * kMiB + int64_t{12000000} * 4},
      {{{4000, 3000}, PhotoFormat::kPng, false}, 12 * kMiB + int64_t{12000000} * 4},
      {{{4000, 3000}, PhotoFormat::kTiff, false}, 12 * kMiB + int64_t{12000000} * 4},
      {{{4000, 3000}, PhotoFormat::kGif, false}, 12 * kMiB + int64_t{12000000} * 6},
      {{{4000, 3000}, PhotoFormat::kHeif, false}, 12 * kMiB + int64_t{12000000} * 10},
      {{{4000, 3000}, PhotoFormat::kJpegXl, false}, 12 * kMiB + int64_t{12000000} * 10},
      {{{4000, 3000}, PhotoFormat::kWebp, false}, 12 * kMiB + int64_t{12000000} * 16},
      {{{4000, 3000}, PhotoFormat::kBmp, false}, 12 * kMiB + int64_t{12000000} * 20},
      // The largest source admitted at all does not overflow.
      {{{16384, 16384}, PhotoFormat::kBmp, false}, 12 * kMiB + (int64_t{1} << 28) * 20},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(test.expected, PhotoMemoryNeed(test.header))
        << static_cast<int>(test.header.format) << " " << test.header.size.width << "x"
        << test.header.size.height << (test.header.streamed ? " streamed" : "");
  }
}

TEST(MayStartPhotoTest, KeepsTwoProgressiveCameraPhotosApart) {
  const PhotoHeader progressive = {{6000, 4000}, PhotoFormat::kJpeg, false};
  const PhotoHeader smaller_progressive = {{4000, 3000}, PhotoFormat::kJpeg, false};
  const PhotoHeader streamed = {{6000, 4000}, PhotoFormat::kJpeg, true};
  const int64_t large = PhotoMemoryNeed(progressive);
  // Alone, any photo starts, even one needing more than all photos together may.
  EXPECT_TRUE(MayStartPhoto(large, 0, 0));
  EXPECT_TRUE(MayStartPhoto(kPhotosAtOnceMemory * 4, 0, 0));
  // Streamed photos beside anything a camera makes.
  EXPECT_TRUE(MayStartPhoto(PhotoMemoryNeed(streamed), large, 1));
  EXPECT_TRUE(MayStartPhoto(large, PhotoMemoryNeed(streamed), 1));
  // Two progressive ones of 12 megapixels together, but never a 24-megapixel one beside
  // another progressive one.
  EXPECT_TRUE(MayStartPhoto(PhotoMemoryNeed(smaller_progressive),
                            PhotoMemoryNeed(smaller_progressive), 1));
  EXPECT_FALSE(MayStartPhoto(large, large, 1));
  EXPECT_FALSE(MayStartPhoto(PhotoMemoryNeed(smaller_progressive), large, 1));
  // Nothing more beside a photo that took it all.
  EXPECT_FALSE(MayStartPhoto(PhotoMemoryNeed(streamed), kPhotosAtOnceMemory * 4, 1));
}

TEST(PlanPhotoMemoryTest, SharesWhatIsLeftAfterTheReserve) {
  const struct {
    std::optional<int64_t> headroom;
    int in_flight;
    int64_t per_photo;
  } cases[] = {
      {std::nullopt, 2, INT64_MAX},
      // Under about 1 GB: two photos at once, each with half.
      {850 * kMiB, 2, (850 * kMiB - kRunMemoryReserve) / 2},
      {kTwoPhotosMemory + kRunMemoryReserve, 2, kTwoPhotosMemory / 2},
      // Just below that: one photo with everything.
      {kTwoPhotosMemory + kRunMemoryReserve - 1, 1, kTwoPhotosMemory - 1},
      {50 * kMiB, 1, 50 * kMiB - kRunMemoryReserve},
      // Nothing left for photos: every one is refused.
      {kRunMemoryReserve, 1, 0},
      {0, 1, 0},
  };
  for (const auto& test : cases) {
    const PhotoMemoryPlan plan = PlanPhotoMemory(test.headroom);
    EXPECT_EQ(test.in_flight, plan.photos_in_flight) << test.headroom.value_or(-1);
    EXPECT_EQ(test.per_photo, plan.bytes_per_photo) << test.headroom.value_or(-1);
  }
}

TEST(PlanPhotoMemoryTest, CommonPhotosFitUnderAThreeHundredMegabyteLimit) {
  // About 150 MB of a 300 MB limit are in use once the library and its modules have started.
  const PhotoMemoryPlan plan = PlanPhotoMemory(150 * kMiB);
  EXPECT_LE(PhotoMemoryNeed({{6000, 4000}, PhotoFormat::kJpeg, true}), plan.bytes_per_photo);
  EXPECT_LE(PhotoMemoryNeed({{3000, 2000}, PhotoFormat::kJpeg, false}), plan.bytes_per_photo);
  EXPECT_GT(PhotoMemoryNeed({{6000, 4000}, PhotoFormat::kWebp, false}), plan.bytes_per_photo);
}

}  // namespace
}  // namespace gallery
