#pragma once
// "Set Boot Loader Mode" of the advanced sheet: after the right password and a confirmation
// the reader is switched into its boot loader, so that another tool can update its firmware.

#include "app/settings_page.h"

class QLineEdit;
class QPushButton;

namespace tessaron {

class BootLoaderModePage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit BootLoaderModePage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~BootLoaderModePage() override;

  void SetBootLoaderMode();

  QLineEdit* PasswordBox() const { return password_; }
  QPushButton* SetButton() const { return setButton_; }

 private:
  QLineEdit* password_;
  QPushButton* setButton_;
};

}  // namespace tessaron
