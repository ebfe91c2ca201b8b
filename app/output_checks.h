#ifndef GALLERY_APP_OUTPUT_CHECKS_H_
#define GALLERY_APP_OUTPUT_CHECKS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/gallery_cli.h"
#include "app/gallery_options.h"
#include "app/output_plan.h"

namespace gallery {
class CGalleryBuilder;

// The plan of where OUTDIR's gallery is written, or nothing after saying why OUTDIR won't do.
std::optional<COutputPlan> OpenOutput(const std::string& outdir, const CCliOptions& options,
                                      CCliEnvironment& environment);

// Reports the first of the build's inputs (`what`: photo or collection file) that lies inside
// OUTDIR, which the build replaces with everything in it, if any.
bool ReportEndangeredInput(const std::vector<std::string>& paths, std::string_view what,
                           const COutputPlan& plan, CCliEnvironment& environment);

// Every folder and file of the classic gallery of `builder`'s photos with the output collection
// file `output_name` (listed first) and, with `thumbnails`, thumbnails, as ListGeneratedFiles
// gives them. The photos `skipped` (by index), which had no image made, have none; thumbnails
// and frame pieces are optional, as a photo's shape or the style's border size may leave them
// out. The first index page is the
// first one listed, if any.
CPlannedGallery ListClassicGalleryFiles(const CGalleryBuilder& builder,
                                        const std::string& output_name, bool thumbnails,
                                        const std::vector<int>& skipped = {});

// Reports an output collection name that is also the name of a file or folder of the classic
// gallery that a build writes (the modern theme writes no collection file).
bool ReportOutputNameTaken(const CGalleryBuilder& builder, const CCliOptions& options,
                           CCliEnvironment& environment);

// Says why the finished gallery of `plan` did not take OUTDIR's place; OUTDIR is as it was.
void ReportNotCommitted(CommitOutcome outcome, const COutputPlan& plan, const CCliOptions& options,
                        CCliEnvironment& environment);

}  // namespace gallery

#endif  // GALLERY_APP_OUTPUT_CHECKS_H_
