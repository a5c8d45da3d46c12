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
};

}  // namespace tessaron
