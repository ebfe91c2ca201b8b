#ifndef GALLERY_APP_INTERRUPTION_H_
#define GALLERY_APP_INTERRUPTION_H_

#include "app/start_up.h"

namespace gallery {

// Makes SIGTERM, SIGINT and SIGHUP ask the front end to stop rather than end the process at
// once, so that a build can roll back what it began: the handler only notes the signal. A second
// such signal ends the process straight away, as the start-up handler does (temporary files
// removed, the process killed by that signal), for a build that does not get to a point where it
// stops. A signal that was ignored when the program started (as under nohup) stays ignored.
// Called after `StartUpProcess`, before any thread starts.
void CatchInterruptions();

// The first signal that asked to stop, or 0 when none came.
int InterruptionSignal();

}  // namespace gallery

#endif  // GALLERY_APP_INTERRUPTION_H_
