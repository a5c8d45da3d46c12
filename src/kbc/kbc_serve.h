#pragma once
// The helper's service of requests (kbc_protocol.h) on an opened keyboard controller: what
// tessaron-kbc does between its start-up, which takes the port permission and drops its
// rights (main.cpp), and its end.

#include <signal.h>

#include <atomic>

#include "transport/keyboard_controller.h"

namespace tessaron {

// The helper's exit statuses.
constexpr int KBC_EXIT_INPUT_ENDED = 0;
constexpr int KBC_EXIT_WRONG_REQUEST = 2;
constexpr int KBC_EXIT_REFUSED = 3;
constexpr int KBC_EXIT_PEER_GONE = 4;
constexpr int KBC_EXIT_IDLE = 5;

// The waits of every exchange: the line's own, whoever asks.
inline const KeyboardTiming KBC_LINE_TIMING{};

// Serves the requests read from input, answering on output, until the input ends, a request is
// wrong, a reply cannot be written, the keyboard is held for idleLimit without a whole
// request, or ended says a signal came (the signals of waiting are let in only while it
// waits for a request). It hands the keyboard back on every one of these ways out; the
// exit status.
int ServeKbcRequests(PortIoController& controller, int input, int output,
                     const sigset_t& waiting, const std::atomic<int>& ended, Millis idleLimit);

}  // namespace tessaron
