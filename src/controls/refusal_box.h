#pragma once
// How the editing controls and the data-edit dialogs refuse an input: a platform message box
// with only an OK button ("Exceed the maximum range.", a full list, a field still in use).
// By default a QMessageBox; the program routes it through its user-interface services, so
// that tests record it instead of blocking.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace tessaron {

using RefusalBox =
    std::function<void(QWidget* owner, QMessageBox::Icon icon, const QString& text)>;

// Installs where refusals go; returns the one installed before.
RefusalBox SetRefusalBox(RefusalBox show);
// Shows a refusal and returns once it has been closed.
void ShowRefusal(QWidget* owner, const QString& text, QMessageBox::Icon icon = QMessageBox::Warning);

}  // namespace tessaron
