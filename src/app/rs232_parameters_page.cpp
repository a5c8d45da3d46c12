#include "app/rs232_parameters_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/help_files.h"

namespace tessaron {

Rs232ParametersPage::Rs232ParametersPage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, Rs232ParametersTable(), HELP_CONTEXT_RS232_PARAMETERS, parent) {
  setObjectName(QStringLiteral("rs232ParametersPage"));
  auto* grid = new QGridLayout;
  grid->addWidget(Bindings().AddChoice(Control("Baud Rate(bps)")), 0, 0, 2, 1);
  grid->addWidget(Bindings().AddChoice(Control("Parity")), 0, 1, 2, 1);
  grid->addWidget(Bindings().AddChoice(Control("Data Bits")), 0, 2);
  grid->addWidget(Bindings().AddChoice(Control("Handshaking")), 1, 2);
  grid->addWidget(Bindings().AddChoice(Control("Stop Bits")), 2, 2);

  auto* characters = new QGridLayout;
  int row = 0;
  for (const char* caption : {"X-On(Decimal):", "X-Off(Decimal):"}) {
    QLineEdit* field = Bindings().AddNumber(Control(caption));
    characters->addWidget(Bindings().Label(Control(caption)), row, 0);
    characters->addWidget(field, row, 1);
    ++row;
  }
  // The fields beside their labels; the room left over goes to the right of them.
  characters->setColumnStretch(2, 1);
  grid->addLayout(characters, 2, 0, 1, 2, Qt::AlignVCenter);
  grid->setRowStretch(3, 1);
  FinishLayout(grid);
  Refresh();

  // Applied once, when the page is made.
  if (settings_.interfaceType != InterfaceType::Rs232 && settings_.interfaceType != InterfaceType::Unknown) {
    DisableEverything();
  }
}

Rs232ParametersPage::~Rs232ParametersPage() = default;

}  // namespace tessaron
