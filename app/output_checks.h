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

// Reports an output collection name that is also the name of a file or folder of the gallery.
bool ReportOutputNameTaken(const CGalleryBuilder& builder, const CCliOptions& options,
                           CCliEnvironment& environment);

// Says why the finished gallery of `plan` did not take OUTDIR's place; OUTDIR is as it was.
void ReportNotCommitted(CommitOutcome outcome, const COutputPlan& plan, const CCliOptions& options,
                        CCliEnvironment& environment);

}  // namespace gallery

#endif  // GALLERY_APP_OUTPUT_CHECKS_H_
