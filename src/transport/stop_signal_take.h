#pragma once
// The signals that ask a run to stop, taken to a program's own handler: SIGINT (Ctrl-C),
// SIGTERM (what timeout and systemd send) and SIGHUP (the terminal closed). POSIX systems.

#include <signal.h>

namespace tessaron {

inline constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
inline constexpr int STOP_SIGNAL_COUNT = sizeof(STOP_SIGNALS) / sizeof(STOP_SIGNALS[0]);

// What handled the stop signals before they were taken, one action per signal.
struct StopSignalActions {
  struct sigaction before[STOP_SIGNAL_COUNT] {};
};

// Takes the three to handler, keeping the earlier actions in actions. Each blocks the others
// while the handler runs, and calls under way go on (SA_RESTART): a write to a file is not
// cut off, and the waits of the lines look at the request themselves.
void TakeStopSignals(void (*handler)(int), StopSignalActions& actions);

// Gives the three back to what handled them before. Async-signal-safe.
void GiveBackStopSignals(const StopSignalActions& actions);

}  // namespace tessaron
