#include "cli/stop_signals.h"

#include <signal.h>

#include <atomic>
#include <string>

#include "transport/serial_line.h"
#include "transport/signal_hand_back.h"

namespace tessaron {

namespace {

constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int STOP_SIGNAL_COUNT = sizeof(STOP_SIGNALS) / sizeof(STOP_SIGNALS[0]);

// What the handler reads and writes: lock-free atomics only.
struct StopState {
  std::atomic<int> signal{0};
  std::atomic<bool> leftUndone{false};
  std::atomic<int> inputWaits{0};
  struct sigaction before[STOP_SIGNAL_COUNT] {};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
StopState stopState;

// Async-signal-safe: ioctl, tcsetattr, close, sigaction, pthread_sigmask and raise.
[[noreturn]] void EndAtOnce(int signalNumber) {
  ReleaseSerialLinesAtOnce();
  for (int i = 0; i < STOP_SIGNAL_COUNT; ++i) {
    ::sigaction(STOP_SIGNALS[i], &stopState.before[i], nullptr);
  }
  EndProgramBySignal(signalNumber);
}

extern "C" void OnStopSignal(int signalNumber) {
  int none = 0;
  const bool first = stopState.signal.compare_exchange_strong(none, signalNumber);
  if (!first || stopState.inputWaits.load() > 0) EndAtOnce(signalNumber);
}

}  // namespace

StopSignals::StopSignals() {
  stopState.signal = 0;
  stopState.leftUndone = false;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : STOP_SIGNALS) sigaddset(&action.sa_mask, signalNumber);
  // Calls under way go on: a write to a file or a pipe is not cut off, and the waits of the
  // lines look at the request themselves.
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < STOP_SIGNAL_COUNT; ++i) {
    ::sigaction(STOP_SIGNALS[i], &action, &stopState.before[i]);
  }
}

StopSignals::~StopSignals() {
  for (int i = 0; i < STOP_SIGNAL_COUNT; ++i) {
    ::sigaction(STOP_SIGNALS[i], &stopState.before[i], nullptr);
  }
}

InputWait::InputWait() { ++stopState.inputWaits; }

InputWait::~InputWait() { --stopState.inputWaits; }

int StopSignal() { return stopState.signal.load(); }

std::string StopText() {
  const int signalNumber = StopSignal();
  const char* name = signalNumber == SIGINT    ? "SIGINT"
                     : signalNumber == SIGTERM ? "SIGTERM"
                     : signalNumber == SIGHUP  ? "SIGHUP"
                                               : nullptr;
  return "the run was stopped by " +
         (name != nullptr ? std::string(name) : "signal " + std::to_string(signalNumber));
}

void NoteLeftUndone() { stopState.leftUndone = true; }

bool WorkLeftUndone() { return stopState.leftUndone.load(); }

}  // namespace tessaron
