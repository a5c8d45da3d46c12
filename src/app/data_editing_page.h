#pragma once
// The "Data Editing" page of the advanced sheet: data editing on or off, output method and the
// four formulas.

#include "app/settings_page.h"

namespace tessaron {

class DataEditingPage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit DataEditingPage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~DataEditingPage() override;

  void Refresh() override;
};

}  // namespace tessaron
