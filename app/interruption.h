#ifndef GALLERY_APP_INTERRUPTION_H_
#define GALLERY_APP_INTERRUPTION_H_

#include "app/start_up.h"

namespace gallery {

// Makes SIGTERM, SIGINT and SIGHUP ask the front end to stop rather than end the process at
// once, so that a build can roll back what it began: the handler only notes the signal. The
// same signal again within a second is the same request arriving twice (`timeout` sends it to
// the process and then to its group) and changes nothing. Another signal, or the same one
// later, is a second request, which ends the process straight away, as the start-up handler
// does (temporary files and the files of a `COwnNewFile` removed, the process killed by that
// signal), for a build that does not get to a point where it stops; during a
// `CUninterruptedStep` it counts no more than the first. Once `SettleInterruptions` was called,
// signals change nothing. A signal that was ignored when the program started (as under nohup)
// stays ignored.
// Called after `StartUpProcess`, before any thread starts.
void CatchInterruptions();

// The first signal that asked to stop, or 0 when none came.
int InterruptionSignal();

// The signal that is to end the process, as if it had had no handler, once the run is over:
// the first that asked to stop, unless the run was settled before it came or since; else 0.
int EndingSignal();

// The gallery is in place: from here on no signal changes how the run ends.
void SettleInterruptions();

// The run has stopped for a request and only removes what it made: from here on a later signal
// is noted no further than the first, so that no staging folder or new collection file is left
// half removed behind a run that said nothing was changed. The run ends by the first signal.
void HoldInterruptionsWhileRollingBack();

// While it lives, no signal ends the process at once; the first one is noted as ever. For a
// step whose outcome a signal handler could not tell apart halfway, such as a file created
// under its final name but not yet known to be the build's own, or a gallery put in place but
// not yet settled. One at a time, on the thread that runs the build.
class CUninterruptedStep {
 public:
  CUninterruptedStep();
  ~CUninterruptedStep();
  CUninterruptedStep(const CUninterruptedStep&) = delete;
  CUninterruptedStep& operator=(const CUninterruptedStep&) = delete;
};

}  // namespace gallery

#endif  // GALLERY_APP_INTERRUPTION_H_
