#include "app/stop_signal_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

#include "transport/serial_line.h"
#include "transport/signal_hand_back.h"
#include "transport/stop_signal_take.h"

namespace tessaron {

namespace {

// What the handler reads and writes: lock-free atomics only.
struct WatchState {
  std::atomic<int> installedFor{0};  // the process whose notifier reads the pipe
  std::atomic<int> writeEnd{-1};
  std::atomic<int> signal{0};
  StopSignalActions taken;
};
static_assert(std::atomic<int>::is_always_lock_free);
WatchState watchState;

// Async-signal-safe: ioctl, tcsetattr, close, sigaction, pthread_sigmask and raise.
[[noreturn]] void EndAtOnce(int signalNumber) {
  ReleaseSerialLinesAtOnce();
  EndProgramBySignal(signalNumber);
}

void OnStopSignal(int signalNumber) {
  const int savedErrno = errno;
  // A child made by fork that has not yet become another program ends as it would have.
  if (::getpid() != watchState.installedFor.load()) EndProgramBySignal(signalNumber);
  // A second signal: whoever sent it will not wait for the run to end.
  int none = 0;
  if (!watchState.signal.compare_exchange_strong(none, signalNumber)) EndAtOnce(signalNumber);
  const unsigned char value = static_cast<unsigned char>(signalNumber);
  if (::write(watchState.writeEnd.load(), &value, 1) != 1) EndAtOnce(signalNumber);
  errno = savedErrno;
}

}  // namespace

StopSignalWatch::StopSignalWatch(QObject* parent) : QObject(parent) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  watchState.signal = 0;
  watchState.writeEnd = writeEnd_;
  watchState.installedFor = static_cast<int>(::getpid());
  notifier_ = new QSocketNotifier(static_cast<qintptr>(readEnd_), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &StopSignalWatch::ReadSignal);

  // Calls under way go on: the run ends on the event loop, not inside a call.
  TakeStopSignals(OnStopSignal, watchState.taken);
}

StopSignalWatch::~StopSignalWatch() {
  if (readEnd_ < 0) return;
  GiveBackStopSignals(watchState.taken);
  watchState.writeEnd = -1;
  watchState.installedFor = 0;
  ::close(readEnd_);
  ::close(writeEnd_);
}

int StopSignalWatch::Signal() const { return watchState.signal.load(); }

void StopSignalWatch::ReadSignal() {
  unsigned char value = 0;
  while (::read(readEnd_, &value, 1) == 1) {
  }
  // Heard once: a second signal ends the program from its handler.
  notifier_->setEnabled(false);
  emit stopRequested(Signal());
}

void StopSignalWatch::EndBySignal(int signalNumber) { EndProgramBySignal(signalNumber); }

}  // namespace tessaron
