// The Windows side of signal_hand_back.h: Ctrl-C, Ctrl-Break and the closing of the console
// window come to a console control handler, which the system runs on a thread of its own;
// it gives the device back, then lets the system's default handler end the program.

#include <windows.h>

#include <atomic>

#include "transport/signal_hand_back.h"

namespace tessaron {

namespace {

// The hand-back of the process, as the console control handler is: one.
struct HandBack {
  std::atomic<HandBackFunction> function{nullptr};
  std::atomic<bool> installed{false};
  std::atomic<bool> signalled{false};
};
HandBack handBack;

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  // A second Ctrl-C while the hand-back runs ends the program at once.
  if (!handBack.signalled.exchange(true)) {
    if (const HandBackFunction function = handBack.function.load()) function();
  }
  return FALSE;
}

}  // namespace

void InstallSignalHandBack(HandBackFunction function) {
  handBack.function = function;
  if (!handBack.installed.exchange(true)) ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace tessaron
