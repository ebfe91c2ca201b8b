#include "app/interruption.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/file_system.h"

namespace gallery {
namespace {

constexpr int kInterruptingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A handler has nowhere else to leave what it saw: this is the one process-wide value.
std::atomic<int> noted_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void NoteSignal(int signal_number) {
  int none = 0;
  if (noted_signal.compare_exchange_strong(none, signal_number)) return;
  RemoveLiveTemporaryFiles();
  EndBySignal(signal_number);
}

}  // namespace

void CatchInterruptions() {
  struct sigaction action = {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  // Blocking calls go on after the note; the build looks at it between photos.
  action.sa_flags = SA_RESTART;
  for (int signal_number : kInterruptingSignals) {
    struct sigaction previous = {};
    if (sigaction(signal_number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
      continue;
    }
    sigaction(signal_number, &action, nullptr);
  }
}

int InterruptionSignal() { return noted_signal.load(); }

}  // namespace gallery
