#ifndef GALLERY_APP_CLI_REPORT_H_
#define GALLERY_APP_CLI_REPORT_H_

#include <string>

#include "app/gallery_cli.h"

namespace gallery {

// The one line that reports an error or a warning, with the program's name in front; what a
// terminal would act on is escaped.
void ReportError(CCliEnvironment& environment, const std::string& message);
void ReportWarning(CCliEnvironment& environment, const std::string& message);

bool StopRequested(const CCliEnvironment& environment);

// True, after saying so, when the run is asked to stop; nothing has been changed then, and a
// later signal no longer ends the process before it has removed what it made.
bool ReportInterrupted(CCliEnvironment& environment);

}  // namespace gallery

#endif  // GALLERY_APP_CLI_REPORT_H_
