#ifndef GALLERY_APP_PRESETS_H_
#define GALLERY_APP_PRESETS_H_

#include <optional>
#include <string>
#include <vector>

namespace gallery {

// A style preset shipped with the program: a collection file without photos whose style element
// is the preset, named after the file.
struct CPreset {
  std::string name;  // the file name without ".xml", as given to --preset
  std::string path;
  std::string title;        // the style's preset_name
  std::string description;  // the style's preset_desc
};

// The folder of the installed presets when it exists, else the one in the source tree, so that
// a program run from its build folder finds them too.
std::string DefaultPresetFolder();

// The presets of `folder` sorted by name; files that do not load as collection files are left
// out.
std::vector<CPreset> ListPresets(const std::string& folder);

// The path of the preset `name` in `folder`, or nothing when there is no such preset. A name
// holding a separator or starting with a dot names none.
std::optional<std::string> FindPreset(const std::string& folder, const std::string& name);

}  // namespace gallery

#endif  // GALLERY_APP_PRESETS_H_
