#pragma once
// Ctrl-C during a run over many readers: while a guard lives, the first Ctrl-C only asks the
// run to take no further reader; the second does what Ctrl-C did before (ends the program).
// Each system has a file of its own that defines it (signals on POSIX systems, the console
// control handler on Windows).

namespace tessaron {

class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // Whether Ctrl-C came since the guard was made.
  bool Interrupted() const;
};

}  // namespace tessaron
