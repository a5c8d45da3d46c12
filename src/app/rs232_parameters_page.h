#pragma once
// The "RS232 Parameters" page of the basic sheet.

#include "app/settings_page.h"

namespace tessaron {

class Rs232ParametersPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  explicit Rs232ParametersPage(ReaderSettings& settings, QWidget* parent = nullptr);
  ~Rs232ParametersPage() override;

  void Refresh() override;
};

}  // namespace tessaron
