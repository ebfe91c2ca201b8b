#include "app/start_up.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/file_system.h"
#include "platform/imaging_runtime.h"

namespace gallery {
namespace {

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void EndOnSignal(int signal_number) {
  // Worker threads may take a second signal at the same time; only the first cleans up and
  // ends the process, the others wait for it to do so.
  static std::atomic<bool> ending{false};
  if (ending.exchange(true)) {
    for (;;) pause();
  }
  RemoveLiveTemporaryFiles();
  EndBySignal(signal_number);
}

}  // namespace

void EndBySignal(int signal_number) {
  struct sigaction default_action = {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal_number, &default_action, nullptr);
  sigset_t this_signal;
  sigemptyset(&this_signal);
  sigaddset(&this_signal, signal_number);
  pthread_sigmask(SIG_UNBLOCK, &this_signal, nullptr);
  raise(signal_number);
  _exit(128 + signal_number);
}

void StartUpProcess() {
  TuneMemoryForImageWork();
  SilenceLibraryMessages();
  // Past a file-size limit a write must fail like any other write (the file is then passed
  // over), not end the process.
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction action = {};
  action.sa_handler = EndOnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : kEndingSignals) sigaddset(&action.sa_mask, signal_number);
  for (int signal_number : kEndingSignals) {
    struct sigaction previous = {};
    if (sigaction(signal_number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
      continue;
    }
    sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace gallery
