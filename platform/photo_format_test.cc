#include "platform/photo_format.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace gallery {
namespace {

using std::string_view_literals::operator""sv;

TEST(SniffPhotoFormatTest, KnowsEachPhotoFormatByItsSignature) {
  const struct {
    std::string_view head;
    PhotoFormat expected;
  } cases[] = {
      {"\xFF\xD8\xFF\xE0\0\x10JFIF"sv, PhotoFormat::kJpeg},
      {"\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"sv, PhotoFormat::kPng},
      {"GIF87a\x01\0"sv, PhotoFormat::kGif},
      {"GIF89a\x01\0"sv, PhotoFormat::kGif},
      {"II*\0\x08\0\0\0"sv, PhotoFormat::kTiff},
      {"MM\0*\0\0\0\x08"sv, PhotoFormat::kTiff},
      {"II+\0\x08\0\0\0"sv, PhotoFormat::kTiff},
      {"RIFF\x24\0\0\0WEBPVP8 "sv, PhotoFormat::kWebp},
      {"\0\0\0\x18"
       "ftypheic\0\0\0\0mif1heic"sv,
       PhotoFormat::kHeif},
      {"\0\0\0\x1C"
       "ftypavif\0\0\0\0avifmif1miaf"sv,
       PhotoFormat::kHeif},
      // Only a compatible brand says HEIF.
      {"\0\0\0\x18"
       "ftypmiaf\0\0\0\0mif1miaf"sv,
       PhotoFormat::kHeif},
      {"\xFF\x0A\xFA\x7F"sv, PhotoFormat::kJpegXl},
      {"\0\0\0\x0CJXL \x0D\x0A\x87\x0A\0\0\0\x14"
       "ftypjxl "sv,
       PhotoFormat::kJpegXl},
      {"BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"sv, PhotoFormat::kBmp},
      {"BM\x36\x10\0\0\0\0\0\0\x7A\0\0\0\x7C\0\0\0"sv, PhotoFormat::kBmp},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(test.expected, SniffPhotoFormat(test.head)) << testing::PrintToString(test.head);
  }
}

TEST(PhotoFormatExtensionTest, NamesTheFormatTheContentDeclares) {
  const struct {
    std::string_view head;
    std::string_view expected;
  } cases[] = {
      {"\xFF\xD8\xFF\xE0\0\x10JFIF"sv, "jpg"},
      {"\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"sv, "png"},
      {"GIF89a\x01\0"sv, "gif"},
      {"MM\0*\0\0\0\x08"sv, "tif"},
      {"RIFF\x24\0\0\0WEBPVP8 "sv, "webp"},
      {"\0\0\0\x18"
       "ftypheic\0\0\0\0mif1heic"sv,
       "heic"},
      {"\0\0\0\x1C"
       "ftypavif\0\0\0\0avifmif1miaf"sv,
       "avif"},
      // A generic major brand: the compatible ones tell the coding.
      {"\0\0\0\x18"
       "ftypmif1\0\0\0\0mif1avif"sv,
       "avif"},
      {"\0\0\0\x1C"
       "ftypmif1\0\0\0\0mif1heicavif"sv,
       "heic"},
      {"\xFF\x0A\xFA\x7F"sv, "jxl"},
      {"BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"sv, "bmp"},
      // What a name like page.html cannot make a page of.
      {"<html><script>alert(1)</script>"sv, ""},
      {"<?php echo 1; ?>"sv, ""},
      {""sv, ""},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(test.expected, PhotoFormatExtension(test.head)) << testing::PrintToString(test.head);
  }
}

TEST(SniffPhotoFormatTest, EverythingElseIsUnknown) {
  const std::string_view heads[] = {
      ""sv,
      "\xFF\xD8"sv,  // cut before the marker that follows
      "\x89PNG\r\n"sv,
      "GIF90a"sv,
      "<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\">"sv,
      "<svg width=\"10\" height=\"10\">"sv,
      "%PDF-1.4\n%\xE2\xE3\xCF\xD3"sv,
      "%!PS-Adobe-3.0 EPSF-3.0"sv,
      "\xC5\xD0\xD3\xC6\x20\0\0\0"sv,  // binary EPS
      "P6\n10 10\n255\n"sv,
      "this is not a picture at all\n"sv,
      "BMP is what this file would like to be"sv,
      "BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x29\0\0\0"sv,  // no known second header size
      "RIFF\x24\0\0\0WAVEfmt "sv,
      "\0\0\0\x18"
      "ftypmp42\0\0\0\0isommp42"sv,  // a video
      "\0\0\0\x08"
      "ftypheic"sv,                  // a box too small to hold a brand
      "\x00\x00\x01\x00\x01\x00"sv,  // an icon
      "8BPS\0\x01"sv,
      "FORM\0\0\0\0ILBM"sv,
  };
  for (std::string_view head : heads) {
    EXPECT_EQ(PhotoFormat::kUnknown, SniffPhotoFormat(head)) << testing::PrintToString(head);
  }
}

TEST(SniffPhotoFormatTest, SignatureCutShortIsUnknown) {
  const std::string png = std::string("\x89PNG\r\n\x1A\n", 8);
  for (size_t length = 0; length < png.size(); ++length) {
    EXPECT_EQ(PhotoFormat::kUnknown, SniffPhotoFormat(std::string_view(png).substr(0, length)))
        << length;
  }
  const std::string bmp("BM\x36\x10\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18);
  EXPECT_EQ(PhotoFormat::kUnknown, SniffPhotoFormat(std::string_view(bmp).substr(0, 17)));
}

// `value` as `bytes` bytes, least significant first; bytes past its own four are zero.
std::string Little(uint32_t value, int bytes) {
  std::string text;
  for (int i = 0; i < bytes; ++i) {
    text += static_cast<char>(i < 4 ? (value >> (8 * i)) & 0xFF : 0);
  }
  return text;
}

// The first bytes of a bitmap with a second header of `info_size` bytes holding `size_fields`.
std::string BmpHead(uint32_t info_size, const std::string& size_fields) {
  return "BM" + Little(0, 4) + Little(0, 4) + Little(54, 4) + Little(info_size, 4) + size_fields;
}

TEST(DeclaredBmpSizeTest, ReadsTheSizeOfEveryHeaderKind) {
  const struct {
    std::string head;
    std::optional<DeclaredSize> expected;
  } cases[] = {
      {BmpHead(40, Little(30, 4) + Little(20, 4)), DeclaredSize{30, 20}},
      {BmpHead(124, Little(16384, 4) + Little(16384, 4)), DeclaredSize{16384, 16384}},
      // Rows stored top down.
      {BmpHead(40, Little(30, 4) + Little(static_cast<uint32_t>(-20), 4)), DeclaredSize{30, 20}},
      {BmpHead(12, Little(300, 2) + Little(200, 2)), DeclaredSize{300, 200}},
      {BmpHead(40, Little(100000, 4) + Little(100000, 4)), DeclaredSize{100000, 100000}},
      {BmpHead(40, Little(0, 4) + Little(20, 4)), std::nullopt},
      {BmpHead(40, Little(static_cast<uint32_t>(-30), 4) + Little(20, 4)), std::nullopt},
      {BmpHead(40, Little(0x80000000u, 4) + Little(0x80000000u, 4)), std::nullopt},
      {BmpHead(40, Little(30, 4)), std::nullopt},  // cut short
      {BmpHead(41, Little(30, 4) + Little(20, 4)), std::nullopt},
      {"\x89PNG\r\n\x1A\n" + Little(30, 4) + Little(20, 4) + Little(0, 12), std::nullopt},
  };
  for (const auto& test : cases) {
    const std::optional<DeclaredSize> size = DeclaredBmpSize(test.head);
    ASSERT_EQ(test.expected.has_value(), size.has_value()) << testing::PrintToString(test.head);
    if (!size) continue;
    EXPECT_EQ(test.expected->width, size->width) << testing::PrintToString(test.head);
    EXPECT_EQ(test.expected->height, size->height) << testing::PrintToString(test.head);
  }
}

}  // namespace
}  // namespace gallery
