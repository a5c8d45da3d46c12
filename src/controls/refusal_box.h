#pragma once
// How the editing controls and the data-edit dialogs refuse an input: a platform message box
// with only an OK button ("Exceed the maximum range.", a full list, a field still in use).
// Every control and dialog that may refuse is handed the sink of its window where it is made:
// the program routes refusals through its user-interface services, tests record them.

#include <QMessageBox>
#include <QString>

class QWidget;

namespace tessaron {

class RefusalSink {
 public:
  virtual ~RefusalSink() = default;
  // Shows a refusal over owner and returns once it has been closed.
  virtual void Refuse(QWidget* owner, QMessageBox::Icon icon, const QString& text) = 0;
};

}  // namespace tessaron
