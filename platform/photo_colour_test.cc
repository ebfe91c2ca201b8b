#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "platform/photo.h"
#include "tests/jpeg_inspection.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

using vips::VImage;

// A 16-bit RGB image with alpha.
VImage Deep(int width, int height, const std::vector<double>& color) {
  return VImage::black(width, height, VImage::option()->set("bands", 4))
      .cast(VIPS_FORMAT_USHORT)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16))
      .new_from_image(color);
}

TEST(RenderPhotoJpegTest, ConvertsToEightBitSrgbAndFlattensAlpha) {
  TempFolder folder;
  const std::vector<double> blue = {0, 0, 255};
  struct Case {
    const char* what;
    VImage source;
    std::vector<double> expected;
  };
  VImage opaque_red = Solid(16, 16, {255, 0, 0});
  VImage transparent = opaque_red.bandjoin_const({0});
  VImage half = opaque_red.bandjoin_const({128});
  VImage deep = Deep(16, 16, {0, 65535, 0, 65535});
  VImage deep_clear = Deep(16, 16, {0, 65535, 0, 0});
  VImage grey = VImage::black(16, 16)
                    .new_from_image(std::vector<double>{200})
                    .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
  VImage grey_clear = grey.bandjoin_const({0});
  const Case cases[] = {
      {"opaque", opaque_red, {255, 0, 0}},       {"fully transparent", transparent, blue},
      {"half transparent", half, {128, 0, 127}}, {"16-bit opaque", deep, {0, 255, 0}},
      {"16-bit transparent", deep_clear, blue},  {"grey", grey, {200, 200, 200}},
      {"grey transparent", grey_clear, blue},
  };
  for (const Case& test : cases) {
    std::string path = Save(test.source, folder, "source.png");
    PhotoRendering rendering = WholeAt({16, 16});
    rendering.background = {0, 0, 255};
    std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
    ASSERT_TRUE(jpeg.has_value()) << test.what;
    VImage page = DecodeJpeg(*jpeg);
    EXPECT_EQ(3, page.bands()) << test.what;
    EXPECT_TRUE(PixelNear(page, 8, 8, test.expected, 6))
        << test.what << ": " << PixelText(page, 8, 8);
  }
}

TEST(RenderPhotoJpegTest, ConvertsCmykToSrgb) {
  TempFolder folder;
  std::string path =
      Save(Solid(16, 16, {200, 40, 40}).colourspace(VIPS_INTERPRETATION_CMYK), folder, "cmyk.jpg");
  ASSERT_EQ(4, VImage::new_from_file(path.c_str()).bands());
  std::optional<std::string> jpeg = RenderPhotoJpeg(path, WholeAt({16, 16}));
  ASSERT_TRUE(jpeg.has_value());
  VImage page = DecodeJpeg(*jpeg);
  EXPECT_EQ(3, page.bands());
  EXPECT_TRUE(PixelNear(page, 8, 8, {200, 40, 40}, 30)) << PixelText(page, 8, 8);
}

bool NoProfileIsSrgb(const unsigned char*, size_t) { return false; }
bool EveryProfileIsSrgb(const unsigned char*, size_t) { return true; }

// `colour` stored in a JPEG file through the ICC profile `profile`; its path.
std::string SaveThroughProfile(const VImage& colour, const TempFolder& folder,
                               const std::string& profile) {
  const std::string path = folder.Join(profile + ".jpg");
  colour.icc_export(VImage::option()->set("output_profile", profile.c_str()))
      .jpegsave(path.c_str(), VImage::option()->set("Q", 100));
  return path;
}

TEST(RenderPhotoJpegTest, EmbeddedProfilesAreHonoured) {
  TempFolder folder;
  const VImage colour = Solid(16, 16, {200, 100, 50});
  // Stored through a wide-gamut profile the pixels hold other numbers (about 182 105 63);
  // through an sRGB profile the same ones. Either way the page shows the colour itself, whether
  // the sRGB one is converted or left as it is.
  for (const char* profile : {"p3", "srgb"}) {
    const std::string path = SaveThroughProfile(colour, folder, profile);
    for (auto rule : {&NoProfileIsSrgb, static_cast<decltype(&NoProfileIsSrgb)>(nullptr)}) {
      PhotoRendering rendering = WholeAt({16, 16});
      rendering.rules.is_srgb_profile = rule;
      std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
      ASSERT_TRUE(jpeg.has_value()) << profile;
      VImage result = DecodeJpeg(*jpeg);
      EXPECT_TRUE(PixelNear(result, 8, 8, {200, 100, 50}, 5))
          << profile << (rule ? ", no profile sRGB" : ", no rule") << ": "
          << PixelText(result, 8, 8);
    }
  }
}

TEST(RenderPhotoJpegTest, ProfilesTheRuleCallsSrgbAreNotConverted) {
  TempFolder folder;
  const std::string path = SaveThroughProfile(Solid(16, 16, {200, 100, 50}), folder, "p3");
  const VImage stored = DecodeJpeg(ReadWholeFile(path));
  ASSERT_FALSE(PixelNear(stored, 8, 8, {200, 100, 50}, 5)) << "the profile must change numbers";
  PhotoRendering rendering = WholeAt({16, 16});
  rendering.rules.is_srgb_profile = &EveryProfileIsSrgb;
  std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
  ASSERT_TRUE(jpeg.has_value());
  const VImage result = DecodeJpeg(*jpeg);
  EXPECT_TRUE(PixelNear(result, 8, 8, stored.getpoint(8, 8), 3)) << PixelText(result, 8, 8);
}

}  // namespace
}  // namespace gallery
