#pragma once
// SIGINT, SIGTERM and SIGHUP sent to the window program (a user's kill or Ctrl-C, the end of
// a session, a service manager) are heard on the event loop: the signal handler only writes
// the signal's number to a pipe that a socket notifier reads, and stopRequested follows. The
// program then ends its run as "EXIT" does, so that a serial port it holds gets its settings
// and exclusive use back, the keyboard line is handed back and the profile is written. A
// second signal ends the program at once, after the serial lines are given back. One per
// process, as the signal handlers are. On Windows, which asks a window program to end by a
// message of its own rather than by a signal, it hears nothing. Each system has a file of its
// own that defines it (stop_signal_watch.cpp, win_stop_signal_watch.cpp).

#include <QObject>

class QSocketNotifier;

namespace tessaron {

class StopSignalWatch : public QObject {
  Q_OBJECT

 public:
  // Takes the signals; what handled them before gets them back when the watch goes.
  explicit StopSignalWatch(QObject* parent = nullptr);
  ~StopSignalWatch() override;
  StopSignalWatch(const StopSignalWatch&) = delete;
  StopSignalWatch& operator=(const StopSignalWatch&) = delete;

  // The signal that asked the program to stop; 0 while none has.
  int Signal() const;

  // Ends the program by the signal's default action, once the run has ended, so that its exit
  // status says which signal ended it.
  [[noreturn]] static void EndBySignal(int signalNumber);

 signals:
  void stopRequested(int signalNumber);

 private:
  void ReadSignal();

  int readEnd_ = -1;
  int writeEnd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tessaron
