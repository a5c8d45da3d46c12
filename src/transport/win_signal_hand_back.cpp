// The Windows side of signal_hand_back.h: Ctrl-C, Ctrl-Break and the closing of the console
// window come to a console control handler, which the system runs on a thread of its own;
// it gives the device back, then lets the system's default handler end the program.

#include <windows.h>

#include <atomic>

#include "transport/signal_hand_back.h"

namespace tessaron {

namespace {

std::atomic<HandBackFunction> handBackFunction{nullptr};
std::atomic<bool> installed{false};
std::atomic<bool> signalled{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  // A second Ctrl-C while the hand-back runs ends the program at once.
  if (!signalled.exchange(true)) {
    if (const HandBackFunction handBack = handBackFunction.load()) handBack();
  }
  return FALSE;
}

}  // namespace

void InstallSignalHandBack(HandBackFunction handBack) {
  handBackFunction = handBack;
  if (!installed.exchange(true)) ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

}  // namespace tessaron
