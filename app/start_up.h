#ifndef GALLERY_APP_START_UP_H_
#define GALLERY_APP_START_UP_H_

namespace gallery {

// Prepares the process of either program; the first thing `main` calls, before any thread
// starts. Tunes memory for image work, silences the libraries' messages, makes a write past a
// file-size limit fail like any other write (SIGXFSZ ignored), and makes SIGTERM, SIGINT and
// SIGHUP end the process without a word after removing the temporary files of writes in
// progress. The process then ends killed by that same signal, as if it had had no handler. A
// signal that was ignored when the program started (as under nohup) stays ignored.
void StartUpProcess();

// Ends the process by `signal_number` as if it had had no handler, so that the parent sees the
// signal's usual status. Safe to call from a signal handler.
[[noreturn]] void EndBySignal(int signal_number);

}  // namespace gallery

#endif  // GALLERY_APP_START_UP_H_
