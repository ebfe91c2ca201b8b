#include "app/theme_options.h"

#include <charconv>

#include "app/gallery_options.h"

namespace gallery {

std::string SetTheme(CCliOptions& options, const std::string& value) {
  if (value == "modern") {
    options.theme = Theme::kModern;
  } else if (value == "classic") {
    options.theme = Theme::kClassic;
  } else {
    return "--theme takes 'modern' or 'classic', not '" + value + "'";
  }
  return "";
}

std::string SetMaxSize(CCliOptions& options, const std::string& value) {
  int size = -1;
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, size);
  if (value.empty() || error != std::errc() || stop != end || size < 0 || size > kLargestMaxSize) {
    return "--max-size takes a number of pixels from 0 (the photo's own size) to " +
           std::to_string(kLargestMaxSize) + ", not '" + value + "'";
  }
  options.max_size = size;
  return "";
}

std::string SetCaptions(CCliOptions& options, const std::string&) {
  options.captions = true;
  return "";
}

std::string SetOriginals(CCliOptions& options, const std::string&) {
  options.originals = true;
  return "";
}

std::string CheckThemeOptions(const CCliOptions& options) {
  if (options.theme == Theme::kModern) {
    if (options.output_given) {
      return "--output names the output collection file, which only '--theme classic' writes";
    }
    if (!options.thumbnails) return "--no-thumbnails is an option of '--theme classic'";
    return "";
  }
  const char* modern_only = options.max_size    ? "--max-size"
                            : options.captions  ? "--captions"
                            : options.originals ? "--originals"
                                                : nullptr;
  if (modern_only == nullptr) return "";
  return std::string(modern_only) + " is an option of the modern theme, not of '--theme classic'";
}

}  // namespace gallery
