#include "app/basic_sheet.h"

#include <QString>
#include <QTabWidget>

#include "app/general_settings_page.h"
#include "app/keyboard_settings_page.h"
#include "app/pre_postamble_page.h"
#include "app/rs232_parameters_page.h"
#include "app/track_settings_page.h"
#include "flows/flow_waits.h"

namespace tessaron {

const std::array<const char*, BasicSheet::PAGE_COUNT> BasicSheet::TAB_CAPTIONS = {
    PageCaption(RecordPage::GeneralSettings), PageCaption(RecordPage::PrePostamble),
    PageCaption(RecordPage::Rs232Parameters), PageCaption(RecordPage::TrackSettings),
    PageCaption(RecordPage::KeyboardSettings)};

BasicSheet::BasicSheet(ReaderState& state, UiServices& ui, QWidget* parent)
    : SettingsSheet(state, ui, QStringLiteral("Change Basic Settings:"), parent) {
  setObjectName(QStringLiteral("basicSheet"));
  SetBackgroundColor(DEFAULT_BACKGROUND_COLOR);
  SettingsPage* const pages[] = {
      new GeneralSettingsPage(state, ui), new PrePostamblePage(state, ui),
      new Rs232ParametersPage(state, ui), new TrackSettingsPage(state, ui),
      new KeyboardSettingsPage(state, ui)};
  static_assert(std::size(pages) == PAGE_COUNT);
  for (std::size_t index = 0; index < TAB_CAPTIONS.size(); ++index) {
    AddPage(QString::fromLatin1(TAB_CAPTIONS[index]), pages[index]);
  }
  Tabs()->setCurrentIndex(0);
}

BasicSheet::~BasicSheet() = default;

void BasicSheet::Refresh() {
  for (int index = 0; index < PageCount(); ++index) Page(index)->Refresh();
}

SendPlan BasicSheet::SendPlanOfSheet() const {
  return SendPlan{.pauseAfterVersion = VERSION_QUERY_WAIT, .switchCountsOnceOpen = true};
}

DefaultsPlan BasicSheet::DefaultsPlanOfSheet() const {
  return DefaultsPlan{.beforeCommand = DEFAULTS_COMMAND_WAIT,
                      .readOnOwnOpen = true,
                      .beforeRead = DEFAULTS_REOPEN_WAIT,
                      .openFailed = texts::DEFAULTS_OPEN_FAILED,
                      .reopenFailed = texts::DEFAULTS_REOPEN_FAILED,
                      .readFailed = texts::DEFAULTS_READ_BACK_FAILED};
}

SaveWords BasicSheet::SaveWordsOfSheet() const {
  return SaveWords{.done = texts::SAVE_OK, .failed = texts::SAVE_FAILED};
}

}  // namespace tessaron
