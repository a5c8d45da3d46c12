#include "app/general_settings_page.h"

#include <QGridLayout>
#include <QGroupBox>

#include "app/help_files.h"

namespace tessaron {

GeneralSettingsPage::GeneralSettingsPage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, GeneralSettingsTable(), HELP_CONTEXT_GENERAL_SETTINGS, parent) {
  setObjectName(QStringLiteral("generalSettingsPage"));
  auto* grid = new QGridLayout;
  grid->addWidget(Bindings().AddChoice(Control("Beep")), 0, 0);
  grid->addWidget(Bindings().AddChoice(Control("MSR Reading")), 1, 0);
  grid->addWidget(Bindings().AddChoice(Control("Decoding Method")), 2, 0);
  terminalType_ = Bindings().AddChoice(Control("Terminal Type"));
  delay_ = Bindings().AddChoice(Control("Inter-Character Delay"), 2);
  grid->addWidget(terminalType_, 0, 1);
  grid->addWidget(delay_, 1, 1, 2, 1, Qt::AlignTop);
  grid->setRowStretch(3, 1);
  FinishLayout(grid);
  Refresh();
}

GeneralSettingsPage::~GeneralSettingsPage() = default;

void GeneralSettingsPage::Refresh() {
  BasicSettingsPage::Refresh();
  // Greyed out, never enabled again here: a reconnect makes the page afresh.
  const InterfaceType line = settings_.interfaceType;
  if (line != InterfaceType::Ps2Keyboard && line != InterfaceType::Unknown) {
    for (QWidget* widget : Bindings().WidgetsOf(Control("Terminal Type"))) widget->setEnabled(false);
    for (QWidget* widget : Bindings().WidgetsOf(Control("Inter-Character Delay"))) {
      widget->setEnabled(false);
    }
  }
}

}  // namespace tessaron
