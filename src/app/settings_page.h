#pragma once
// The pages of the two settings sheets. Every page is a child window of its sheet that
// reloads its controls from the shared settings record on Refresh.

#include "app/base_dialog.h"
#include "core/reader_settings.h"

namespace tessaron {

class MainWindow;

class SettingsPage : public BaseDialog {
  Q_OBJECT

 public:
  explicit SettingsPage(QWidget* parent = nullptr);
  ~SettingsPage() override;

  // Loads every control from the record. Pages without settings do nothing.
  virtual void Refresh();
};

// A page of the basic sheet: the sheet hands it the main window's record at creation.
class BasicSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  BasicSettingsPage(ReaderSettings& settings, QWidget* parent = nullptr);
  ~BasicSettingsPage() override;

 protected:
  ReaderSettings& settings;
};

// A page of the advanced sheet: it takes the record, the port and the device index from
// the main window itself.
class AdvancedSettingsPage : public SettingsPage {
  Q_OBJECT

 public:
  AdvancedSettingsPage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~AdvancedSettingsPage() override;

 protected:
  MainWindow& mainWindow;
};

}  // namespace tessaron
