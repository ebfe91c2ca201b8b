#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "imaging/scaled_photo.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

using vips::VImage;

TEST(CapLongSideTest, KeepsAspectAndNeverEnlarges) {
  struct Case {
    PhotoSize source;
    int cap;
    PhotoSize expected;
  };
  const Case cases[] = {
      {{5120, 2880}, 2048, {2048, 1152}},
      {{2880, 5120}, 2048, {1152, 2048}},
      {{3000, 3000}, 2048, {2048, 2048}},
      // 1000 * 2048 / 3001 is 682.44, rounded to the nearest pixel.
      {{3001, 1000}, 2048, {2048, 682}},
      {{3001, 1001}, 2048, {2048, 683}},
      // No longer than the cap, or no cap at all: the source's own size.
      {{2048, 100}, 2048, {2048, 100}},
      {{640, 480}, 2048, {640, 480}},
      {{5120, 2880}, 0, {5120, 2880}},
      {{5120, 2880}, -5, {5120, 2880}},
      // A sliver keeps at least one pixel.
      {{16000, 2}, 100, {100, 1}},
  };
  for (const Case& test : cases) {
    const PhotoSize size = CapLongSide(test.source, test.cap);
    EXPECT_EQ(test.expected.width, size.width)
        << test.source.width << "x" << test.source.height << " cap " << test.cap;
    EXPECT_EQ(test.expected.height, size.height)
        << test.source.width << "x" << test.source.height << " cap " << test.cap;
  }
}

TEST(CapLongSideTest, StyleSettingsLeaveImagesAsTheyWere) {
  CStyleSettings style;
  style.thumb_width = 90;
  const CImageSettings settings = MakeImageSettings(style);
  EXPECT_EQ(0, settings.max_long_side);
  EXPECT_FALSE(settings.reduced_decoding);
  EXPECT_EQ(1, settings.thumb_scale);
}

VImage Load(const std::string& path) { return VImage::new_from_file(path.c_str()).copy_memory(); }

// Noise, so that decoding at a reduced size gives other pixels than decoding whole and scaling.
std::string SaveNoise(const TempFolder& folder, const std::string& name, int width, int height) {
  VImage noise = VImage::gaussnoise(width, height, VImage::option()->set("sigma", 60.0))
                     .cast(VIPS_FORMAT_UCHAR)
                     .bandjoin({VImage::gaussnoise(width, height).cast(VIPS_FORMAT_UCHAR),
                                VImage::gaussnoise(width, height).cast(VIPS_FORMAT_UCHAR)})
                     .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  return Save(noise, folder, name);
}

CImageSettings Capped(int cap, bool reduced) {
  CImageSettings settings;
  settings.quality = 90;
  settings.thumb_type = 1;
  settings.max_long_side = cap;
  settings.reduced_decoding = reduced;
  return settings;
}

TEST(CappedPageImageTest, ReducedDecodingGivesCappedSizeFromAnotherDecoding) {
  TempFolder folder;
  const std::string source = SaveNoise(folder, "wide.jpg", 1600, 1000);
  const CScaledPhoto full =
      WriteScaledPhoto(Capped(400, false), source, folder.Join("full.jpg"), kPageImageMode);
  const CScaledPhoto reduced =
      WriteScaledPhoto(Capped(400, true), source, folder.Join("reduced.jpg"), kPageImageMode);
  ASSERT_EQ(PhotoFailure::kNone, full.failure);
  ASSERT_EQ(PhotoFailure::kNone, reduced.failure);
  EXPECT_EQ(400, reduced.size->width);
  EXPECT_EQ(250, reduced.size->height);
  const VImage reduced_image = Load(folder.Join("reduced.jpg"));
  EXPECT_EQ(400, reduced_image.width());
  EXPECT_EQ(250, reduced_image.height());
  // The same size by another path: the decoder shrank the source (by 4) before the resampler.
  EXPECT_NE(ReadWholeFile(folder.Join("full.jpg")), ReadWholeFile(folder.Join("reduced.jpg")));
}

TEST(CappedPageImageTest, OtherSourcesAndDamagedJpegsAreDecodedWhole) {
  TempFolder folder;
  const std::string png = SaveNoise(folder, "tall.png", 300, 900);
  const CScaledPhoto from_png =
      WriteScaledPhoto(Capped(450, true), png, folder.Join("png.jpg"), kPageImageMode);
  ASSERT_EQ(PhotoFailure::kNone, from_png.failure);
  EXPECT_EQ(150, from_png.size->width);
  EXPECT_EQ(450, from_png.size->height);

  // A truncated JPEG is never decoded at a reduced size, where its damage could pass unseen.
  const std::string jpeg = ReadWholeFile(SaveNoise(folder, "whole.jpg", 1600, 1000));
  const std::string cut = folder.WriteFile("cut.jpg", jpeg.substr(0, jpeg.size() / 2));
  const CScaledPhoto from_cut =
      WriteScaledPhoto(Capped(400, true), cut, folder.Join("cut-out.jpg"), kPageImageMode);
  EXPECT_EQ(PhotoFailure::kUndecodable, from_cut.failure);
  EXPECT_FALSE(FileExists(folder.Join("cut-out.jpg")));
}

TEST(CappedPageImageTest, SmallSourceKeepsItsSize) {
  TempFolder folder;
  const std::string source = SaveNoise(folder, "small.jpg", 320, 200);
  const CScaledPhoto page =
      WriteScaledPhoto(Capped(2048, true), source, folder.Join("page.jpg"), kPageImageMode);
  ASSERT_TRUE(page.size);
  EXPECT_EQ(320, page.size->width);
  EXPECT_EQ(200, page.size->height);
}

TEST(ScaledThumbnailTest, DoubleThumbnailIsTwiceTheSingleOneWherePageImageAllows) {
  TempFolder folder;
  const std::string page = SaveNoise(folder, "page.jpg", 1000, 700);
  CImageSettings single = Capped(0, false);
  single.thumb_box = {320, 320};
  CImageSettings twice = single;
  twice.thumb_scale = 2;
  const CScaledPhoto one = WriteScaledPhoto(single, page, folder.Join("thumb.jpg"), kThumbnailMode);
  const CScaledPhoto two =
      WriteScaledPhoto(twice, page, folder.Join("thumb2x.jpg"), kThumbnailMode);
  ASSERT_EQ(PhotoFailure::kNone, two.failure);
  EXPECT_EQ(320, one.size->width);
  EXPECT_EQ(224, one.size->height);
  EXPECT_EQ(640, two.size->width);
  EXPECT_EQ(448, two.size->height);
  EXPECT_EQ(448, Load(folder.Join("thumb2x.jpg")).height());

  // A page image smaller than twice the thumbnail is not enlarged: the 2x image is its size.
  const std::string small = SaveNoise(folder, "small.jpg", 500, 350);
  const CScaledPhoto capped =
      WriteScaledPhoto(twice, small, folder.Join("small2x.jpg"), kThumbnailMode);
  EXPECT_EQ(500, capped.size->width);
  EXPECT_EQ(350, capped.size->height);
}

}  // namespace
}  // namespace gallery
