#pragma once
// The "Keyboard Settings" page of the basic sheet.

#include "app/settings_page.h"

namespace tessaron {

class KeyboardSettingsPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  explicit KeyboardSettingsPage(ReaderSettings& settings, QWidget* parent = nullptr);
  ~KeyboardSettingsPage() override;

  void Refresh() override;
};

}  // namespace tessaron
