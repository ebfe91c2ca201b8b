#include <cmath>
#include <optional>
#include <string>
#include <utility>
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

TEST(RenderPhotoJpegTest, PageImageTurnsSourceUpright) {
  TempFolder folder;
  // Stored 40 x 20 with a white top half; orientation 6 asks for a quarter turn clockwise,
  // which moves the top to the right.
  VImage stored = Solid(40, 20, {0, 0, 0}).insert(Solid(40, 10, {255, 255, 255}), 0, 0).copy();
  stored.set(VIPS_META_ORIENTATION, 6);
  std::string path = Save(stored, folder, "turned.jpg");
  std::optional<PhotoSize> size = ReadPhotoSize(path, kSamplePixelLimit);
  ASSERT_TRUE(size.has_value());
  std::optional<std::string> jpeg = RenderPhotoJpeg(path, WholeAt(*size));
  ASSERT_TRUE(jpeg.has_value());
  VImage page = DecodeJpeg(*jpeg);
  EXPECT_EQ(20, page.width());
  EXPECT_EQ(40, page.height());
  EXPECT_TRUE(PixelNear(page, 17, 20, {255, 255, 255}, 8)) << PixelText(page, 17, 20);
  EXPECT_TRUE(PixelNear(page, 2, 20, {0, 0, 0}, 8)) << PixelText(page, 2, 20);
}

TEST(RenderPhotoJpegTest, WritesNoMetadata) {
  TempFolder folder;
  VImage source = Solid(32, 32, {90, 120, 150}).icc_transform("srgb").copy();
  source.set(VIPS_META_ORIENTATION, 1);
  source.set("exif-ifd0-Make", "Camera maker");
  source.set("exif-ifd0-ImageDescription", "A secret place");
  source.set("exif-ifd3-GPSLatitudeRef", "N");
  std::string xmp = "<x:xmpmeta xmlns:x='adobe:ns:meta/'></x:xmpmeta>";
  source.set(VIPS_META_XMP_NAME, nullptr, xmp.data(), xmp.size());
  std::string path = Save(source, folder, "tagged.jpg");
  std::string tagged = ReadWholeFile(path);
  ASSERT_NE(std::string::npos, tagged.find("Exif")) << "the source must carry metadata";
  ASSERT_NE(std::string::npos, tagged.find("Camera maker"));

  std::optional<std::string> jpeg = RenderPhotoJpeg(path, WholeAt({32, 32}));
  ASSERT_TRUE(jpeg.has_value());
  for (int marker : HeaderMarkers(*jpeg)) {
    // APP0 (JFIF) is the only application segment allowed; APP1 holds EXIF and XMP, APP2 a
    // colour profile, APP13 IPTC, COM a comment.
    EXPECT_TRUE(marker == 0xE0 || marker < 0xE1 || (marker > 0xEF && marker != 0xFE))
        << "marker " << std::hex << marker;
  }
  EXPECT_EQ(std::string::npos, jpeg->find("Exif"));
  EXPECT_EQ(std::string::npos, jpeg->find("Camera maker"));
  EXPECT_EQ(std::string::npos, jpeg->find("xmpmeta"));
}

TEST(RenderPhotoJpegTest, ScalesSourceRectangleToExactSize) {
  TempFolder folder;
  const std::vector<double> white = {255, 255, 255};
  const std::vector<double> black = {0, 0, 0};
  // White on the left 1000 columns, black on the right; large enough to be shrunk on load.
  std::string big = Save(TwoTone(2000, 1000, 1000, white, black), folder, "big.jpg");
  std::string small = Save(TwoTone(50, 40, 25, white, black), folder, "small.png");
  std::string thin = Save(Solid(1, 300, white), folder, "thin.png");
  struct Case {
    const char* what;
    std::string path;
    PhotoSize output;
    PhotoRect source;
    std::vector<double> left;   // pixel (1, middle)
    std::vector<double> right;  // pixel (width - 2, middle)
  };
  const Case cases[] = {
      {"fit, shrunk on load", big, {100, 50}, {0, 0, 2000, 1000}, white, black},
      {"left half only", big, {100, 100}, {0, 0, 1000, 1000}, white, white},
      {"left quarter only", big, {7, 99}, {0, 0, 500, 1000}, white, white},
      {"stretch", big, {33, 333}, {0, 0, 2000, 1000}, white, black},
      {"enlarged", small, {100, 80}, {0, 0, 50, 40}, white, black},
      {"odd sizes", small, {37, 29}, {0, 0, 49, 39}, white, black},
      {"thin source", thin, {100, 100}, {0, 0, 1, 300}, white, white},
      {"rectangle past the source", small, {20, 20}, {0, 0, 500, 400}, white, black},
  };
  for (const Case& test : cases) {
    PhotoRendering rendering = WholeAt(test.output);
    rendering.source = test.source;
    std::optional<std::string> jpeg = RenderPhotoJpeg(test.path, rendering);
    ASSERT_TRUE(jpeg.has_value()) << test.what;
    VImage out = DecodeJpeg(*jpeg);
    EXPECT_EQ(test.output.width, out.width()) << test.what;
    EXPECT_EQ(test.output.height, out.height()) << test.what;
    int middle = out.height() / 2;
    EXPECT_TRUE(PixelNear(out, 0, middle, test.left, 40))
        << test.what << ": " << PixelText(out, 0, middle);
    EXPECT_TRUE(PixelNear(out, out.width() - 1, middle, test.right, 40))
        << test.what << ": " << PixelText(out, out.width() - 1, middle);
  }
}

TEST(RenderPhotoJpegTest, EmptySourceRectangleGivesBackground) {
  TempFolder folder;
  std::string path = Save(Solid(20, 20, {255, 255, 255}), folder, "white.png");
  PhotoRendering rendering = WholeAt({10, 10});
  rendering.source = {0, 0, 0, 20};
  rendering.background = {0, 128, 0};
  std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
  ASSERT_TRUE(jpeg.has_value());
  EXPECT_TRUE(PixelNear(DecodeJpeg(*jpeg), 5, 5, {0, 128, 0}, 6));
}

TEST(RenderPhotoJpegTest, EdgeRingIsBackgroundColour) {
  TempFolder folder;
  const std::vector<double> green = {0, 160, 0};
  for (PhotoSize size : {PhotoSize{40, 30}, PhotoSize{3, 3}, PhotoSize{2, 9}, PhotoSize{1, 1}}) {
    std::string path = Save(Solid(size.width, size.height, {255, 255, 255}), folder, "white.png");
    PhotoRendering rendering = WholeAt(size);
    rendering.quality = 100;
    rendering.background = {0, 160, 0};
    rendering.edge_ring = true;
    std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
    ASSERT_TRUE(jpeg.has_value()) << size.width << "x" << size.height;
    VImage out = DecodeJpeg(*jpeg);
    for (auto [x, y] : {std::pair{0, 0},
                        {size.width - 1, size.height - 1},
                        {size.width / 2, 0},
                        {0, size.height / 2},
                        {size.width - 1, size.height / 2}}) {
      EXPECT_TRUE(PixelNear(out, x, y, green, 40)) << size.width << "x" << size.height << " at "
                                                   << x << "," << y << ": " << PixelText(out, x, y);
    }
    if (size.width > 2 && size.height > 2) {
      EXPECT_TRUE(PixelNear(out, size.width / 2, size.height / 2, {255, 255, 255}, 40))
          << size.width << "x" << size.height;
    }
    rendering.edge_ring = false;
    jpeg = RenderPhotoJpeg(path, rendering);
    ASSERT_TRUE(jpeg.has_value());
    EXPECT_TRUE(PixelNear(DecodeJpeg(*jpeg), 0, 0, {255, 255, 255}, 8)) << "no ring";
  }
}

TEST(RenderPhotoJpegTest, RefusesOutputWithoutPixelsOrTooLarge) {
  TempFolder folder;
  std::string path = Save(Solid(20, 20, {255, 255, 255}), folder, "white.png");
  for (PhotoSize size :
       {PhotoSize{0, 10}, PhotoSize{10, 0}, PhotoSize{-5, 10}, PhotoSize{16385, 16384}}) {
    PhotoRendering rendering = WholeAt(size);
    rendering.source = {0, 0, 20, 20};
    EXPECT_FALSE(RenderPhotoJpeg(path, rendering).has_value()) << size.width << "x" << size.height;
  }
}

// A decoding factor rule that always gives `kFactor`.
template <int kFactor>
int FixedFactor(PhotoSize, PhotoRect, PhotoSize) {
  return kFactor;
}

TEST(RenderPhotoJpegTest, CubicResamplingKeepsEverySizeAndLooksLikeLanczos) {
  TempFolder folder;
  // Soft detail with sharp edges across it, as in a photo.
  const VImage detail = VImage::gaussnoise(1800, 1013, VImage::option()->set("sigma", 60))
                            .gaussblur(2)
                            .cast(VIPS_FORMAT_UCHAR);
  const VImage bars = (VImage::xyz(1800, 1013)[0] & 64).cast(VIPS_FORMAT_UCHAR);
  const VImage picture =
      (detail * 0.5 + bars * 1.5).cast(VIPS_FORMAT_UCHAR).bandjoin(detail).bandjoin(bars);
  const std::string path =
      Save(picture.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)), folder,
           "detail.png");
  // Reductions of a fifth, by about half, far below half and out of aspect, and an enlargement
  // (which the library makes by one interpolation whatever the kernel).
  const PhotoSize sizes[] = {{1440, 810}, {901, 507}, {360, 202}, {1000, 300}, {2000, 1125}};
  for (const PhotoSize size : sizes) {
    PhotoRendering lanczos = WholeAt(size);
    lanczos.source = {0, 0, 1800, 1013};
    PhotoRendering cubic = lanczos;
    cubic.cubic_resampling = true;
    const std::optional<std::string> by_lanczos = RenderPhotoJpeg(path, lanczos);
    const std::optional<std::string> by_cubic = RenderPhotoJpeg(path, cubic);
    ASSERT_TRUE(by_lanczos && by_cubic) << size.width;
    if (size.width < 1800) {
      EXPECT_TRUE(*by_lanczos != *by_cubic) << size.width;
    }
    const VImage one = DecodeJpeg(*by_lanczos);
    const VImage other = DecodeJpeg(*by_cubic);
    ASSERT_EQ(size.width, other.width());
    ASSERT_EQ(size.height, other.height());
    ASSERT_EQ(size.width, one.width());
    // Mean squared difference in levels, over all three colours: above 35 dB.
    const VImage difference = one.cast(VIPS_FORMAT_FLOAT) - other.cast(VIPS_FORMAT_FLOAT);
    EXPECT_LT((difference * difference).avg(), 255.0 * 255.0 / std::pow(10.0, 3.5)) << size.width;
  }
}

TEST(RenderPhotoJpegTest, OwnJpegSourceDecodedSmallerKeepsRectangleAndSize) {
  TempFolder folder;
  // Red in the left 320 columns, blue in the rest; odd sizes so that shrunk sizes round.
  const std::string path =
      Save(TwoTone(1001, 777, 320, {255, 0, 0}, {0, 0, 255}), folder, "page.jpg");
  struct Case {
    PhotoRect source;
    PhotoSize output;
    int (*factor)(PhotoSize, PhotoRect, PhotoSize);
  };
  const Case cases[] = {
      // The whole page image, its shrunk sides rounded by the decoder.
      {{0, 0, 1001, 777}, {100, 77}, &FixedFactor<8>},
      {{0, 0, 1001, 777}, {400, 300}, &FixedFactor<2>},
      // The red square alone, its corner and sides divided by the factor.
      {{0, 0, 320, 320}, {40, 40}, &FixedFactor<8>},
      {{0, 0, 320, 320}, {40, 40}, &FixedFactor<4>},
      {{8, 8, 400, 400}, {50, 50}, &FixedFactor<8>},
      {{0, 0, 321, 321}, {40, 40}, &FixedFactor<1>},
      {{0, 0, 1001, 777}, {900, 700}, &FixedFactor<1>},
      {{0, 0, 1001, 777}, {100, 77}, nullptr},
  };
  for (const Case& c : cases) {
    PhotoRendering rendering = WholeAt(c.output);
    rendering.source = c.source;
    rendering.own_jpeg_source = true;
    rendering.rules.reduced_decoding_factor = c.factor;
    std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
    ASSERT_TRUE(jpeg.has_value()) << c.output.width;
    VImage result = DecodeJpeg(*jpeg);
    EXPECT_EQ(c.output.width, result.width());
    EXPECT_EQ(c.output.height, result.height());
    const int red_columns = c.output.width * (320 - c.source.x) / c.source.width;
    EXPECT_TRUE(PixelNear(result, 0, 0, {255, 0, 0}, 40)) << PixelText(result, 0, 0);
    EXPECT_TRUE(PixelNear(result, red_columns - 2, c.output.height - 1, {255, 0, 0}, 60))
        << c.output.width << ": " << PixelText(result, red_columns - 2, c.output.height - 1);
    if (c.output.width - red_columns >= 2) {
      EXPECT_TRUE(PixelNear(result, c.output.width - 1, 0, {0, 0, 255}, 40))
          << c.output.width << ": " << PixelText(result, c.output.width - 1, 0);
    }
  }
}

}  // namespace
}  // namespace gallery
