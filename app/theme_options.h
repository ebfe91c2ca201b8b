#ifndef GALLERY_APP_THEME_OPTIONS_H_
#define GALLERY_APP_THEME_OPTIONS_H_

#include <optional>
#include <string>

#include "collection/library.h"

namespace gallery {
struct CCliOptions;

// Setters of the options that choose and shape a theme: an error text when the value makes no
// sense, else empty.
std::string SetTheme(CCliOptions& options, const std::string& value);
std::string SetMaxSize(CCliOptions& options, const std::string& value);
std::string SetCaptions(CCliOptions& options, const std::string& value);
std::string SetOriginals(CCliOptions& options, const std::string& value);
std::string SetNoCaptions(CCliOptions& options, const std::string& value);
std::string SetNoOriginals(CCliOptions& options, const std::string& value);

// The error of options that the chosen theme does not take, else empty: the classic theme
// takes none of the modern one's, and the modern one writes no output collection file. A
// command that may take its theme from a collection is checked once that is known: without
// --theme, `build` and `update` pass here.
std::string CheckThemeOptions(const CCliOptions& options);

// `options` with every option that shapes the gallery set: as given, else as `recorded` says
// where it applies to the theme, else the default. The theme is given or recorded or modern;
// recorded modern options (the language too) count only in the modern theme, and recorded
// thumbnails only in the classic one. The sort order and the source of titles are given, else
// recorded, else by name and kChosen.
CCliOptions ApplyRecordedSettings(const CCliOptions& options,
                                  const std::optional<CGallerySettings>& recorded);

}  // namespace gallery

#endif  // GALLERY_APP_THEME_OPTIONS_H_
