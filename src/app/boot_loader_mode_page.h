#pragma once
// "Set Boot Loader Mode" of the advanced sheet: after the right password and a confirmation
// the reader is switched into its boot loader, so that another tool can update its firmware.

#include "app/settings_page.h"

class QLineEdit;
class QPushButton;

namespace tessaron {

class BootLoaderModePage : public SettingsPage {
  Q_OBJECT

 public:
  BootLoaderModePage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~BootLoaderModePage() override;

  void SetBootLoaderMode();

  QLineEdit* PasswordBox() const { return password_; }
  QPushButton* SetButton() const { return setButton_; }

 private:
  ReaderState& state_;
  QLineEdit* password_;
  QPushButton* setButton_;
};

}  // namespace tessaron
