#pragma once
// The "Output Format" page of the advanced sheet: data format, its options and the USB HID
// format.

#include "app/settings_page.h"

namespace tessaron {

class OutputFormatPage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit OutputFormatPage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~OutputFormatPage() override;

  void Refresh() override;
};

}  // namespace tessaron
