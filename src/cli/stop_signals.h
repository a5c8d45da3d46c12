#pragma once
// SIGINT, SIGTERM and SIGHUP during a run of the tool (on Windows Ctrl-C, Ctrl-Break and the
// closing of the console), as a user, timeout, systemd or a fleet engine sends them. While a
// StopSignals guard lives, the first of them asks the run to stop: the exchange with a reader
// in progress ends, nothing new starts (no exchange, no further reader of many, no wait for a
// file), every port is given back as on any other way out, and the run ends with what it has
// done; its exit status is 128 + the signal's number where work was left undone. The second
// ends the program at once, after the serial lines are given back; so does the first while
// the tool waits for input (an answer, standard input, a pipe), which may never come. One per
// process, as the signal handlers are. Each system has a file of its own that defines it.

#include <string>

namespace tessaron {

class StopSignals {
 public:
  // Takes the signals and forgets any earlier request.
  StopSignals();
  // Gives the signals back to what handled them before.
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;
};

// While one lives the tool waits for input that may never come (an answer, standard input, a
// pipe): a signal ends the program at once, as it does without the tool's handling.
class InputWait {
 public:
  InputWait();
  ~InputWait();
  InputWait(const InputWait&) = delete;
  InputWait& operator=(const InputWait&) = delete;
};

// The number of the signal that asked the run to stop; 0 while none has.
int StopSignal();
inline bool StopRequested() { return StopSignal() != 0; }
// "the run was stopped by SIGTERM".
std::string StopText();
// Work was left undone because the run was asked to stop; the exit status says so.
void NoteLeftUndone();
bool WorkLeftUndone();

}  // namespace tessaron
