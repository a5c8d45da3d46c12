#pragma once
// How the editing controls and the data-edit dialogs refuse an input: a platform message box
// with only an OK button ("Exceed the maximum range.", a full list, a field still in use).
// A window may carry a sink for the refusals of every widget inside it (the program routes
// them through its user-interface services, so that tests record them instead of blocking);
// without one, a QMessageBox shows it.

#include <QMessageBox>
#include <QString>

class QWidget;

namespace tessaron {

class RefusalSink {
 public:
  virtual ~RefusalSink() = default;
  // Shows a refusal and returns once it has been closed.
  virtual void Refuse(QWidget* owner, QMessageBox::Icon icon, const QString& text) = 0;
};

// window and every widget inside it send their refusals to sink (nullptr: none of its own).
// The caller keeps sink alive as long as the window.
void CarryRefusals(QWidget* window, RefusalSink* sink);
// Shows a refusal through the sink of the nearest widget up from owner that carries one.
void ShowRefusal(QWidget* owner, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);

}  // namespace tessaron
