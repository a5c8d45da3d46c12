#pragma once
// "Keyboard Settings" of the basic sheet: the keyboard language, the function key output
// (Ctrl or Alt, a bit of the shared flags byte) and the USB HID keyboard polling interval.
// Unless the record was read over "PS/2 Keyboard" or "USB-HID-KB" the whole page is greyed
// out when it is made.

#include "app/settings_page.h"

namespace tessaron {

class KeyboardSettingsPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  KeyboardSettingsPage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~KeyboardSettingsPage() override;
};

}  // namespace tessaron
