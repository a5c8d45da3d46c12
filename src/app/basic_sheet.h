#pragma once
// "CHANGE BASIC READER SETTINGS": general settings, pre/postamble, RS232 parameters, track
// settings and keyboard settings.

#include "app/settings_sheet.h"

namespace tessaron {

class GeneralSettingsPage;
class PrePostamblePage;
class Rs232ParametersPage;
class TrackSettingsPage;
class KeyboardSettingsPage;

class BasicSheet : public SettingsSheet {
  Q_OBJECT

 public:
  BasicSheet(MainWindow& mainWindow, QWidget* parent);
  ~BasicSheet() override;

  // All five pages reload.
  void Refresh() override;
  // Opens the reader, waits, sends the factory-settings command; then opens it again,
  // waits and reads the settings back.
  void DefaultAll() override;

  inline static constexpr const char* OPEN_FAILED_TEXT = "Fail to open deivce!";
  inline static constexpr const char* REOPEN_FAILED_TEXT =
      "Fail to open deivce to read setting again. Please try it again";
  inline static constexpr const char* READ_FAILED_TEXT =
      "Fail to read the settings. Please try again.";
};

}  // namespace tessaron
