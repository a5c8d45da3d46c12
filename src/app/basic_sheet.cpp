#include "app/basic_sheet.h"

#include <QString>
#include <QTabWidget>

#include "app/general_settings_page.h"
#include "app/keyboard_settings_page.h"
#include "app/main_window.h"
#include "app/pre_postamble_page.h"
#include "app/rs232_parameters_page.h"
#include "app/track_settings_page.h"

namespace tessaron {

BasicSheet::BasicSheet(MainWindow& mainWindow, QWidget* parent)
    : SettingsSheet(mainWindow, Variant::Basic, parent) {
  setObjectName(QStringLiteral("basicSheet"));
  SetBackgroundColor(DEFAULT_BACKGROUND_COLOR);
  // The record is taken before the pages are made: each page is handed it at creation.
  TakeFromMainWindow();
  AddPage(QStringLiteral("General Settings"), new GeneralSettingsPage(*settings));
  AddPage(QStringLiteral("Pre/Postamble"), new PrePostamblePage(*settings));
  AddPage(QStringLiteral("RS232 Parameters"), new Rs232ParametersPage(*settings));
  AddPage(QStringLiteral("Track Settings"), new TrackSettingsPage(*settings));
  AddPage(QStringLiteral("Keyboard Settings"), new KeyboardSettingsPage(*settings));
  Tabs()->setCurrentIndex(0);
}

BasicSheet::~BasicSheet() = default;

void BasicSheet::Refresh() {
  for (int index = 0; index < PAGE_COUNT; ++index) {
    if (SettingsPage* page = Page(index)) page->Refresh();
  }
}

}  // namespace tessaron
