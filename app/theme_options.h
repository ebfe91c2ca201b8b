#ifndef GALLERY_APP_THEME_OPTIONS_H_
#define GALLERY_APP_THEME_OPTIONS_H_

#include <string>

namespace gallery {
struct CCliOptions;

// The page images' longer side by default, and the largest cap that can be asked for.
inline constexpr int kDefaultMaxSize = 2048;
inline constexpr int kLargestMaxSize = 16384;

// Setters of the options that choose and shape a theme: an error text when the value makes no
// sense, else empty.
std::string SetTheme(CCliOptions& options, const std::string& value);
std::string SetMaxSize(CCliOptions& options, const std::string& value);
std::string SetCaptions(CCliOptions& options, const std::string& value);
std::string SetOriginals(CCliOptions& options, const std::string& value);

// The error of options that the chosen theme does not take, else empty: the classic theme
// takes none of the modern one's, and the modern one writes no output collection file.
std::string CheckThemeOptions(const CCliOptions& options);

}  // namespace gallery

#endif  // GALLERY_APP_THEME_OPTIONS_H_
