#ifndef GALLERY_APP_OUTPUT_PLAN_H_
#define GALLERY_APP_OUTPUT_PLAN_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/build_record.h"

namespace gallery {
class CFolderLock;

// Why a folder named as OUTDIR cannot take a gallery.
enum class OutputRefusal {
  kNone,
  kNotAFolder,         // a file, or anything else that is no folder
  kDanglingLink,       // a symbolic link that leads to nothing, which no gallery can replace
  kNotWritable,        // an existing folder that cannot be listed
  kHoldsOtherFiles,    // an existing folder holding anything that no earlier build wrote
  kNoParent,           // a new folder whose parent folder does not exist
  kParentNotWritable,  // the parent folder, where the gallery is staged, cannot be written into
};

// How putting a finished gallery in place went.
enum class CommitOutcome {
  kCommitted,
  kFailed,         // OUTDIR could not be replaced or created; it is as it was
  kNotRecorded,    // the record of the new gallery's files could not be written; OUTDIR is as
                   // it was
  kOutdirChanged,  // OUTDIR came to hold what its last build did not write; it is as it was
  kNotAsPlanned,   // the new gallery lacks a file its build planned, or holds one it did not;
                   // OUTDIR is as it was
};

// A fresh folder beside OUTDIR that a build fills and that then takes OUTDIR's place whole, so
// that a failed or interrupted build leaves nothing half-written, and a finished one leaves
// nothing of an earlier gallery. The gallery it becomes records what it holds, so that the next
// build replaces it only while it holds nothing else. Unless committed it is removed with
// everything in it when dropped. While it lives it is locked, so that a later build can tell the
// staging folder of a build that was killed (unlocked) from one in progress.
class CStagingFolder {
 public:
  // `target` is OUTDIR with its links resolved.
  CStagingFolder(std::string path, std::unique_ptr<CFolderLock> lock, std::string target);
  CStagingFolder(CStagingFolder&& other) noexcept;
  CStagingFolder(const CStagingFolder&) = delete;
  CStagingFolder& operator=(const CStagingFolder&) = delete;
  ~CStagingFolder();

  const std::string& path() const { return path_; }
  // With `kOutdirChanged`: the first entry of OUTDIR that its last build did not write.
  const CForeignEntry& foreign() const { return foreign_; }
  // With `kNotAsPlanned`: the first entry of the folder that differs from the plan.
  const CPlanMismatchEntry& mismatch() const { return mismatch_; }

  // Records what the folder holds, found to be what `planned` names (see WriteBuildRecord), and
  // that `inputs` made it (see CBuildRecord), then puts it in OUTDIR's place: exchanged with an
  // existing
  // OUTDIR in one step (two renames where the file system cannot exchange), whose old gallery
  // is then removed once it is found to hold only what its record lists, or renamed to a new
  // one. Anything but `kCommitted` leaves OUTDIR as it was, and the folder this object's to
  // remove.
  CommitOutcome Commit(const CPlannedGallery& planned, std::string_view inputs);

 private:
  // Replaces the existing OUTDIR; `aside` is where the old folder went.
  CommitOutcome Replace(std::string& aside);

  std::string path_;  // empty once committed or moved from: nothing left to remove
  std::unique_ptr<CFolderLock> lock_;
  std::string target_;
  CForeignEntry foreign_;
  CPlanMismatchEntry mismatch_;
};

// Where a build writes: a staging folder beside OUTDIR, which becomes OUTDIR once the gallery is
// complete.
struct COutputPlan {
  std::string folder;  // OUTDIR as given, without trailing separators
  CStagingFolder staging;
  bool replaces = false;  // OUTDIR exists (empty, or an earlier gallery)
  // What the gallery in OUTDIR was made from, when it holds that whole gallery unchanged (see
  // CRecordCheck); else empty.
  std::string recorded_inputs;
  // What this build is made from, for the record it commits; empty when not known.
  std::string inputs;

  // Where the files go while the build lasts.
  const std::string& root() const { return staging.path(); }
  CommitOutcome Commit(const CPlannedGallery& planned) { return staging.Commit(planned, inputs); }
};

// A plan, or why there is none.
struct COutputChoice {
  std::optional<COutputPlan> plan;
  OutputRefusal refusal = OutputRefusal::kNone;
  std::string folder;   // OUTDIR as given, without trailing separators
  std::string parent;   // its parent folder, named by the refusals that concern it
  CForeignEntry foreign;  // with kHoldsOtherFiles: what keeps OUTDIR from being replaced
};

// `path` without the separators at its end, unless it is nothing but one.
std::string StripTrailingSeparators(std::string path);

// Checks OUTDIR and decides where to write; removes the staging folders that killed builds
// into the same OUTDIR left, and creates this build's own beside OUTDIR. An existing OUTDIR
// must be empty or hold exactly what its record lists (see FindForeignEntry). An existing file,
// folder or other entry is never changed.
COutputChoice PlanOutput(const std::string& outdir);

// The first of `paths` that lies inside OUTDIR (existing or not), which a build replaces whole;
// nothing when none does.
std::optional<size_t> FindPathInside(const std::vector<std::string>& paths,
                                     const COutputPlan& plan);

}  // namespace gallery

#endif  // GALLERY_APP_OUTPUT_PLAN_H_
