#pragma once
// Shows the wait cursor over the whole program for the life of the guard.

#include <QApplication>
#include <QCursor>

namespace tessaron {

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// Lifts a wait cursor while the user has to answer a window (a message, a file dialog),
// so that the pointer does not look busy over its buttons.
class ArrowCursor {
 public:
  ArrowCursor() : active_(QApplication::overrideCursor() != nullptr) {
    if (active_) QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
  }
  ~ArrowCursor() {
    if (active_) QApplication::restoreOverrideCursor();
  }
  ArrowCursor(const ArrowCursor&) = delete;
  ArrowCursor& operator=(const ArrowCursor&) = delete;

 private:
  bool active_;
};

}  // namespace tessaron
