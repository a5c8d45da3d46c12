#pragma once
// "General Settings" of the basic sheet: beep, MSR reading, terminal type, decoding method
// and inter-character delay. Terminal type and delay belong to the keyboard line: unless
// the record was read over "PS/2 Keyboard" (or over no line yet) they are greyed out, a rule
// the page applies again at every Refresh.

#include "app/settings_page.h"

class QGroupBox;

namespace tessaron {

class GeneralSettingsPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  GeneralSettingsPage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~GeneralSettingsPage() override;

  void Refresh() override;

 private:
  QGroupBox* terminalType_;
  QGroupBox* delay_;
};

}  // namespace tessaron
