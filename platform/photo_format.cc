#include "platform/photo_format.h"

#include <algorithm>
#include <cstdint>

namespace gallery {
namespace {

bool StartsWith(std::string_view head, std::string_view prefix, size_t at = 0) {
  return head.size() >= at + prefix.size() && head.substr(at, prefix.size()) == prefix;
}

uint32_t Read32(std::string_view head, size_t at, bool big_endian) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    const uint32_t byte = static_cast<unsigned char>(head[at + i]);
    value |= big_endian ? byte << (8 * (3 - i)) : byte << (8 * i);
  }
  return value;
}

// An ISO base media file ("ftyp" box first) whose major brand or one of its compatible brands
// is a HEIF image or image sequence, HEVC or AV1 coded.
bool IsHeif(std::string_view head) {
  if (!StartsWith(head, "ftyp", 4)) return false;
  const size_t box_size = Read32(head, 0, true);
  if (box_size < 16) return false;
  const size_t end = std::min(box_size, head.size());
  for (size_t at = 8; at + 4 <= end; at += 4) {
    if (at == 12) continue;  // the minor version, not a brand
    const std::string_view brand = head.substr(at, 4);
    for (std::string_view heif :
         {"heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1", "avif", "avis"}) {
      if (brand == heif) return true;
    }
  }
  return false;
}

// A HEIF file (see IsHeif) whose brands name AV1 coding and no HEVC coding.
bool IsAvif(std::string_view head) {
  const size_t end = std::min<size_t>(Read32(head, 0, true), head.size());
  bool av1 = false;
  for (size_t at = 8; at + 4 <= end; at += 4) {
    if (at == 12) continue;
    const std::string_view brand = head.substr(at, 4);
    if (brand == "avif" || brand == "avis") av1 = true;
    if (brand.starts_with("he")) return false;
  }
  return av1;
}

// "BM" alone starts many files; a bitmap also names one of the known sizes of its second
// header.
bool IsBmp(std::string_view head) {
  if (!StartsWith(head, "BM") || head.size() < 18) return false;
  const uint32_t info_size = Read32(head, 14, false);
  for (uint32_t known : {12u, 40u, 52u, 56u, 64u, 108u, 124u}) {
    if (info_size == known) return true;
  }
  return false;
}

}  // namespace

PhotoFormat SniffPhotoFormat(std::string_view head) {
  using std::string_view_literals::operator""sv;
  if (StartsWith(head, "\xFF\xD8\xFF"sv)) return PhotoFormat::kJpeg;
  if (StartsWith(head, "\x89PNG\r\n\x1A\n"sv)) return PhotoFormat::kPng;
  if (StartsWith(head, "GIF87a"sv) || StartsWith(head, "GIF89a"sv)) return PhotoFormat::kGif;
  // Classic and big TIFF, in either byte order.
  for (std::string_view tiff : {"II*\0"sv, "MM\0*"sv, "II+\0"sv, "MM\0+"sv}) {
    if (StartsWith(head, tiff)) return PhotoFormat::kTiff;
  }
  if (StartsWith(head, "RIFF"sv) && StartsWith(head, "WEBP"sv, 8)) return PhotoFormat::kWebp;
  if (IsHeif(head)) return PhotoFormat::kHeif;
  // A bare codestream, or the container with its signature box.
  if (StartsWith(head, "\xFF\x0A"sv) || StartsWith(head, "\0\0\0\x0CJXL \x0D\x0A\x87\x0A"sv)) {
    return PhotoFormat::kJpegXl;
  }
  if (IsBmp(head)) return PhotoFormat::kBmp;
  return PhotoFormat::kUnknown;
}

std::string_view PhotoFormatExtension(std::string_view head) {
  switch (SniffPhotoFormat(head)) {
    case PhotoFormat::kJpeg:
      return "jpg";
    case PhotoFormat::kPng:
      return "png";
    case PhotoFormat::kGif:
      return "gif";
    case PhotoFormat::kTiff:
      return "tif";
    case PhotoFormat::kWebp:
      return "webp";
    case PhotoFormat::kHeif:
      return IsAvif(head) ? "avif" : "heic";
    case PhotoFormat::kJpegXl:
      return "jxl";
    case PhotoFormat::kBmp:
      return "bmp";
    case PhotoFormat::kUnknown:
      break;
  }
  return {};
}

std::optional<DeclaredSize> DeclaredBmpSize(std::string_view head) {
  if (!IsBmp(head)) return std::nullopt;
  int64_t width = 0;
  int64_t height = 0;
  if (Read32(head, 14, false) == 12) {
    // The oldest header holds two unsigned 16-bit figures.
    if (head.size() < 22) return std::nullopt;
    width = static_cast<unsigned char>(head[18]) | static_cast<unsigned char>(head[19]) << 8;
    height = static_cast<unsigned char>(head[20]) | static_cast<unsigned char>(head[21]) << 8;
  } else {
    if (head.size() < 26) return std::nullopt;
    width = static_cast<int32_t>(Read32(head, 18, false));
    height = static_cast<int32_t>(Read32(head, 22, false));
    height = height < 0 ? -height : height;
  }
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  return DeclaredSize{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace gallery
