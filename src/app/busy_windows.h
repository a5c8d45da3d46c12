#pragma once
// Long reader work without a frozen window: an exchange runs on a thread of its own and the
// fixed waits run in a local event loop, so that the windows keep repainting and the wait
// cursor shows. Meanwhile user input is held off, as a modal step holds it: no click or key
// reaches a window, so no second action can start. A modal window opened during the work
// (a message of the keyboard line) still gets its input.

#include <functional>

namespace tessaron {

// Eats user input (mouse buttons, keys, wheel, close requests) to every window while it
// lives. Holds may nest.
class InputHold {
 public:
  InputHold();
  ~InputHold();
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;
};

// Runs work on another thread and returns once it is done; the calling (window) thread
// handles paint events, timers and posted events meanwhile, under an InputHold. Called off
// the window thread, or without an application object, it simply runs work.
void RunWhileWindowsPaint(const std::function<void()>& work);

// Returns after milliseconds; the windows keep painting meanwhile, under an InputHold.
void WaitWhileWindowsPaint(int milliseconds);

// Runs action on the window thread and returns once it is done (at once when called there).
void RunOnWindowThread(const std::function<void()>& action);

}  // namespace tessaron
