#include "app/output_checks.h"

#include <utility>

#include "app/cli_report.h"
#include "collection/gallery_builder.h"
#include "generate/generate.h"

namespace gallery {
namespace {

std::string RefusalMessage(const COutputChoice& choice) {
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
      if (choice.foreign == "source-collection.xml") {
        return folder +
               ": holds source-collection.xml, the collection an earlier 'gallery new' kept "
               "there. A build replaces the whole folder, so move that file beside it first: mv " +
               folder + "/source-collection.xml " + DefaultCollectionPath(folder) +
               ", then run 'gallery build " + DefaultCollectionPath(folder) + " " + folder + "'.";
      }
      return folder + ": holds " + choice.foreign +
             ", which is no part of an earlier gallery. A build replaces the whole folder, so it "
             "would be lost: move it out, or name a new or empty folder.";
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
  COutputChoice choice = PlanOutput(outdir, options.output_name);
  if (!choice.plan) ReportError(environment, RefusalMessage(choice));
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
  std::vector<std::string> files = ListGeneratedFiles(builder, document, options.thumbnails);
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

void ReportNotCommitted(CommitOutcome outcome, const std::string& folder,
                        CCliEnvironment& environment) {
  ReportError(environment,
              folder + (outcome == CommitOutcome::kOutdirChanged
                            ? ": files that are no part of a gallery were put into this folder "
                              "while the gallery was made, so it was left as it was. Move them "
                              "out and build again."
                            : ": the finished gallery could not take this folder's place (is "
                              "it a mount point, or did something else change it meanwhile?); "
                              "it was left as it was. Name another OUTDIR, or build again."));
}

}  // namespace gallery
