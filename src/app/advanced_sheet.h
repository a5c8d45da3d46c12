#pragma once
// "CHANGE ADVANCED READER SETTINGS": output format, data editing, quick clone, manual
// command and boot loader mode. The sheet's four action buttons work only on the first two
// tabs; the other three pages act on readers themselves.

#include <array>

#include "app/settings_sheet.h"
#include "core/settings_table.h"

namespace tessaron {

class OutputFormatPage;
class DataEditingPage;
class QuickClonePage;
class ManualCommandPage;
class BootLoaderModePage;

class AdvancedSheet : public SettingsSheet {
  Q_OBJECT

 public:
  // The tab captions, in tab order.
  // (Defined in the .cpp: an inline array of pointers is emitted in two kinds of section by
  // MinGW's compiler, which its linker then takes for two definitions.)
  static constexpr int PAGE_COUNT = 5;
  static const std::array<const char*, PAGE_COUNT> TAB_CAPTIONS;
  static constexpr int OUTPUT_FORMAT_TAB = 0;
  static constexpr int DATA_EDITING_TAB = 1;
  static constexpr int QUICK_CLONE_TAB = 2;
  static constexpr int MANUAL_COMMAND_TAB = 3;
  static constexpr int BOOT_LOADER_TAB = 4;

  // The least width the sheet needs at this font, without building one.
  static int NeededWidth(const QFont& font) {
    return SettingsSheet::NeededWidth(font, TAB_CAPTIONS);
  }

  AdvancedSheet(ReaderState& state, UiServices& ui, QWidget* parent);
  ~AdvancedSheet() override;

  // The Output Format and Data Editing pages reload; the other three hold no settings.
  void Refresh() override;

  OutputFormatPage* OutputFormat() const { return outputFormat_; }
  DataEditingPage* DataEditing() const { return dataEditing_; }
  QuickClonePage* QuickClone() const { return quickClone_; }
  ManualCommandPage* ManualCommand() const { return manualCommand_; }
  BootLoaderModePage* BootLoaderMode() const { return bootLoaderMode_; }

 protected:
  void OnTabChanged(int index) override;
  // No second pause after the version query; a pending interface switch counts from the
  // start. "Default All" reads the settings back on the same open reader; a save is told
  // "Save configuration file successfully."
  SendPlan SendPlanOfSheet() const override;
  DefaultsPlan DefaultsPlanOfSheet() const override;
  SaveWords SaveWordsOfSheet() const override;

 private:
  OutputFormatPage* outputFormat_;
  DataEditingPage* dataEditing_;
  QuickClonePage* quickClone_;
  ManualCommandPage* manualCommand_;
  BootLoaderModePage* bootLoaderMode_;
};

}  // namespace tessaron
