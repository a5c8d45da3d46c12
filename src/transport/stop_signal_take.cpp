#include "transport/stop_signal_take.h"

namespace tessaron {

void TakeStopSignals(void (*handler)(int), StopSignalActions& actions) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (const int signalNumber : STOP_SIGNALS) sigaddset(&action.sa_mask, signalNumber);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < STOP_SIGNAL_COUNT; ++i) {
    ::sigaction(STOP_SIGNALS[i], &action, &actions.before[i]);
  }
}

void GiveBackStopSignals(const StopSignalActions& actions) {
  for (int i = 0; i < STOP_SIGNAL_COUNT; ++i) {
    ::sigaction(STOP_SIGNALS[i], &actions.before[i], nullptr);
  }
}

}  // namespace tessaron
