#include "app/output_plan.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "app/modern_build.h"
#include "collection/output_layout.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

// What a staging folder is called beside OUTDIR, before its six random characters.
constexpr std::string_view kStagingInfix = ".staging-";
constexpr size_t kStagingRandomSize = 6;

// True for the files a build writes into the gallery folder `folder` ("" for the top).
bool IsBuildFileName(std::string_view folder, std::string_view name,
                     std::string_view output_name) {
  if (std::optional<std::string> target = TemporaryFileTarget(name)) {
    return IsBuildFileName(folder, *target, output_name);
  }
  if (folder.empty() && (name == output_name || name == "collection.xml")) return true;
  return IsGalleryFileName(folder, name);
}

bool IsGalleryFolderName(std::string_view name) {
  return std::find(kGalleryFolders.begin(), kGalleryFolders.end(), name) != kGalleryFolders.end();
}

bool LiesInside(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path[folder.size()] == '/' || folder == "/");
}

// Of the entries `names` of `folder`, which holds a modern gallery's own folder and first page,
// the first that a modern build does not write.
std::optional<std::string> FindForeignModernEntry(const std::string& folder,
                                                  const std::vector<std::string>& names) {
  auto is_modern_file = [](std::string_view inner_folder, std::string_view name) {
    const std::optional<std::string> target = TemporaryFileTarget(name);
    return IsModernGalleryFileName(inner_folder, target ? std::string_view(*target) : name);
  };
  for (const std::string& name : names) {
    const PathKind kind = GetPathKind(folder + "/" + name);
    const bool modern_folder = std::find(std::begin(kModernFolders), std::end(kModernFolders),
                                         name) != std::end(kModernFolders);
    if (modern_folder && kind == PathKind::kFolder) {
      for (const std::string& inner : ListFolder(folder + "/" + name).value_or(names)) {
        if (!is_modern_file(name, inner) ||
            GetPathKind(folder + "/" + name + "/" + inner) != PathKind::kFile) {
          return name + "/" + inner;
        }
      }
    } else if (kind != PathKind::kFile || !is_modern_file("", name)) {
      return name;
    }
  }
  return std::nullopt;
}

COutputChoice Refuse(COutputChoice choice, OutputRefusal refusal) {
  choice.refusal = refusal;
  return choice;
}

// "PARENT/.NAME.staging-" for the OUTDIR `target`.
std::string StagingPrefix(const std::string& target) {
  const std::string parent = ParentFolder(target);
  return (parent.empty() ? std::string() : parent) + "/." +
         target.substr(target.find_last_of('/') + 1) + std::string(kStagingInfix);
}

// Removes the staging folders beside `target` whose build has ended without removing them (it
// was killed): those nobody holds the lock of.
void RemoveAbandonedStaging(const std::string& target) {
  const std::string prefix = StagingPrefix(target);
  const std::string parent = ParentFolder(prefix);
  const std::string name_prefix = prefix.substr(parent.size() + 1);
  const std::string listed = parent.empty() ? "/" : parent;
  for (const std::string& name : ListFolder(listed).value_or(std::vector<std::string>{})) {
    if (!name.starts_with(name_prefix) || name.size() != name_prefix.size() + kStagingRandomSize) {
      continue;
    }
    const std::string path = parent + "/" + name;
    if (GetPathKind(path) != PathKind::kFolder) continue;
    CFolderLock lock(path, false);
    if (lock.held()) static_cast<void>(RemoveTree(path));
  }
}

// A new, locked staging folder beside `target`. The lock is taken after the folder exists, so
// another build may take that folder for abandoned and remove it in between: then the next
// name is tried.
std::optional<CStagingFolder> CreateStaging(const std::string& target,
                                            const std::string& output_name) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::optional<std::string> path = CreateUniqueFolder(StagingPrefix(target));
    if (!path) return std::nullopt;
    auto lock = std::make_unique<CFolderLock>(*path, false);
    if (lock->held() && GetPathKind(*path) == PathKind::kFolder) {
      return CStagingFolder(std::move(*path), std::move(lock), target, output_name);
    }
  }
  return std::nullopt;
}

}  // namespace

CStagingFolder::CStagingFolder(std::string path, std::unique_ptr<CFolderLock> lock,
                               std::string target, std::string output_name)
    : path_(std::move(path)),
      lock_(std::move(lock)),
      target_(std::move(target)),
      output_name_(std::move(output_name)) {}

CStagingFolder::CStagingFolder(CStagingFolder&& other) noexcept
    : path_(std::exchange(other.path_, std::string())),
      lock_(std::move(other.lock_)),
      target_(std::move(other.target_)),
      output_name_(std::move(other.output_name_)) {}

CStagingFolder::~CStagingFolder() {
  // Everything in a staging folder is the build's own (or, after a failed commit, the old
  // gallery's that it replaced), so removing all of it loses nothing.
  if (!path_.empty()) static_cast<void>(RemoveTree(path_));
}

CommitOutcome CStagingFolder::Commit() {
  if (GetPathKind(target_) == PathKind::kMissing) {
    if (!RenamePath(path_, target_)) return CommitOutcome::kFailed;
    path_.clear();
    return CommitOutcome::kCommitted;
  }
  std::string aside;
  const CommitOutcome outcome = Replace(aside);
  if (outcome != CommitOutcome::kCommitted) return outcome;
  // The old gallery has left OUTDIR: whatever of it cannot be removed now, a later build into
  // the same place removes, as it is named and unlocked like a killed build's staging.
  static_cast<void>(RemoveTree(aside));
  path_.clear();
  return CommitOutcome::kCommitted;
}

CommitOutcome CStagingFolder::Replace(std::string& aside) {
  // The new folder keeps the permissions that the old one was given, say for a web server.
  static_cast<void>(CopyPermissions(target_, path_));
  switch (ExchangePaths(path_, target_)) {
    case ExchangeOutcome::kExchanged:
      aside = path_;
      // What was swapped out is checked once more: it was a gallery when the build began, but
      // anything may have been put into it since.
      if (FindForeignEntry(aside, output_name_)) {
        static_cast<void>(ExchangePaths(path_, target_));
        return CommitOutcome::kOutdirChanged;
      }
      return CommitOutcome::kCommitted;
    case ExchangeOutcome::kFailed:
      return CommitOutcome::kFailed;
    case ExchangeOutcome::kUnsupported:
      break;
  }
  // Without an exchange, OUTDIR is missing between two renames; the old folder goes aside under
  // a staging name first, so that a killed build leaves it where the next one removes it.
  std::optional<std::string> empty = CreateUniqueFolder(StagingPrefix(target_));
  if (!empty) return CommitOutcome::kFailed;
  aside = *empty;
  if (!RenamePath(target_, aside)) {
    static_cast<void>(RemoveTree(aside));
    return CommitOutcome::kFailed;
  }
  if (FindForeignEntry(aside, output_name_) || !RenamePath(path_, target_)) {
    const bool changed = FindForeignEntry(aside, output_name_).has_value();
    static_cast<void>(RenamePath(aside, target_));
    return changed ? CommitOutcome::kOutdirChanged : CommitOutcome::kFailed;
  }
  return CommitOutcome::kCommitted;
}

std::string StripTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

std::optional<std::string> FindForeignEntry(const std::string& folder,
                                            std::string_view output_name) {
  std::vector<std::string> names = ListFolder(folder).value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  if (names.empty()) return std::nullopt;
  // Only a gallery has both of these folders; a folder with files but not them is someone's.
  auto has = [&names](std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  if (has("assets") && has("index.html")) return FindForeignModernEntry(folder, names);
  if (!has("advanced") || !has("border")) return names.front();
  for (const std::string& name : names) {
    const PathKind kind = GetPathKind(folder + "/" + name);
    if (IsGalleryFolderName(name) && kind == PathKind::kFolder) {
      for (const std::string& inner : ListFolder(folder + "/" + name).value_or(names)) {
        if (!IsBuildFileName(name, inner, output_name) ||
            GetPathKind(folder + "/" + name + "/" + inner) != PathKind::kFile) {
          return name + "/" + inner;
        }
      }
    } else if (kind != PathKind::kFile || !IsBuildFileName("", name, output_name)) {
      return name;
    }
  }
  return std::nullopt;
}

COutputChoice PlanOutput(const std::string& outdir, const std::string& output_name) {
  COutputChoice choice;
  choice.folder = StripTrailingSeparators(outdir);
  // A link named as OUTDIR stays: the folder it leads to is the one replaced.
  const std::string target = AbsolutePath(choice.folder);
  choice.parent = ParentFolder(target);
  if (choice.parent.empty()) choice.parent = "/";
  const PathKind kind = GetPathKind(target);
  switch (kind) {
    case PathKind::kFile:
    case PathKind::kOther:
      return Refuse(std::move(choice), OutputRefusal::kNotAFolder);
    case PathKind::kFolder:
      if (!ListFolder(target)) return Refuse(std::move(choice), OutputRefusal::kNotWritable);
      if (std::optional<std::string> foreign = FindForeignEntry(target, output_name)) {
        choice.foreign = *foreign;
        return Refuse(std::move(choice), OutputRefusal::kHoldsOtherFiles);
      }
      break;
    case PathKind::kMissing:
      if (IsSymbolicLink(target)) return Refuse(std::move(choice), OutputRefusal::kDanglingLink);
      if (GetPathKind(choice.parent) != PathKind::kFolder) {
        choice.parent = ParentFolder(choice.folder);
        if (choice.parent.empty()) choice.parent = "/";
        return Refuse(std::move(choice), OutputRefusal::kNoParent);
      }
      break;
  }
  if (!IsWritableFolder(choice.parent) || target == "/") {
    return Refuse(std::move(choice), OutputRefusal::kParentNotWritable);
  }
  RemoveAbandonedStaging(target);
  std::optional<CStagingFolder> staging = CreateStaging(target, output_name);
  if (!staging) return Refuse(std::move(choice), OutputRefusal::kParentNotWritable);
  choice.plan.emplace(COutputPlan{choice.folder, std::move(*staging), kind == PathKind::kFolder});
  return choice;
}

std::optional<size_t> FindPathInside(const std::vector<std::string>& paths,
                                     const COutputPlan& plan) {
  const std::string gallery = AbsolutePath(plan.folder);
  for (size_t i = 0; i < paths.size(); ++i) {
    if (LiesInside(AbsolutePath(paths[i]), gallery)) return i;
  }
  return std::nullopt;
}

}  // namespace gallery
