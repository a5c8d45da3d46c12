#include "cli/interrupt_guard.h"

#include <signal.h>

#include <atomic>

namespace tessaron {

namespace {

// What Ctrl-C did before a run over many readers, and whether it came during the run (set
// by the first one). One per process, as the signal's handler is.
struct InterruptState {
  std::atomic<bool> interrupted{false};
  struct sigaction beforeRun {};
};
InterruptState interruptState;

extern "C" void OnInterrupt(int signal) {
  // The second Ctrl-C does what Ctrl-C did before the run (ends the program).
  if (interruptState.interrupted.exchange(true)) {
    ::sigaction(signal, &interruptState.beforeRun, nullptr);
    ::raise(signal);
  }
}

}  // namespace

InterruptGuard::InterruptGuard() {
  interruptState.interrupted = false;
  struct sigaction action{};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &interruptState.beforeRun);
}

InterruptGuard::~InterruptGuard() { ::sigaction(SIGINT, &interruptState.beforeRun, nullptr); }

bool InterruptGuard::Interrupted() const { return interruptState.interrupted; }

}  // namespace tessaron
