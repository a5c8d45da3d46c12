#pragma once
// The window of the current-settings report: the text in a read-only field with a vertical
// scroll bar, and "OK" below it.

#include <QString>

#include "controls/base_dialog.h"

class QPlainTextEdit;
class QPushButton;

namespace tessaron {

class ReportWindow : public BaseDialog {
  Q_OBJECT

 public:
  // report: the text as BuildSettingsReport makes it (lines ending CR LF).
  explicit ReportWindow(const QString& report, QWidget* parent = nullptr);
  ~ReportWindow() override;

  // The text shown, lines ending LF.
  QString Text() const;
  QPlainTextEdit* TextField() const { return textField_; }
  QPushButton* OkButton() const { return okButton_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPlainTextEdit* textField_;
  QPushButton* okButton_;
};

}  // namespace tessaron
