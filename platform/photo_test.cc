#include "platform/photo.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <vips/vips8>

#include "platform/imaging_runtime.h"
#include "platform/vips_handles.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

using vips::VImage;

// A solid image of one colour per band.
VImage Solid(int width, int height, const std::vector<double>& color) {
  VImage image = VImage::black(width, height, VImage::option()->set("bands", 3))
                     .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  return image.new_from_image(color);
}

// Left part `split` columns wide in `left`, the rest in `right`.
VImage TwoTone(int width, int height, int split, const std::vector<double>& left,
               const std::vector<double>& right) {
  return Solid(width, height, right).insert(Solid(split, height, left), 0, 0);
}

// A 16-bit RGB image with alpha.
VImage Deep(int width, int height, const std::vector<double>& color) {
  return VImage::black(width, height, VImage::option()->set("bands", 4))
      .cast(VIPS_FORMAT_USHORT)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16))
      .new_from_image(color);
}

std::string Save(const VImage& image, const TempFolder& folder, const std::string& name) {
  std::string path = folder.Join(name);
  image.write_to_file(path.c_str());
  return path;
}

VImage Decode(const std::string& jpeg) { return VImage::new_from_buffer(jpeg, "").copy_memory(); }

// Whether each channel of pixel (x, y) lies within `tolerance` of `expected`.
bool PixelNear(const VImage& image, int x, int y, const std::vector<double>& expected,
               double tolerance) {
  std::vector<double> pixel = image.getpoint(x, y);
  if (pixel.size() != expected.size()) return false;
  for (size_t i = 0; i < pixel.size(); ++i) {
    if (std::abs(pixel[i] - expected[i]) > tolerance) return false;
  }
  return true;
}

std::string PixelText(const VImage& image, int x, int y) {
  std::string text;
  for (double value : image.getpoint(x, y)) text += std::to_string(static_cast<int>(value)) + " ";
  return text;
}

PhotoRendering WholeAt(PhotoSize size) {
  PhotoRendering rendering;
  rendering.output = size;
  rendering.source = {0, 0, size.width, size.height};
  rendering.quality = 95;
  return rendering;
}

// The marker codes of a JPEG file up to the start of its scan data.
std::vector<int> JpegMarkers(const std::string& jpeg) {
  std::vector<int> markers;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
    int marker = static_cast<unsigned char>(jpeg[at + 1]);
    markers.push_back(marker);
    if (marker == 0xDA) break;
    at += 2 + (static_cast<unsigned char>(jpeg[at + 2]) << 8) +
          static_cast<unsigned char>(jpeg[at + 3]);
  }
  return markers;
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

std::string BigEndian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string PngChunk(const std::string& type, const std::string& data) {
  return BigEndian(static_cast<uint32_t>(data.size())) + type + data +
         BigEndian(Crc32(type + data));
}

// A PNG of a few bytes whose header declares `width` x `height` RGB pixels.
std::string PngDeclaring(uint32_t width, uint32_t height) {
  std::string header =
      BigEndian(width) + BigEndian(height) + std::string("\x08\x02\x00\x00\x00", 5);
  // One empty stored zlib block: the data stops long before the declared pixels.
  std::string data("\x78\x01\x01\x00\x00\xff\xff\x00\x00\x00\x01", 11);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", data) +
         PngChunk("IEND", "");
}

TEST(ReadPhotoSizeTest, ReadsSizeOfEveryCommonFormat) {
  TempFolder folder;
  const VImage image = Solid(40, 30, {10, 200, 30});
  for (const char* name : {"a.jpg", "a.png", "a.gif", "a.tif", "a.webp", "png without suffix",
                           "with [brackets].png", "odd[1]"}) {
    // The saver picks the format by suffix, and would read brackets as options.
    std::string path = folder.Join(name);
    std::string saved = Save(image, folder,
                             std::string(name).find('.') == std::string::npos ||
                                     std::string(name).find('[') != std::string::npos
                                 ? "plain.png"
                                 : name);
    ASSERT_EQ(0, std::rename(saved.c_str(), path.c_str())) << name;
    std::optional<PhotoSize> size = ReadPhotoSize(path);
    ASSERT_TRUE(size.has_value()) << name;
    EXPECT_EQ(40, size->width) << name;
    EXPECT_EQ(30, size->height) << name;
  }
}

TEST(ReadPhotoSizeTest, SizeIsUprightByExifOrientation) {
  TempFolder folder;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    VImage image = Solid(40, 30, {0, 0, 0}).copy();
    image.set(VIPS_META_ORIENTATION, orientation);
    std::string path = Save(image, folder, "turned.jpg");
    std::optional<PhotoSize> size = ReadPhotoSize(path);
    ASSERT_TRUE(size.has_value()) << orientation;
    EXPECT_EQ(orientation >= 5 ? 30 : 40, size->width) << orientation;
    EXPECT_EQ(orientation >= 5 ? 40 : 30, size->height) << orientation;
  }
}

struct BadSource {
  const char* what;
  std::string path;
};

std::vector<BadSource> BadSources(const TempFolder& folder) {
  std::string good =
      Save(TwoTone(64, 64, 32, {255, 255, 255}, {0, 0, 0})
               .gaussnoise(64, 64)
               .cast(VIPS_FORMAT_UCHAR)
               .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W)),
           folder, "good.jpg");
  std::string good_png =
      Save(Solid(64, 64, {1, 2, 3}).gaussnoise(64, 64).cast(VIPS_FORMAT_UCHAR), folder, "good.png");
  std::string jpeg = ReadWholeFile(good);
  std::string png = ReadWholeFile(good_png);
  std::string fifo = folder.Join("fifo.jpg");
  mkfifo(fifo.c_str(), 0600);
  mkdir(folder.Join("folder.jpg").c_str(), 0700);
  return {
      {"missing", folder.Join("missing.jpg")},
      {"zero bytes", folder.WriteFile("empty.jpg", "")},
      {"not an image", folder.WriteFile("text.jpg", "this is not a picture at all\n")},
      {"truncated jpeg", folder.WriteFile("cut.jpg", jpeg.substr(0, jpeg.size() / 2))},
      {"truncated png", folder.WriteFile("cut.png", png.substr(0, png.size() / 2))},
      {"jpeg header only", folder.WriteFile("head.jpg", jpeg.substr(0, 200))},
      {"folder", folder.Join("folder.jpg")},
      {"fifo", fifo},
      {"declares 100000 x 100000", folder.WriteFile("bomb.png", PngDeclaring(100000, 100000))},
      // A bitmap header of 100000 x 100000 pixels, run-length coded, with no data.
      {"bitmap declaring 100000 x 100000",
       folder.WriteFile("bomb.bmp", std::string("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"
                                                "\xA0\x86\x01\0\xA0\x86\x01\0\x01\0\x08\0"
                                                "\x01\0\0\0",
                                                34))},
  };
}

TEST(RenderPhotoJpegTest, RefusesMissingDamagedAndOversizedSources) {
  TempFolder folder;
  for (const BadSource& source : BadSources(folder)) {
    EXPECT_FALSE(RenderPhotoJpeg(source.path, WholeAt({64, 64})).has_value()) << source.what;
    PhotoRendering scaled = WholeAt({64, 64});
    scaled.output = {10, 7};
    EXPECT_FALSE(RenderPhotoJpeg(source.path, scaled).has_value()) << source.what << ", scaled";
  }
}

TEST(ReadPhotoSizeTest, RefusesSourcesWithoutReadableHeader) {
  TempFolder folder;
  for (const BadSource& source : BadSources(folder)) {
    std::string what = source.what;
    // A cut-off file still has its header; only decoding the pixels finds the damage.
    if (what.rfind("truncated", 0) == 0) continue;
    EXPECT_FALSE(ReadPhotoSize(source.path).has_value()) << what;
  }
}

TEST(ReadPhotoSizeTest, AcceptsSourceAtThePixelLimit) {
  TempFolder folder;
  std::string path = folder.WriteFile("limit.png", PngDeclaring(16384, 16384));
  ASSERT_TRUE(ReadPhotoSize(path).has_value());
  path = folder.WriteFile("over.png", PngDeclaring(16384, 16385));
  EXPECT_FALSE(ReadPhotoSize(path).has_value());
}

TEST(RenderPhotoJpegTest, PageImageTurnsSourceUpright) {
  TempFolder folder;
  // Stored 40 x 20 with a white top half; orientation 6 asks for a quarter turn clockwise,
  // which moves the top to the right.
  VImage stored = Solid(40, 20, {0, 0, 0}).insert(Solid(40, 10, {255, 255, 255}), 0, 0).copy();
  stored.set(VIPS_META_ORIENTATION, 6);
  std::string path = Save(stored, folder, "turned.jpg");
  std::optional<PhotoSize> size = ReadPhotoSize(path);
  ASSERT_TRUE(size.has_value());
  std::optional<std::string> jpeg = RenderPhotoJpeg(path, WholeAt(*size));
  ASSERT_TRUE(jpeg.has_value());
  VImage page = Decode(*jpeg);
  EXPECT_EQ(20, page.width());
  EXPECT_EQ(40, page.height());
  EXPECT_TRUE(PixelNear(page, 17, 20, {255, 255, 255}, 8)) << PixelText(page, 17, 20);
  EXPECT_TRUE(PixelNear(page, 2, 20, {0, 0, 0}, 8)) << PixelText(page, 2, 20);
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
    VImage page = Decode(*jpeg);
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
  VImage page = Decode(*jpeg);
  EXPECT_EQ(3, page.bands());
  EXPECT_TRUE(PixelNear(page, 8, 8, {200, 40, 40}, 30)) << PixelText(page, 8, 8);
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
  for (int marker : JpegMarkers(*jpeg)) {
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
    PhotoRendering rendering;
    rendering.output = test.output;
    rendering.source = test.source;
    std::optional<std::string> jpeg = RenderPhotoJpeg(test.path, rendering);
    ASSERT_TRUE(jpeg.has_value()) << test.what;
    VImage out = Decode(*jpeg);
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
  PhotoRendering rendering;
  rendering.output = {10, 10};
  rendering.source = {0, 0, 0, 20};
  rendering.background = {0, 128, 0};
  std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
  ASSERT_TRUE(jpeg.has_value());
  EXPECT_TRUE(PixelNear(Decode(*jpeg), 5, 5, {0, 128, 0}, 6));
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
    VImage out = Decode(*jpeg);
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
    EXPECT_TRUE(PixelNear(Decode(*jpeg), 0, 0, {255, 255, 255}, 8)) << "no ring";
  }
}

TEST(RenderPhotoJpegTest, RefusesOutputWithoutPixelsOrTooLarge) {
  TempFolder folder;
  std::string path = Save(Solid(20, 20, {255, 255, 255}), folder, "white.png");
  for (PhotoSize size :
       {PhotoSize{0, 10}, PhotoSize{10, 0}, PhotoSize{-5, 10}, PhotoSize{16385, 16384}}) {
    PhotoRendering rendering;
    rendering.output = size;
    rendering.source = {0, 0, 20, 20};
    EXPECT_FALSE(RenderPhotoJpeg(path, rendering).has_value()) << size.width << "x" << size.height;
  }
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

TEST(RenderPhotoJpegTest, OwnJpegSourceDecodedSmallerKeepsRectangleAndSize) {
  TempFolder folder;
  // Red in the left 320 columns, blue in the rest; odd sizes so that shrunk sizes round.
  const std::string path =
      Save(TwoTone(1001, 777, 320, {255, 0, 0}, {0, 0, 255}), folder, "page.jpg");
  struct Case {
    PhotoRect source;
    PhotoSize output;
  };
  const Case cases[] = {
      {{0, 0, 1001, 777}, {100, 77}},   // the whole page image, shrunk by 8 on decoding
      {{0, 0, 320, 320}, {40, 40}},     // the red square alone, on whole shrunk pixels
      {{0, 0, 321, 321}, {40, 40}},     // not on whole shrunk pixels: decoded at full size
      {{0, 0, 1001, 777}, {900, 700}},  // too large to shrink at all
  };
  for (const Case& c : cases) {
    PhotoRendering rendering = WholeAt(c.output);
    rendering.source = c.source;
    rendering.own_jpeg_source = true;
    std::optional<std::string> jpeg = RenderPhotoJpeg(path, rendering);
    ASSERT_TRUE(jpeg.has_value()) << c.output.width;
    VImage result = Decode(*jpeg);
    EXPECT_EQ(c.output.width, result.width());
    EXPECT_EQ(c.output.height, result.height());
    const int red_columns = c.output.width * 320 / c.source.width;
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

namespace gallery {
namespace {

TEST(RenderPhotoJpegTest, EmbeddedProfilesAreHonoured) {
  TempFolder folder;
  const VImage colour = Solid(16, 16, {200, 100, 50});
  // Stored through a wide-gamut profile the pixels hold other numbers (about 182 105 63);
  // through an sRGB profile the same ones. Either way the page shows the colour itself.
  for (const char* profile : {"p3", "srgb"}) {
    const std::string path = folder.Join(std::string(profile) + ".jpg");
    colour.icc_export(VImage::option()->set("output_profile", profile))
        .jpegsave(path.c_str(), VImage::option()->set("Q", 100));
    std::optional<std::string> jpeg = RenderPhotoJpeg(path, WholeAt({16, 16}));
    ASSERT_TRUE(jpeg.has_value()) << profile;
    VImage result = Decode(*jpeg);
    EXPECT_TRUE(PixelNear(result, 8, 8, {200, 100, 50}, 5))
        << profile << ": " << PixelText(result, 8, 8);
  }
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

TEST(ReadPhotoSizeTest, ReadsFormatsOfTheOptionalModules) {
  TempFolder folder;
  const VImage image = Solid(40, 30, {10, 200, 30});
  // The savers come with the same modules as the loaders.
  ASSERT_TRUE(LoadFormatModule(FormatModule::kHeif));
  ASSERT_TRUE(LoadFormatModule(FormatModule::kJpegXl));
  ASSERT_TRUE(LoadFormatModule(FormatModule::kMagick));
  // Each under a name of another format: the content decides.
  image.heifsave(folder.Join("a.heic.jpg").c_str(),
                 VImage::option()->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1));
  image.jxlsave(folder.Join("a.jxl.png").c_str());
  image.magicksave(folder.Join("a.bmp.gif").c_str(), VImage::option()->set("format", "bmp"));
  for (const char* name : {"a.heic.jpg", "a.jxl.png", "a.bmp.gif"}) {
    std::optional<PhotoSize> size = ReadPhotoSize(folder.Join(name));
    ASSERT_TRUE(size.has_value()) << name;
    EXPECT_EQ(40, size->width) << name;
    EXPECT_EQ(30, size->height) << name;
    std::optional<std::string> jpeg = RenderPhotoJpeg(folder.Join(name), WholeAt({40, 30}));
    ASSERT_TRUE(jpeg.has_value()) << name;
    EXPECT_TRUE(PixelNear(Decode(*jpeg), 20, 15, {10, 200, 30}, 12)) << name;
  }
}

// Files that other loaders of the imaging library would read, named like photos. The SVG draws
// the text of a file beside it and embeds an image beside it, which must never reach a page.
std::vector<BadSource> DisguisedDocuments(const TempFolder& folder) {
  folder.WriteFile("secret.txt", "the secret");
  Save(Solid(8, 8, {255, 0, 0}), folder, "secret.png");
  const std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xi=\"http://www.w3.org/2001/XInclude\" "
      "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"200\" height=\"100\">"
      "<image xlink:href=\"secret.png\" width=\"200\" height=\"100\"/>"
      "<text x=\"5\" y=\"50\"><xi:include href=\"secret.txt\" parse=\"text\"/></text></svg>";
  const std::string pdf =
      "%PDF-1.1\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
      "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
      "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 14400 14400]>>endobj\n"
      "trailer<</Root 1 0 R>>\n%%EOF\n";
  return {
      {"svg as jpg", folder.WriteFile("drawing.jpg", svg)},
      {"svg with xml declaration as png",
       folder.WriteFile("drawing.png", "<?xml version=\"1.0\"?>\n" + svg)},
      {"pdf as jpg", folder.WriteFile("document.jpg", pdf)},
      {"xml as png", folder.WriteFile("data.png", "<?xml version=\"1.0\"?><a><b>1</b></a>")},
      {"postscript as jpg",
       folder.WriteFile("print.jpg",
                        "%!PS-Adobe-3.0\n/Times findfont 12 scalefont setfont\n"
                        "72 72 moveto (x) show showpage\n")},
      {"portable pixmap as jpg", folder.WriteFile("pixmap.jpg", "P3\n2 1\n255\n0 0 0 255 0 0\n")},
      {"matrix as png", folder.WriteFile("matrix.png", "2 2\n0 1\n1 0\n")},
      {"text as jpg", folder.WriteFile("notes.jpg", "a plain text file\n")},
  };
}

TEST(RenderPhotoJpegTest, DisguisedDocumentsAreUndecodableAndRefusedAtOnce) {
  TempFolder folder;
  for (const BadSource& source : DisguisedDocuments(folder)) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ReadPhotoSize(source.path).has_value()) << source.what;
    EXPECT_FALSE(RenderPhotoJpeg(source.path, WholeAt({200, 100})).has_value()) << source.what;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(200)) << source.what;
  }
}

}  // namespace
}  // namespace gallery

namespace gallery {
namespace {

TEST(ImagingRuntimeTest, LoadersOfOtherFormatsAreBlocked) {
  const std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"></svg>";
  EXPECT_THROW(static_cast<void>(VImage::new_from_buffer(svg, "")), vips::VError);
  // Even called by name.
  UniqueVipsBlob blob(vips_blob_copy(svg.data(), svg.size()));
  EXPECT_THROW(static_cast<void>(VImage::svgload_buffer(blob.get())), vips::VError);
}

}  // namespace
}  // namespace gallery
