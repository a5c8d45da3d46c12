#pragma once
// Gives a seized device back when the program is stopped by SIGINT (Ctrl-C), SIGTERM or
// SIGHUP, then ends the program by that same signal, so that the exit status still says
// which signal ended it. The keyboard line needs this: a program that dies while it holds
// the keyboard controller leaves the PC's keyboard dead.

namespace tessaron {

using HandBackFunction = void (*)();

// Installs the hand-back for this process; later calls only replace the function (a child
// made by fork installs its own at its first call). Signals that the program ignores or
// handles itself are left alone. The signal handler does nothing but wake a thread of its
// own; handBack runs on that thread, where locks may be taken and the port permission is
// granted as on any other thread. Then the signal is raised again with its default action.
// A second signal while the hand-back runs ends the program at once.
void InstallSignalHandBack(HandBackFunction handBack);

// Ends the program by the signal's default action, so that the exit status says which signal
// ended it (128 + its number should the action not end it). Async-signal-safe; POSIX systems.
[[noreturn]] void EndProgramBySignal(int signalNumber);

}  // namespace tessaron
