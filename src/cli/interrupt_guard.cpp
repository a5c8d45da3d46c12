#include "cli/interrupt_guard.h"

#include <signal.h>

#include <atomic>

namespace tessaron {

namespace {

// Set by the first Ctrl-C of a run over many readers.
std::atomic<bool> interrupted{false};
struct sigaction beforeRun{};

extern "C" void OnInterrupt(int signal) {
  // The second Ctrl-C does what Ctrl-C did before the run (ends the program).
  if (interrupted.exchange(true)) {
    ::sigaction(signal, &beforeRun, nullptr);
    ::raise(signal);
  }
}

}  // namespace

InterruptGuard::InterruptGuard() {
  interrupted = false;
  struct sigaction action{};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &beforeRun);
}

InterruptGuard::~InterruptGuard() { ::sigaction(SIGINT, &beforeRun, nullptr); }

bool InterruptGuard::Interrupted() const { return interrupted; }

}  // namespace tessaron
