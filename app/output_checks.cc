#include "app/output_checks.h"

#include <string_view>
#include <utility>

#include "app/cli_report.h"
#include "collection/gallery_builder.h"
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

bool ReportOutputNameTaken(const CGalleryBuilder& builder, const CCliOptions& options,
                           CCliEnvironment& environment) {
  const std::string document = "/" + options.output_name;
  std::vector<std::string> files = ListGeneratedFiles(builder, document, options.thumbnails.value_or(true));
  files.erase(files.begin());
  for (const char* folder : {"/images", "/thumbs", "/pages", "/advanced", "/border"}) {
    files.emplace_back(folder);
  }
  for (const std::string& file : files) {
    if (file.compare(0, document.size(), document) == 0 &&
        (file.size() == document.size() || file[document.size()] == '/')) {
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
