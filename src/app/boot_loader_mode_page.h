#pragma once
// The "Set Boot Loader Mode" page of the advanced sheet.

#include "app/settings_page.h"

namespace tessaron {

class BootLoaderModePage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit BootLoaderModePage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~BootLoaderModePage() override;

  void Refresh() override;
};

}  // namespace tessaron
