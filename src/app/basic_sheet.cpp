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
  AddPage(QString::fromLatin1(TAB_CAPTIONS[0]), new GeneralSettingsPage(*settings_));
  AddPage(QString::fromLatin1(TAB_CAPTIONS[1]), new PrePostamblePage(*settings_));
  AddPage(QString::fromLatin1(TAB_CAPTIONS[2]), new Rs232ParametersPage(*settings_));
  AddPage(QString::fromLatin1(TAB_CAPTIONS[3]), new TrackSettingsPage(*settings_));
  AddPage(QString::fromLatin1(TAB_CAPTIONS[4]), new KeyboardSettingsPage(*settings_));
  Tabs()->setCurrentIndex(0);
}

BasicSheet::~BasicSheet() = default;

void BasicSheet::Refresh() {
  for (int index = 0; index < PAGE_COUNT; ++index) {
    if (SettingsPage* page = Page(index)) page->Refresh();
  }
}

}  // namespace tessaron
