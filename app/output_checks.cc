#include "app/output_checks.h"

#include <string_view>
#include <unordered_set>
#include <utility>

#include "app/cli_report.h"
#include "collection/gallery_builder.h"
#include "collection/output_layout.h"
#include "generate/generate.h"

namespace gallery {
namespace {

// What is wrong with the entry `foreign` of the gallery `folder`, and what to do about it: the
// end of a line that starts with the folder's name.
std::string ForeignMessage(const std::string& folder, const CForeignEntry& foreign,
                           std::string_view output_name) {
  const std::string aside = " Move the folder aside (mv " + folder + " " + folder +
                            ".old), build again, then move anything of yours back from " + folder +
                            ".old.";
  const std::string lost =
      " A build replaces the whole folder, so it would be lost: move it out of the folder, then "
      "build again.";
  switch (foreign.cause) {
    case ForeignCause::kAdded:
      return "holds " + foreign.path + ", which the last build did not write" +
             (foreign.path == output_name ? " (--output names the same file)." : ".") + lost;
    case ForeignCause::kChanged:
      return foreign.path + " was changed since the last build wrote it." + lost;
    case ForeignCause::kUnreadable:
      return foreign.path +
             " cannot be read (no permission?), so it cannot be told from the file the last "
             "build wrote. Make it readable, or move it out of the folder, then build again.";
    case ForeignCause::kNoRecord:
      return "holds files but no record of what a build wrote there (" +
             std::string(kBuildRecordName) +
             "): an older version of gallery made it, or it is no gallery, so a build cannot "
             "tell its files from yours." +
             aside;
    case ForeignCause::kDamagedRecord:
      break;
  }
  return "its record of what the last build wrote, " + std::string(kBuildRecordName) +
         ", is damaged or cut short, so a build cannot tell the gallery's files from files of "
         "yours." +
         aside;
}

// The name of the collection file that a build writes into the gallery; empty when it writes
// none.
std::string_view OutputName(const CCliOptions& options) {
  return options.theme.value_or(Theme::kModern) == Theme::kModern ? std::string_view() : options.output_name;
}

std::string RefusalMessage(const COutputChoice& choice, std::string_view output_name) {
  const std::string& folder = choice.folder;
  switch (choice.refusal) {
    case OutputRefusal::kNotAFolder:
      return folder +
             ": is a file, not a folder. Name a new folder (or the folder of an earlier gallery) "
             "as OUTDIR.";
    case OutputRefusal::kDanglingLink:
      return folder +
             ": is a link to a folder that does not exist. Create that folder, or name another "
             "OUTDIR.";
    case OutputRefusal::kNotWritable:
      return folder +
             ": this folder cannot be read (no permission). Choose a folder you may write "
             "into.";
    case OutputRefusal::kHoldsOtherFiles:
      return folder + ": " + ForeignMessage(folder, choice.foreign, output_name);
    case OutputRefusal::kNoParent:
      return folder + ": its parent folder " + choice.parent +
             " does not exist. Create it first, or name another OUTDIR.";
    case OutputRefusal::kParentNotWritable:
    case OutputRefusal::kNone:
      break;
  }
  return folder + ": the gallery is made beside this folder, but " + choice.parent +
         " cannot be written (no permission). Choose another place.";
}

// Why the finished gallery of `plan` differs from what its build planned, naming the entry as it
// would be named once in OUTDIR's place.
std::string NotAsPlannedMessage(const COutputPlan& plan) {
  const CPlanMismatchEntry& mismatch = plan.staging.mismatch();
  const std::string kept =
      plan.replaces ? " The earlier gallery was kept." : " Nothing was changed.";
  const std::string path = plan.folder + "/" + mismatch.path;
  switch (mismatch.cause) {
    case PlanMismatch::kMissing:
      return path +
             ": the build meant to write this, but it is missing from the finished gallery (did "
             "something remove it meanwhile?), so the gallery was not put in place." +
             kept + " Build again.";
    case PlanMismatch::kUnreadable:
      return path +
             ": this folder of the finished gallery cannot be read, so the gallery was not put "
             "in place." +
             kept + " Build again.";
    case PlanMismatch::kUnplanned:
      break;
  }
  return path +
         ": the finished gallery holds this, which its build did not write (did another program "
         "write into the folder meanwhile?), so the gallery was not put in place." +
         kept + " Build again.";
}

}  // namespace

std::optional<COutputPlan> OpenOutput(const std::string& outdir, const CCliOptions& options,
                                      CCliEnvironment& environment) {
  COutputChoice choice = PlanOutput(outdir);
  if (!choice.plan) ReportError(environment, RefusalMessage(choice, OutputName(options)));
  return std::move(choice.plan);
}

bool ReportEndangeredInput(const std::vector<std::string>& paths, std::string_view what,
                           const COutputPlan& plan, CCliEnvironment& environment) {
  std::optional<size_t> input = FindPathInside(paths, plan);
  if (!input) return false;
  ReportError(environment, paths[*input] + ": this " + std::string(what) + " lies inside " +
                               plan.folder +
                               ", which the build replaces whole, so it would be lost. Move it "
                               "out, or build into another folder.");
  return true;
}

CPlannedGallery ListClassicGalleryFiles(const CGalleryBuilder& builder,
                                        const std::string& output_name, bool thumbnails,
                                        const std::vector<int>& skipped) {
  // Listed in a root of "", so that each path is "/" and the path in the gallery.
  std::vector<std::string> files = ListGeneratedFiles(builder, "/" + output_name, thumbnails);
  std::unordered_set<std::string> left_out;
  for (const int index : skipped) {
    for (const std::string_view folder : {kImagesFolder, kThumbsFolder}) {
      left_out.insert(std::string(folder) + "/" + GetPhotoFileName(index));
    }
  }
  CPlannedGallery planned;
  for (const std::string_view folder : kGalleryFolders) planned.folders.emplace_back(folder);
  // A thumbnail is there only when one could be laid out, a frame piece only when the style's
  // border has a size that is drawn.
  const std::string thumbs = std::string(kThumbsFolder) + "/";
  const std::string pieces = std::string(kBorderFolder) + "/";
  for (size_t i = 0; i < files.size(); ++i) {
    std::string file = files[i].substr(1);
    // The index pages follow the collection file.
    if (i == 1 && file.find('/') == std::string::npos) planned.index_page = file;
    if (left_out.count(file) != 0) continue;
    const bool optional = file.starts_with(thumbs) || file.starts_with(pieces);
    (optional ? planned.optional_files : planned.files).push_back(std::move(file));
  }
  return planned;
}

bool ReportOutputNameTaken(const CGalleryBuilder& builder, const CCliOptions& options,
                           CCliEnvironment& environment) {
  if (options.theme.value_or(Theme::kModern) == Theme::kModern) return false;
  const std::string& name = options.output_name;
  CPlannedGallery planned =
      ListClassicGalleryFiles(builder, name, options.thumbnails.value_or(true));
  // The collection file itself comes first.
  std::vector<std::string> taken(planned.files.begin() + 1, planned.files.end());
  taken.insert(taken.end(), planned.optional_files.begin(), planned.optional_files.end());
  taken.insert(taken.end(), planned.folders.begin(), planned.folders.end());
  for (const std::string& path : taken) {
    if (path.compare(0, name.size(), name) == 0 &&
        (path.size() == name.size() || path[name.size()] == '/')) {
      ReportError(environment, "--output " + options.output_name +
                                   ": the gallery has a file or folder of that name. Choose "
                                   "another name, such as collection.xml.");
      return true;
    }
  }
  return false;
}

void ReportNotCommitted(CommitOutcome outcome, const COutputPlan& plan, const CCliOptions& options,
                        CCliEnvironment& environment) {
  const std::string& folder = plan.folder;
  switch (outcome) {
    case CommitOutcome::kOutdirChanged:
      ReportError(environment,
                  folder + ": changed while the gallery was made, so it was left as it was: it " +
                      ForeignMessage(folder, plan.staging.foreign(), OutputName(options)));
      return;
    case CommitOutcome::kNotRecorded:
      ReportError(environment, folder +
                                   ": the record of the gallery's files could not be written "
                                   "(disk full, or no permission?). Free some space and build "
                                   "again. Nothing was changed.");
      return;
    case CommitOutcome::kNotAsPlanned:
      ReportError(environment, NotAsPlannedMessage(plan));
      return;
    case CommitOutcome::kCommitted:
    case CommitOutcome::kFailed:
      break;
  }
  ReportError(environment, folder +
                               ": the finished gallery could not take this folder's place (is "
                               "it a mount point, or did something else change it meanwhile?); "
                               "it was left as it was. Name another OUTDIR, or build again.");
}

}  // namespace gallery
