#include "app/interruption.h"

#include <signal.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "platform/file_system.h"

namespace gallery {
namespace {

constexpr int kInterruptingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The same signal again within this time is taken for the first arriving twice: `timeout` and
// process supervisors send it to the process and to its group, one right after the other, and a
// person does not press Ctrl-C twice within it to mean "now".
constexpr int64_t kRepeatNanoseconds = 1'000'000'000;

// What a signal may still do: end the process at once on a second request, only be noted (for a
// step, or for good once the run is removing what it made), or nothing at all once the gallery
// is in place.
enum : int { kEndable, kUninterrupted, kRollingBack, kSettled };

// A handler has nowhere else to leave what it saw: these are the process-wide values.
std::atomic<int> noted_signal{0};
std::atomic<int64_t> noted_at{0};  // CLOCK_MONOTONIC nanoseconds; 0 until the first is noted
std::atomic<int> phase{kEndable};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<int64_t>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

// clock_gettime is async-signal-safe, unlike the C++ clocks, which promise nothing of the kind.
int64_t MonotonicNanoseconds() {
  timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// True when `signal_number` at `now` is the noted request arriving again.
bool IsRepeat(int signal_number, int64_t now) {
  if (signal_number != noted_signal.load()) return false;
  const int64_t first = noted_at.load();
  // A handler on another thread has noted the signal and not yet its time: the same moment.
  return first == 0 || now - first < kRepeatNanoseconds;
}

extern "C" void NoteSignal(int signal_number) {
  const int saved_errno = errno;
  const int64_t now = MonotonicNanoseconds();
  int none = 0;
  if (phase.load() == kSettled) {
    // The gallery is in place: the run ends as it would have.
  } else if (noted_signal.compare_exchange_strong(none, signal_number)) {
    noted_at.store(now);
  } else if (!IsRepeat(signal_number, now) && phase.load() == kEndable) {
    RemoveLiveTemporaryFiles();
    EndBySignal(signal_number);
  }
  errno = saved_errno;
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

int EndingSignal() { return phase.load() == kSettled ? 0 : noted_signal.load(); }

void SettleInterruptions() { phase.store(kSettled); }

void HoldInterruptionsWhileRollingBack() {
  int endable = kEndable;
  if (!phase.compare_exchange_strong(endable, kRollingBack)) {
    int uninterrupted = kUninterrupted;
    static_cast<void>(phase.compare_exchange_strong(uninterrupted, kRollingBack));
  }
}

CUninterruptedStep::CUninterruptedStep() {
  int endable = kEndable;
  static_cast<void>(phase.compare_exchange_strong(endable, kUninterrupted));
}

CUninterruptedStep::~CUninterruptedStep() {
  // A second request that came meanwhile was noted no further than the first: the build, which
  // stops at its next look, rolls back as for one.
  int uninterrupted = kUninterrupted;
  static_cast<void>(phase.compare_exchange_strong(uninterrupted, kEndable));
}

}  // namespace gallery
