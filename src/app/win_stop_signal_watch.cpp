// The Windows side of stop_signal_watch.h: a window program is asked to end by the system's
// messages (the close of its window, the end of the session), which reach the main window as
// a close; no signal comes.

#include <cstdlib>

#include "app/stop_signal_watch.h"

namespace tessaron {

StopSignalWatch::StopSignalWatch(QObject* parent) : QObject(parent) {}

StopSignalWatch::~StopSignalWatch() = default;

int StopSignalWatch::Signal() const { return 0; }

void StopSignalWatch::ReadSignal() {}

void StopSignalWatch::EndBySignal(int signalNumber) { std::exit(128 + signalNumber); }

}  // namespace tessaron
