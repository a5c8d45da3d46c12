#include "cli/stop_signals.h"

#include <signal.h>

#include <atomic>
#include <string>

#include "transport/serial_line.h"
#include "transport/signal_hand_back.h"
#include "transport/stop_signal_take.h"

namespace tessaron {

namespace {

// What the handler reads and writes: lock-free atomics only.
struct StopState {
  std::atomic<int> signal{0};
  std::atomic<bool> leftUndone{false};
  std::atomic<int> inputWaits{0};
  StopSignalActions taken;
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
StopState stopState;

// Async-signal-safe: ioctl, tcsetattr, close, sigaction, pthread_sigmask and raise.
[[noreturn]] void EndAtOnce(int signalNumber) {
  ReleaseSerialLinesAtOnce();
  GiveBackStopSignals(stopState.taken);
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
  TakeStopSignals(OnStopSignal, stopState.taken);
}

StopSignals::~StopSignals() { GiveBackStopSignals(stopState.taken); }

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
