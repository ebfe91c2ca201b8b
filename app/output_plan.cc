#include "app/output_plan.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

// The folders a generation writes into; a photo inside one of them could be overwritten.
constexpr std::array<std::string_view, 5> kGalleryFolders = {"images", "thumbs", "pages",
                                                             "advanced", "border"};

// Only a gallery has both of these folders, so a folder holding them may be written over.
bool IsEarlierGallery(const std::vector<std::string>& names) {
  auto has = [&names](std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  return has("advanced") && has("border");
}

bool LiesInside(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/';
}

COutputChoice Refuse(COutputChoice choice, OutputRefusal refusal) {
  choice.refusal = refusal;
  return choice;
}

}  // namespace

CStagingFolder::CStagingFolder(std::string path, std::string target)
    : path_(std::move(path)), target_(std::move(target)) {}

CStagingFolder::CStagingFolder(CStagingFolder&& other) noexcept
    : path_(std::exchange(other.path_, std::string())), target_(std::move(other.target_)) {}

CStagingFolder::~CStagingFolder() {
  // Everything in a staging folder is the run's own, so removing all of it loses nothing.
  if (!path_.empty()) static_cast<void>(RemoveTree(path_));
}

bool CStagingFolder::Commit() {
  if (!RenamePath(path_, target_)) return false;
  path_.clear();
  return true;
}

std::string StripTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

COutputChoice PlanOutput(const std::string& outdir) {
  COutputChoice choice;
  choice.folder = StripTrailingSeparators(outdir);
  switch (GetPathKind(choice.folder)) {
    case PathKind::kFile:
    case PathKind::kOther:
      return Refuse(std::move(choice), OutputRefusal::kNotAFolder);
    case PathKind::kFolder: {
      std::optional<std::vector<std::string>> names = ListFolder(choice.folder);
      if (!names || !IsWritableFolder(choice.folder)) {
        return Refuse(std::move(choice), OutputRefusal::kNotWritable);
      }
      if (!names->empty() && !IsEarlierGallery(*names)) {
        return Refuse(std::move(choice), OutputRefusal::kHoldsOtherFiles);
      }
      choice.plan.emplace(COutputPlan{choice.folder, std::nullopt});
      return choice;
    }
    case PathKind::kMissing:
      break;
  }
  choice.parent = ParentFolder(choice.folder);
  if (choice.parent.empty()) choice.parent = "/";
  if (GetPathKind(choice.parent) != PathKind::kFolder) {
    return Refuse(std::move(choice), OutputRefusal::kNoParent);
  }
  std::optional<std::string> staging =
      IsWritableFolder(choice.parent) ? CreateFolderBeside(choice.folder) : std::nullopt;
  if (!staging) return Refuse(std::move(choice), OutputRefusal::kParentNotWritable);
  choice.plan.emplace(COutputPlan{choice.folder, std::nullopt});
  choice.plan->staging.emplace(std::move(*staging), choice.folder);
  return choice;
}

std::optional<size_t> FindPhotoInGalleryFolders(const std::vector<std::string>& photo_paths,
                                                const COutputPlan& plan) {
  if (plan.staging) return std::nullopt;
  const std::string gallery = AbsolutePath(plan.folder);
  for (size_t i = 0; i < photo_paths.size(); ++i) {
    const std::string source = AbsolutePath(photo_paths[i]);
    for (std::string_view folder : kGalleryFolders) {
      if (LiesInside(source, gallery + "/" + std::string(folder))) return i;
    }
  }
  return std::nullopt;
}

}  // namespace gallery
