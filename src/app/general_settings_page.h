#pragma once
// "General Settings" of the basic sheet: beep, MSR reading, terminal type, decoding method
// and inter-character delay. What does not apply on the record's line is greyed out (the
// table's column: terminal type and delay belong to the keyboard line), again at every
// Refresh.

#include "app/settings_page.h"

namespace tessaron {

class GeneralSettingsPage : public BasicSettingsPage {
  Q_OBJECT

 public:
  GeneralSettingsPage(ReaderState& state, UiServices& ui, QWidget* parent = nullptr);
  ~GeneralSettingsPage() override;

  void Refresh() override;
};

}  // namespace tessaron
