#include "imaging/image_cache.h"

#include <string>

namespace gallery {

std::string ImageSettingsKey(const CImageSettings& settings) {
  // One "name=value;" per field: a field added to the settings needs its line here, so that
  // images made before it was added are never taken for images made with it.
  std::string key;
  const auto add = [&key](const char* name, int value) {
    key += name;
    key += '=';
    key += std::to_string(value);
    key += ';';
  };
  add("thumb_width", settings.thumb_box.width);
  add("thumb_height", settings.thumb_box.height);
  add("thumb_type", settings.thumb_type);
  add("edge_ring", settings.edge_ring ? 1 : 0);
  add("background_red", settings.background.red);
  add("background_green", settings.background.green);
  add("background_blue", settings.background.blue);
  add("quality", settings.quality);
  add("max_long_side", settings.max_long_side);
  add("reduced_decoding", settings.reduced_decoding ? 1 : 0);
  add("thumb_scale", settings.thumb_scale);
  add("never_enlarge", settings.never_enlarge ? 1 : 0);
  // Named only when set, so that the keys of images resampled the old way stay as they were.
  if (settings.cubic_resampling) add("cubic_resampling", 1);
  return key;
}

}  // namespace gallery
