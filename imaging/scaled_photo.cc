#include "imaging/scaled_photo.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <string>

#include "collection/gallery_builder.h"
#include "imaging/photo_memory.h"
#include "platform/file_system.h"
#include "platform/imaging_runtime.h"

namespace gallery {
namespace {

// Truncation toward zero, with the out-of-range results that a zero or huge ratio can produce
// pinned to the int range instead of being undefined.
int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

ScaledPhotoLayout LayOutScaledPhoto(int thumb_type, PhotoSize box, PhotoSize source) {
  const PhotoRect whole = {0, 0, source.width, source.height};
  const double ratio_x = static_cast<double>(box.width) / source.width;
  const double ratio_y = static_cast<double>(box.height) / source.height;
  if (thumb_type == 1) {
    const double scale = ratio_y <= ratio_x ? ratio_y : ratio_x;
    return {{TruncateToInt(source.width * scale), TruncateToInt(source.height * scale)}, whole};
  }
  if (thumb_type == 2) {
    const double scale = ratio_y < ratio_x ? ratio_x : ratio_y;
    // The reciprocal comes first and is then multiplied, which truncates differently from a
    // division in some cases.
    const double inverse = 1.0 / scale;
    return {box, {0, 0, TruncateToInt(box.width * inverse), TruncateToInt(box.height * inverse)}};
  }
  return {box, whole};
}

bool HasEdgeRing(int thumb_style) { return thumb_style >= 8 && thumb_style <= 13; }

PhotoColor ToPhotoColor(int color) {
  const unsigned bits = static_cast<unsigned>(color);
  return {static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
          static_cast<int>((bits >> 16) & 0xFF)};
}

bool CGalleryBuilder::WriteScaledPhoto(int index, const std::string& path, int mode) {
  if (index < 0 || static_cast<size_t>(index) >= photos_.size()) return false;
  CPhotoEntry& photo = photos_[index];
  const std::optional<PhotoHeader> header = ReadPhotoHeader(photo.path);
  if (!header) return false;
  // A source that cannot get its memory under the process's limit counts as undecodable,
  // decided from its header alone, so the same photos are made on every run under that limit.
  if (PhotoMemoryNeed(*header) > PlanPhotoMemory(MemoryHeadroom()).bytes_per_photo) return false;
  const std::optional<PhotoSize> source = header->size;

  // A page image keeps the source's own size; every rule then draws the whole source.
  const bool page_image = mode == kPageImageMode;
  const PhotoSize box = page_image ? *source : PhotoSize{style_.thumb_width, style_.thumb_height};
  const ScaledPhotoLayout layout = LayOutScaledPhoto(style_.thumb_type, box, *source);
  const PhotoRendering rendering = {
      layout.output, layout.source, ToPhotoColor(style_.thumb_back_color),
      HasEdgeRing(style_.thumb_style), std::max(style_.photo_quality, kScaledPhotoQualityFloor),
      // A thumbnail is made from the page image written just before it.
      !page_image};
  const auto record = [&] {
    if (page_image) {
      photo.image_width = layout.output.width;
      photo.image_height = layout.output.height;
    } else {
      photo.thumbnail_width = layout.output.width;
      photo.thumbnail_height = layout.output.height;
    }
  };
  // A thumbnail's size counts even when no image of that size can be made: the index pages lay
  // out its cell from it.
  const bool drawable = layout.output.width > 0 && layout.output.height > 0 &&
                        int64_t{layout.output.width} * layout.output.height <= kMaxPhotoPixels;
  if (!drawable) {
    if (!page_image) record();
    return false;
  }
  // A thumbnail's size is recorded before it is made, like one too small to make. A page
  // image's only once the whole source has been decoded into it: a damaged source records
  // nothing.
  if (!page_image) record();
  if (!SavePhotoJpeg(photo.path, rendering, path)) return false;
  record();
  return true;
}

}  // namespace gallery
