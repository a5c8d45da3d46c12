#include "app/advanced_sheet.h"

#include <QPushButton>
#include <QString>
#include <QTabWidget>

#include "app/boot_loader_mode_page.h"
#include "app/data_editing_page.h"
#include "app/main_window.h"
#include "app/manual_command_page.h"
#include "app/output_format_page.h"
#include "app/quick_clone_page.h"

namespace tessaron {

AdvancedSheet::AdvancedSheet(MainWindow& mainWindow, QWidget* parent)
    : SettingsSheet(mainWindow, Variant::Advanced, parent),
      outputFormat_(new OutputFormatPage(mainWindow)),
      dataEditing_(new DataEditingPage(mainWindow.Settings(), true)),
      quickClone_(new QuickClonePage(mainWindow)),
      manualCommand_(new ManualCommandPage(mainWindow)),
      bootLoaderMode_(new BootLoaderModePage(mainWindow)) {
  setObjectName(QStringLiteral("advancedSheet"));
  AddPage(QString::fromLatin1(TAB_CAPTIONS[0]), outputFormat_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[1]), dataEditing_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[2]), quickClone_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[3]), manualCommand_);
  AddPage(QString::fromLatin1(TAB_CAPTIONS[4]), bootLoaderMode_);
  Tabs()->setCurrentIndex(OUTPUT_FORMAT_TAB);
  TakeFromMainWindow();
}

AdvancedSheet::~AdvancedSheet() = default;

void AdvancedSheet::Refresh() {
  outputFormat_->Refresh();
  dataEditing_->Refresh();
}

void AdvancedSheet::OnTabChanged(int index) {
  // Send, load, save and defaults act on the record, which only the first two pages edit.
  const bool recordPage = index >= 0 && index < QUICK_CLONE_TAB;
  for (QPushButton* button : {SendButton(), LoadButton(), SaveButton(), DefaultAllButton()}) {
    button->setEnabled(recordPage);
  }
}

}  // namespace tessaron
