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
#include "tests/jpeg_inspection.h"
#include "tests/photo_samples.h"
#include "tests/temp_folder.h"

namespace gallery {
namespace {

using vips::VImage;

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
    std::optional<PhotoSize> size = ReadPhotoSize(path, kSamplePixelLimit);
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
    std::optional<PhotoSize> size = ReadPhotoSize(path, kSamplePixelLimit);
    ASSERT_TRUE(size.has_value()) << orientation;
    EXPECT_EQ(orientation >= 5 ? 30 : 40, size->width) << orientation;
    EXPECT_EQ(orientation >= 5 ? 40 : 30, size->height) << orientation;
  }
}

TEST(ReadPhotoHeaderTest, OnlyBaselineJpegAndPlainPngAreStreamed) {
  TempFolder folder;
  const VImage image = Solid(64, 48, {10, 20, 30}).copy();
  const struct {
    const char* name;
    const char* options;
    bool streamed;
  } cases[] = {
      {"baseline.jpg", "", true},
      {"progressive.jpg", "[interlace]", false},
      {"plain.png", "", true},
      {"interlaced.png", "[interlace]", false},
  };
  for (const auto& test : cases) {
    const std::string path = folder.Join(test.name);
    image.write_to_file((path + test.options).c_str());
    const std::optional<PhotoHeader> header = ReadPhotoHeader(path, kSamplePixelLimit);
    ASSERT_TRUE(header.has_value()) << test.name;
    EXPECT_EQ(test.streamed, header->streamed) << test.name;
    EXPECT_EQ(64, header->size.width) << test.name;
  }
  // Turned upside down by its orientation, a baseline JPEG is decoded whole too.
  VImage turned = image.copy();
  turned.set(VIPS_META_ORIENTATION, 3);
  const std::optional<PhotoHeader> header =
      ReadPhotoHeader(Save(turned, folder, "turned.jpg"), kSamplePixelLimit);
  ASSERT_TRUE(header.has_value());
  EXPECT_FALSE(header->streamed);
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
    EXPECT_FALSE(ReadPhotoSize(source.path, kSamplePixelLimit).has_value()) << what;
  }
}

TEST(ReadPhotoSizeTest, SourcesOverThePixelLimitGivenAreRefused) {
  TempFolder folder;
  ASSERT_TRUE(LoadFormatModule(FormatModule::kMagick));
  const VImage image = Solid(40, 30, {10, 200, 30});
  const std::string png = Save(image, folder, "a.png");
  // A bitmap's size comes from the header that the imaging library never sees.
  const std::string bmp = folder.Join("a.bmp");
  image.magicksave(bmp.c_str(), VImage::option()->set("format", "bmp"));
  for (const std::string& path : {png, bmp}) {
    EXPECT_TRUE(ReadPhotoSize(path, 1200).has_value()) << path;
    EXPECT_FALSE(ReadPhotoSize(path, 1199).has_value()) << path;
    PhotoRendering rendering = WholeAt({20, 15});
    rendering.source = {0, 0, 40, 30};
    rendering.rules.max_pixels = 1200;
    EXPECT_TRUE(RenderPhotoJpeg(path, rendering).has_value()) << path;
    rendering.rules.max_pixels = 1199;
    EXPECT_FALSE(RenderPhotoJpeg(path, rendering).has_value()) << path << ", source over it";
    rendering.rules.max_pixels = 299;
    rendering.source = {0, 0, 20, 15};
    EXPECT_FALSE(RenderPhotoJpeg(path, rendering).has_value()) << path << ", output over it";
  }
  // From the header alone, at the program's own limit: no pixels follow it.
  EXPECT_TRUE(
      ReadPhotoSize(folder.WriteFile("limit.png", PngDeclaring(16384, 16384)), kSamplePixelLimit)
          .has_value());
  EXPECT_FALSE(
      ReadPhotoSize(folder.WriteFile("over.png", PngDeclaring(16384, 16385)), kSamplePixelLimit)
          .has_value());
}
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
    std::optional<PhotoSize> size = ReadPhotoSize(folder.Join(name), kSamplePixelLimit);
    ASSERT_TRUE(size.has_value()) << name;
    EXPECT_EQ(40, size->width) << name;
    EXPECT_EQ(30, size->height) << name;
    std::optional<std::string> jpeg = RenderPhotoJpeg(folder.Join(name), WholeAt({40, 30}));
    ASSERT_TRUE(jpeg.has_value()) << name;
    EXPECT_TRUE(PixelNear(DecodeJpeg(*jpeg), 20, 15, {10, 200, 30}, 12)) << name;
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
    EXPECT_FALSE(ReadPhotoSize(source.path, kSamplePixelLimit).has_value()) << source.what;
    EXPECT_FALSE(RenderPhotoJpeg(source.path, WholeAt({200, 100})).has_value()) << source.what;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(200)) << source.what;
  }
}

}  // namespace
}  // namespace gallery
