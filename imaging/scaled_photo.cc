#include "imaging/scaled_photo.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "collection/photo_result.h"
#include "collection/style_settings.h"
#include "collection/thumb_style.h"
#include "imaging/jpeg_saving.h"
#include "imaging/photo_memory.h"
#include "imaging/photo_rules.h"
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

PhotoSize CapLongSide(PhotoSize source, int max_long_side) {
  const int long_side = std::max(source.width, source.height);
  if (max_long_side <= 0 || long_side <= max_long_side) return source;
  const double scale = static_cast<double>(max_long_side) / long_side;
  auto shrink = [&](int side) {
    return side == long_side ? max_long_side
                             : std::max(1, static_cast<int>(std::lround(side * scale)));
  };
  return {shrink(source.width), shrink(source.height)};
}

ScaledPhotoLayout LayOutImage(const CImageSettings& settings, PhotoSize source, bool page_image) {
  if (page_image) {
    // A page image keeps the source's own size unless capped; every rule then draws the whole
    // source.
    if (settings.max_long_side <= 0) return LayOutScaledPhoto(settings.thumb_type, source, source);
    return {CapLongSide(source, settings.max_long_side), {0, 0, source.width, source.height}};
  }
  ScaledPhotoLayout layout = LayOutScaledPhoto(settings.thumb_type, settings.thumb_box, source);
  if (settings.never_enlarge &&
      (layout.output.width > source.width || layout.output.height > source.height)) {
    layout = {source, {0, 0, source.width, source.height}};
  }
  if (settings.thumb_scale > 1 && layout.output.width > 0 && layout.output.height > 0) {
    const int64_t width = int64_t{layout.output.width} * settings.thumb_scale;
    const int64_t height = int64_t{layout.output.height} * settings.thumb_scale;
    layout.output = width > source.width || height > source.height
                        ? source
                        : PhotoSize{static_cast<int>(width), static_cast<int>(height)};
    layout.source = {0, 0, source.width, source.height};
  }
  return layout;
}

PhotoColor ToPhotoColor(int color) {
  const unsigned bits = static_cast<unsigned>(color);
  return {static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
          static_cast<int>((bits >> 16) & 0xFF)};
}

CImageSettings MakeImageSettings(const CStyleSettings& style) {
  return {{style.thumb_width, style.thumb_height},
          style.thumb_type,
          DecodeThumbStyle(style.thumb_style).edge_ring,
          ToPhotoColor(style.thumb_back_color),
          JpegQualityFor(JpegKind::kPhoto, style.photo_quality)};
}

namespace {

CScaledPhoto MakeScaledPhoto(const CImageSettings& settings, const std::string& source_path,
                             const std::string& path, int mode) {
  // Read without a pixel limit, which is applied here, so that a source over it is told apart
  // from one that cannot be decoded. The header reader decodes no pixels for any size.
  const std::optional<PhotoHeader> header = ReadPhotoHeader(source_path, INT64_MAX);
  if (!header) {
    // Told apart right away, while the file is as the header reader found it.
    return {std::nullopt,
            IsReadableFile(source_path) ? PhotoFailure::kUndecodable : PhotoFailure::kUnreadable};
  }
  if (IsTooLarge(header->size.width, header->size.height)) {
    return {std::nullopt, PhotoFailure::kTooLarge};
  }
  // A source that cannot get its memory under the process's limit is not decoded, decided from
  // its header alone, so the same photos are made on every run under that limit.
  if (PhotoMemoryNeed(*header) > PlanPhotoMemory(MemoryHeadroom()).bytes_per_photo) {
    return {std::nullopt, PhotoFailure::kNoMemory};
  }
  const PhotoSize source = header->size;

  const bool page_image = mode == kPageImageMode;
  const ScaledPhotoLayout layout = LayOutImage(settings, source, page_image);
  // A thumbnail is made from the page image written just before it.
  const PhotoRendering rendering = {.output = layout.output,
                                    .source = layout.source,
                                    .background = settings.background,
                                    .edge_ring = settings.edge_ring,
                                    .quality = settings.quality,
                                    .own_jpeg_source = !page_image,
                                    .rules = kPhotoRules,
                                    .reduced_decoding = page_image && settings.reduced_decoding,
                                    .cubic_resampling = settings.cubic_resampling};
  // A thumbnail's size counts even when no image of that size can be made: the index pages lay
  // out its cell from it. A page image's only once the whole source has been decoded into it: a
  // damaged source records nothing.
  const std::optional<PhotoSize> thumbnail_size =
      page_image ? std::nullopt : std::optional<PhotoSize>(layout.output);
  if (layout.output.width <= 0 || layout.output.height <= 0) {
    return {thumbnail_size, PhotoFailure::kEmpty};
  }
  if (IsTooLarge(layout.output.width, layout.output.height)) {
    return {thumbnail_size, PhotoFailure::kTooLarge};
  }
  const CPhotoSaveResult saved = SavePhotoJpeg(source_path, rendering, path);
  switch (saved.outcome) {
    case PhotoSave::kSaved:
      break;
    case PhotoSave::kNoMemory:
      return {thumbnail_size, PhotoFailure::kNoMemory};
    case PhotoSave::kNotWritten:
      return {thumbnail_size, PhotoFailure::kNotWritten, saved.write_failure};
    case PhotoSave::kFailed:
      // The source's header was read, so what failed is its decoding.
      return {thumbnail_size, PhotoFailure::kUndecodable};
  }
  return {layout.output, PhotoFailure::kNone};
}

}  // namespace

CScaledPhoto WriteScaledPhoto(const CImageSettings& settings, const std::string& source_path,
                              const std::string& path, int mode) {
  CScaledPhoto made = MakeScaledPhoto(settings, source_path, path, mode);
  // What an earlier run left under this name is not this photo's image; a process that is
  // ending leaves the files as they are.
  if (made.failure != PhotoFailure::kNone && made.write_failure != WriteFailure::kEnding) {
    static_cast<void>(RemoveFileOrLink(path));
  }
  return made;
}

}  // namespace gallery
