#pragma once
// The "Manual Command" page of the advanced sheet: sends a typed command frame and shows the
// reply.

#include "app/settings_page.h"

namespace tessaron {

class ManualCommandPage : public AdvancedSettingsPage {
  Q_OBJECT

 public:
  explicit ManualCommandPage(MainWindow& mainWindow, QWidget* parent = nullptr);
  ~ManualCommandPage() override;

  void Refresh() override;
};

}  // namespace tessaron
