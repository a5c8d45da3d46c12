#pragma once
// "CHANGE BASIC READER SETTINGS": general settings, pre/postamble, RS232 parameters, track
// settings and keyboard settings.

#include <array>

#include "app/settings_sheet.h"
#include "core/settings_table.h"

namespace tessaron {

class BasicSheet : public SettingsSheet {
  Q_OBJECT

 public:
  // The tab captions, in tab order.
  // (Defined in the .cpp: an inline array of pointers is emitted in two kinds of section by
  // MinGW's compiler, which its linker then takes for two definitions.)
  static constexpr int PAGE_COUNT = 5;
  static const std::array<const char*, PAGE_COUNT> TAB_CAPTIONS;

  // The least width the sheet needs at this font, without building one.
  static int NeededWidth(const QFont& font) {
    return SettingsSheet::NeededWidth(font, TAB_CAPTIONS);
  }

  BasicSheet(ReaderState& state, UiServices& ui, QWidget* parent);
  ~BasicSheet() override;

  // All five pages reload.
  void Refresh() override;

 protected:
  // A second pause after the version query of a keyboard-class reader; a pending interface
  // switch counts once the reader is open. "Default All" runs the command on one open and
  // the read on another, each with its own failure; a save is told "Save configuration to
  // file successfully."
  SendPlan SendPlanOfSheet() const override;
  DefaultsPlan DefaultsPlanOfSheet() const override;
  SaveWords SaveWordsOfSheet() const override;
};

}  // namespace tessaron
