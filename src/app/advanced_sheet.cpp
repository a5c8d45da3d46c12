#include "app/advanced_sheet.h"

#include <QPushButton>
#include <QString>
#include <QTabWidget>

#include "app/boot_loader_mode_page.h"
#include "app/data_editing_page.h"
#include "app/manual_command_page.h"
#include "app/output_format_page.h"
#include "app/quick_clone_page.h"
#include "app/reader_state.h"
#include "flows/flow_waits.h"

namespace tessaron {

const std::array<const char*, AdvancedSheet::PAGE_COUNT> AdvancedSheet::TAB_CAPTIONS = {
    PageCaption(RecordPage::OutputFormat), PageCaption(RecordPage::DataEditing), "Quick Clone",
    "Manual Command", "Set Boot Loader Mode"};

AdvancedSheet::AdvancedSheet(ReaderState& state, UiServices& ui, QWidget* parent)
    : SettingsSheet(state, ui, QStringLiteral("Change Advanced Settings:"), parent),
      outputFormat_(new OutputFormatPage(state, ui)),
      dataEditing_(new DataEditingPage(state.Settings(), ui, true)),
      quickClone_(new QuickClonePage(state, ui)),
      manualCommand_(new ManualCommandPage(state, ui)),
      bootLoaderMode_(new BootLoaderModePage(state, ui)) {
  setObjectName(QStringLiteral("advancedSheet"));
  AddPage(QString::fromLatin1(TAB_CAPTIONS[0]), outputFormat_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[1]), dataEditing_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[2]), quickClone_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[3]), manualCommand_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[4]), bootLoaderMode_);
  Tabs()->setCurrentIndex(OUTPUT_FORMAT_TAB);
}

AdvancedSheet::~AdvancedSheet() = default;

void AdvancedSheet::Refresh() {
  outputFormat_->Refresh();
  dataEditing_->Refresh();
}

SendPlan AdvancedSheet::SendPlanOfSheet() const { return SendPlan{}; }

DefaultsPlan AdvancedSheet::DefaultsPlanOfSheet() const {
  return DefaultsPlan{.beforeRead = DEFAULTS_READ_BACK_WAIT};
}

SaveWords AdvancedSheet::SaveWordsOfSheet() const {
  return SaveWords{.done = texts::SAVE_OK_ADVANCED, .failed = texts::SAVE_FAILED_ADVANCED};
}

void AdvancedSheet::OnTabChanged(int index) {
  // Send, load, save and defaults act on the record, which only the first two pages edit.
  const bool recordPage = index >= 0 && index < QUICK_CLONE_TAB;
  for (QPushButton* button : {SendButton(), LoadButton(), SaveButton(), DefaultAllButton()}) {
    button->setEnabled(recordPage);
  }
}

}  // namespace tessaron
