#pragma once
// The "General Settings" page of the basic sheet.

#include "app/settings_page.h"

namespace tessaron {

class GeneralSettingsPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  explicit GeneralSettingsPage(ReaderSettings& settings, QWidget* parent = nullptr);
  ~GeneralSettingsPage() override;

  void Refresh() override;
};

}  // namespace tessaron
