#pragma once
// Long reader work without a frozen window: an exchange runs on a thread of its own and the
// fixed waits run in a local event loop, so that the windows keep repainting and the wait
// cursor shows. Meanwhile user input is held off, as a modal step holds it: no click or key
// reaches a window, so no second action can start. A modal window opened during the work
// (a message of the keyboard line) still gets its input. The local loops leave socket
// notifiers (a device arriving, a stop signal) to the event loop the work was started from,
// so that nothing they start runs in the middle of the work.

#include <functional>
#include <memory>

class QObject;

namespace tessaron {

// The reader work of the windows of one application. While it holds input, user input
// (mouse buttons, keys, wheel, close requests) to every window is eaten; holds nest. Once the
// program is asked to stop, the fixed waits end at once, so that the work under way soon
// ends. Made after the application object and gone before it (the user-interface services
// own it).
class BusyWindows {
 public:
  BusyWindows();
  ~BusyWindows();
  BusyWindows(const BusyWindows&) = delete;
  BusyWindows& operator=(const BusyWindows&) = delete;

  void Begin();
  void End();
  // Whether input is held (some reader work is under way).
  bool Active() const;
  // The program is to stop: the wait under way ends, and so does every later one at once.
  void Stop();
  bool Stopping() const { return stopping_; }

 private:
  friend void WaitWhileWindowsPaint(BusyWindows& busy, int milliseconds);

  std::unique_ptr<QObject> filter_;
  bool stopping_ = false;
  // The loop of the wait under way; none when no wait runs.
  QObject* waitLoop_ = nullptr;
};

// User input held for the life of the guard.
class InputHold {
 public:
  explicit InputHold(BusyWindows& busy);
  ~InputHold();
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

 private:
  BusyWindows* busy_;
};

// Runs work on another thread and returns once it is done; the calling (window) thread
// handles paint events, timers and posted events meanwhile, under a hold. Called off the
// window thread, or without an application object, it simply runs work.
void RunWhileWindowsPaint(BusyWindows& busy, const std::function<void()>& work);

// Returns after milliseconds (at once when the program is to stop); the windows keep painting
// meanwhile, under a hold.
void WaitWhileWindowsPaint(BusyWindows& busy, int milliseconds);

// Runs action on the window thread and returns once it is done (at once when called there).
void RunOnWindowThread(const std::function<void()>& action);

}  // namespace tessaron
