// The Windows side of stop_signals.h: a console control handler, which the system runs on a
// thread of its own. Ctrl-C stands for SIGINT, Ctrl-Break and the closing of the console for
// SIGTERM. Returning FALSE passes the event on to the handlers before it, the system's own
// last, which ends the program (the system gives back the ports it held).

#include <windows.h>

#include <atomic>
#include <csignal>
#include <string>

#include "cli/stop_signals.h"

namespace tessaron {

namespace {

std::atomic<int> stopSignal{0};
std::atomic<bool> leftUndone{false};
std::atomic<int> inputWaits{0};

BOOL WINAPI OnConsoleControl(DWORD event) {
  int signalNumber = 0;
  switch (event) {
    case CTRL_C_EVENT: signalNumber = SIGINT; break;
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT: signalNumber = SIGTERM; break;
    default: return FALSE;
  }
  int none = 0;
  const bool first = stopSignal.compare_exchange_strong(none, signalNumber);
  return first && inputWaits.load() == 0 ? TRUE : FALSE;
}

}  // namespace

StopSignals::StopSignals() {
  stopSignal = 0;
  leftUndone = false;
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignals::~StopSignals() { ::SetConsoleCtrlHandler(OnConsoleControl, FALSE); }

InputWait::InputWait() { ++inputWaits; }

InputWait::~InputWait() { --inputWaits; }

int StopSignal() { return stopSignal.load(); }

std::string StopText() {
  return std::string("the run was stopped by ") + (StopSignal() == SIGINT ? "Ctrl-C" : "Ctrl-Break");
}

void NoteLeftUndone() { leftUndone = true; }

bool WorkLeftUndone() { return leftUndone.load(); }

}  // namespace tessaron
