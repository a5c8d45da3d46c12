#include "app/general_settings_page.h"

#include <QGridLayout>
#include <QGroupBox>

#include "app/help_files.h"

namespace tessaron {

GeneralSettingsPage::GeneralSettingsPage(ReaderState& state, UiServices& ui, QWidget* parent)
    : BasicSettingsPage(state, ui, GeneralSettingsTable(), HELP_CONTEXT_GENERAL_SETTINGS, parent) {
  setObjectName(QStringLiteral("generalSettingsPage"));
  auto* grid = new QGridLayout;
  grid->addWidget(Bindings().AddChoice(Setting("beep-volume")), 0, 0);
  grid->addWidget(Bindings().AddChoice(Setting("msr-reading")), 1, 0);
  grid->addWidget(Bindings().AddChoice(Setting("decoding-method")), 2, 0);
  grid->addWidget(Bindings().AddChoice(Setting("terminal-type")), 0, 1);
  grid->addWidget(Bindings().AddChoice(Setting("inter-char-delay"), 2), 1, 1, 2, 1, Qt::AlignTop);
  grid->setRowStretch(3, 1);
  FinishLayout(grid);
  Refresh();
}

GeneralSettingsPage::~GeneralSettingsPage() = default;

void GeneralSettingsPage::Refresh() {
  BasicSettingsPage::Refresh();
  // A file loaded may hold another line: this page looks at the line again at every Refresh.
  GreyOutByLine();
}

}  // namespace tessaron
