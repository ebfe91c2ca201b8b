#include "app/output_plan.h"

#include <string_view>
#include <utility>

#include "platform/file_system.h"
#include "platform/folder_listing.h"

namespace gallery {
namespace {

// What a staging folder is called beside OUTDIR, before its six random characters.
constexpr std::string_view kStagingInfix = ".staging-";
constexpr size_t kStagingRandomSize = 6;

bool LiesBelow(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path[folder.size()] == '/' || folder == "/");
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
std::optional<CStagingFolder> CreateStaging(const std::string& target) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::optional<std::string> path = CreateUniqueFolder(StagingPrefix(target));
    if (!path) return std::nullopt;
    auto lock = std::make_unique<CFolderLock>(*path, false);
    if (lock->held() && GetPathKind(*path) == PathKind::kFolder) {
      return CStagingFolder(std::move(*path), std::move(lock), target);
    }
  }
  return std::nullopt;
}

}  // namespace

CStagingFolder::CStagingFolder(std::string path, std::unique_ptr<CFolderLock> lock,
                               std::string target)
    : path_(std::move(path)), lock_(std::move(lock)), target_(std::move(target)) {}

CStagingFolder::CStagingFolder(CStagingFolder&& other) noexcept
    : path_(std::exchange(other.path_, std::string())),
      lock_(std::move(other.lock_)),
      target_(std::move(other.target_)),
      foreign_(std::move(other.foreign_)),
      mismatch_(std::move(other.mismatch_)) {}

CStagingFolder::~CStagingFolder() {
  // Everything in a staging folder is the build's own (or, after a failed commit, the old
  // gallery's that it replaced), so removing all of it loses nothing.
  if (!path_.empty()) static_cast<void>(RemoveTree(path_));
}

CommitOutcome CStagingFolder::Commit(const CPlannedGallery& planned, std::string_view inputs) {
  // Recorded last, once nothing else changes in the folder: the image cache links its files in
  // while the build lasts and may unlink its own names of them as it is trimmed afterwards.
  CRecordWriting record = WriteBuildRecord(path_, planned, inputs);
  if (record.mismatch) {
    mismatch_ = std::move(*record.mismatch);
    return CommitOutcome::kNotAsPlanned;
  }
  if (!record.entries) return CommitOutcome::kNotRecorded;
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
      // What was swapped out is checked once more: it held what its record lists when the
      // build began, but anything may have been put into it or changed since.
      if (std::optional<CForeignEntry> foreign = FindForeignEntry(aside)) {
        foreign_ = std::move(*foreign);
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
  std::optional<CForeignEntry> foreign = FindForeignEntry(aside);
  if (foreign || !RenamePath(path_, target_)) {
    static_cast<void>(RenamePath(aside, target_));
    if (!foreign) return CommitOutcome::kFailed;
    foreign_ = std::move(*foreign);
    return CommitOutcome::kOutdirChanged;
  }
  return CommitOutcome::kCommitted;
}

std::string StripTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

COutputChoice PlanOutput(const std::string& outdir) {
  COutputChoice choice;
  choice.folder = StripTrailingSeparators(outdir);
  // A link named as OUTDIR stays: the folder it leads to is the one replaced.
  const std::string target = AbsolutePath(choice.folder);
  choice.parent = ParentFolder(target);
  if (choice.parent.empty()) choice.parent = "/";
  const PathKind kind = GetPathKind(target);
  std::string recorded_inputs;
  switch (kind) {
    case PathKind::kFile:
    case PathKind::kOther:
      return Refuse(std::move(choice), OutputRefusal::kNotAFolder);
    case PathKind::kFolder:
      if (!ListFolder(target)) return Refuse(std::move(choice), OutputRefusal::kNotWritable);
      if (CRecordCheck check = CheckAgainstRecord(target); check.foreign) {
        choice.foreign = std::move(*check.foreign);
        return Refuse(std::move(choice), OutputRefusal::kHoldsOtherFiles);
      } else {
        recorded_inputs = std::move(check.inputs);
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
  std::optional<CStagingFolder> staging = CreateStaging(target);
  if (!staging) return Refuse(std::move(choice), OutputRefusal::kParentNotWritable);
  choice.plan.emplace(COutputPlan{choice.folder, std::move(*staging), kind == PathKind::kFolder,
                                  std::move(recorded_inputs), ""});
  return choice;
}

std::optional<size_t> FindPathInside(const std::vector<std::string>& paths,
                                     const COutputPlan& plan) {
  const std::string gallery = AbsolutePath(plan.folder);
  for (size_t i = 0; i < paths.size(); ++i) {
    if (LiesBelow(AbsolutePath(paths[i]), gallery)) return i;
  }
  return std::nullopt;
}

}  // namespace gallery
