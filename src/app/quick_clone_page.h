#pragma once
// The "Quick Clone" page of the advanced sheet: copies the settings of one reader to another. It
// receives MSG_DEVICES_CHANGED from the main window whenever the system's devices change.

#include "app/settings_page.h"

namespace tessaron {

class QuickClonePage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit QuickClonePage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~QuickClonePage() override;

  void Refresh() override;
};

}  // namespace tessaron
