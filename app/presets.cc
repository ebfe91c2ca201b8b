#include "app/presets.h"

#include <algorithm>
#include <string_view>

#include "app/photo_folder.h"
#include "collection/gallery_builder.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

constexpr std::string_view kPresetExtension = ".xml";

bool IsPresetFileName(std::string_view name) {
  return name.size() > kPresetExtension.size() && name.front() != '.' &&
         name.substr(name.size() - kPresetExtension.size()) == kPresetExtension;
}

}  // namespace

std::string DefaultPresetFolder() {
  if (GetPathKind(GALLERY_PRESET_INSTALL_DIR) == PathKind::kFolder) {
    return GALLERY_PRESET_INSTALL_DIR;
  }
  return GALLERY_PRESET_SOURCE_DIR;
}

std::vector<CPreset> ListPresets(const std::string& folder) {
  std::vector<CPreset> presets;
  std::vector<std::string> names = ListFolder(folder).value_or(std::vector<std::string>{});
  for (const std::string& name : names) {
    if (!IsPresetFileName(name)) continue;
    CPreset preset;
    preset.name = name.substr(0, name.size() - kPresetExtension.size());
    preset.path = folder + "/" + name;
    CGalleryBuilder builder;
    if (builder.Load(preset.path) != LoadFailure::kNone) continue;
    preset.title = builder.style().preset_name;
    preset.description = builder.style().preset_desc;
    presets.push_back(std::move(preset));
  }
  std::sort(presets.begin(), presets.end(), [](const CPreset& left, const CPreset& right) {
    return NaturalLess(left.name, right.name);
  });
  return presets;
}

std::optional<std::string> FindPreset(const std::string& folder, const std::string& name) {
  if (name.empty() || name.front() == '.' || name.find_first_of("/\\") != std::string::npos) {
    return std::nullopt;
  }
  std::string path = folder + "/" + name + std::string(kPresetExtension);
  if (GetPathKind(path) != PathKind::kFile) return std::nullopt;
  return path;
}

}  // namespace gallery
