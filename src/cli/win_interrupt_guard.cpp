// The Windows side of interrupt_guard.h: a console control handler, which the system runs on
// a thread of its own. Returning FALSE passes Ctrl-C on to the handlers before it, the
// system's own last, which ends the program.

#include <windows.h>

#include <atomic>

#include "cli/interrupt_guard.h"

namespace tessaron {

namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  return interrupted.exchange(true) ? FALSE : TRUE;
}

}  // namespace

InterruptGuard::InterruptGuard() {
  interrupted = false;
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptGuard::~InterruptGuard() { ::SetConsoleCtrlHandler(OnConsoleControl, FALSE); }

bool InterruptGuard::Interrupted() const { return interrupted; }

}  // namespace tessaron
