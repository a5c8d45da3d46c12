#pragma once
// "CHANGE BASIC READER SETTINGS": general settings, pre/postamble, RS232 parameters, track
// settings and keyboard settings.

#include <array>

#include "app/settings_sheet.h"
#include "core/settings_table.h"

namespace tessaron {

class GeneralSettingsPage;
class PrePostamblePage;
class Rs232ParametersPage;
class TrackSettingsPage;
class KeyboardSettingsPage;

class BasicSheet : public SettingsSheet {
  Q_OBJECT

 public:
  // The tab captions, in tab order.
  static constexpr std::array<const char*, PAGE_COUNT> TAB_CAPTIONS = {
      PageCaption(RecordPage::GeneralSettings), PageCaption(RecordPage::PrePostamble),
      PageCaption(RecordPage::Rs232Parameters), PageCaption(RecordPage::TrackSettings),
      PageCaption(RecordPage::KeyboardSettings)};
  BasicSheet(MainWindow& mainWindow, QWidget* parent);
  ~BasicSheet() override;

  // All five pages reload.
  void Refresh() override;
};

}  // namespace tessaron
