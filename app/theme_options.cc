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

std::string SetNoCaptions(CCliOptions& options, const std::string&) {
  options.captions = false;
  return "";
}

std::string SetNoOriginals(CCliOptions& options, const std::string&) {
  options.originals = false;
  return "";
}

std::string CheckThemeOptions(const CCliOptions& options) {
  if (!options.theme && options.command != CliCommand::kNew) return "";
  if (options.theme.value_or(Theme::kModern) == Theme::kModern) {
    if (options.output_given) {
      return "--output names the output collection file, which only '--theme classic' writes";
    }
    if (!options.thumbnails.value_or(true)) {
      return "--no-thumbnails is an option of '--theme classic'";
    }
    return "";
  }
  // Saying no to a modern option asks for nothing the classic theme lacks.
  const char* modern_only = options.max_size                    ? "--max-size"
                            : options.captions.value_or(false)  ? "--captions"
                            : options.originals.value_or(false) ? "--originals"
                                                                : nullptr;
  if (modern_only == nullptr) return "";
  return std::string(modern_only) + " is an option of the modern theme, not of '--theme classic'";
}

CCliOptions ApplyRecordedSettings(const CCliOptions& options,
                                  const std::optional<CGallerySettings>& recorded) {
  CCliOptions applied = options;
  const CGallerySettings settings = recorded.value_or(CGallerySettings{});
  applied.theme = options.theme.value_or(settings.theme.value_or(Theme::kModern));
  const bool modern = *applied.theme == Theme::kModern;
  if (modern) {
    if (!applied.captions) applied.captions = settings.captions.value_or(false);
    if (!applied.originals) applied.originals = settings.originals.value_or(false);
    if (!applied.max_size) applied.max_size = settings.max_size;
    // A recorded code that names no language was refused as the collection was loaded.
    if (!applied.language && settings.language) {
      applied.language = ParsePageLanguage(*settings.language);
    }
  } else if (!applied.thumbnails) {
    applied.thumbnails = settings.thumbnails.value_or(true);
  }
  if (!applied.order) applied.order = settings.order.value_or(PhotoOrder::kName);
  if (!applied.titles) applied.titles = settings.titles.value_or(TitleSource::kChosen);
  return applied;
}

}  // namespace gallery
