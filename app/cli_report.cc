#include "app/cli_report.h"

#include "app/interruption.h"
#include "app/photo_folder.h"

namespace gallery {

// Messages name the user's files, whose names may hold anything a terminal would act on.
void ReportError(CCliEnvironment& environment, const std::string& message) {
  environment.err << "gallery: error: " << EscapeForTerminal(message) << '\n' << std::flush;
}

void ReportWarning(CCliEnvironment& environment, const std::string& message) {
  environment.err << "gallery: warning: " << EscapeForTerminal(message) << '\n' << std::flush;
}

bool StopRequested(const CCliEnvironment& environment) {
  return environment.stop_requested && environment.stop_requested();
}

bool ReportInterrupted(CCliEnvironment& environment) {
  if (!StopRequested(environment)) return false;
  // What the run made is removed from here on; a second request must not cut that short.
  HoldInterruptionsWhileRollingBack();
  environment.err << "gallery: interrupted, nothing was changed\n" << std::flush;
  return true;
}

}  // namespace gallery
