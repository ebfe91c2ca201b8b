#include "tests/jpeg_inspection.h"

namespace gallery {
namespace {

constexpr int kStartOfImage = 0xD8;
constexpr int kStartOfScan = 0xDA;
constexpr int kQuantisationTable = 0xDB;

// Calls `visit(marker, payload)` for each segment up to the start of the scan. False when the
// bytes are not a well-formed JPEG header.
template <typename Visit>
bool ForEachHeaderSegment(std::string_view jpeg, Visit visit) {
  auto byte = [&](size_t at) { return static_cast<unsigned char>(jpeg[at]); };
  if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != kStartOfImage) return false;
  size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    if (byte(at) != 0xFF) return false;
    int marker = byte(at + 1);
    size_t length = size_t{byte(at + 2)} << 8 | byte(at + 3);
    if (length < 2 || at + 2 + length > jpeg.size()) return false;
    visit(marker, jpeg.substr(at + 4, length - 2));
    if (marker == kStartOfScan) return true;
    at += 2 + length;
  }
  return false;
}

}  // namespace

std::string QuantisationTables(std::string_view jpeg) {
  std::string tables;
  bool ok = ForEachHeaderSegment(jpeg, [&](int marker, std::string_view payload) {
    if (marker == kQuantisationTable) tables.append(payload);
  });
  return ok ? tables : std::string();
}

std::vector<int> HeaderMarkers(std::string_view jpeg) {
  std::vector<int> markers;
  static_cast<void>(
      ForEachHeaderSegment(jpeg, [&](int marker, std::string_view) { markers.push_back(marker); }));
  return markers;
}

vips::VImage DecodeJpeg(const std::string& jpeg) {
  try {
    return vips::VImage::new_from_buffer(jpeg, "").copy_memory();
  } catch (const vips::VError&) {
    return vips::VImage::black(1, 1);
  }
}

}  // namespace gallery
