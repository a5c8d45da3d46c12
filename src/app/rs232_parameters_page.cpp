#include "app/rs232_parameters_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/help_files.h"

namespace tessaron {

Rs232ParametersPage::Rs232ParametersPage(ReaderState& state, UiServices& ui, QWidget* parent)
    : BasicSettingsPage(state, ui, Rs232ParametersTable(), HELP_CONTEXT_RS232_PARAMETERS, parent) {
  setObjectName(QStringLiteral("rs232ParametersPage"));
  auto* grid = new QGridLayout;
  grid->addWidget(Bindings().AddChoice(Setting("baud-rate")), 0, 0, 2, 1);
  grid->addWidget(Bindings().AddChoice(Setting("parity")), 0, 1, 2, 1);
  grid->addWidget(Bindings().AddChoice(Setting("data-bits")), 0, 2);
  grid->addWidget(Bindings().AddChoice(Setting("handshake")), 1, 2);
  grid->addWidget(Bindings().AddChoice(Setting("stop-bits")), 2, 2);

  auto* characters = new QGridLayout;
  int row = 0;
  for (const char* name : {"xon-char", "xoff-char"}) {
    QLineEdit* field = Bindings().AddNumber(Setting(name));
    characters->addWidget(Bindings().Label(Setting(name)), row, 0);
    characters->addWidget(field, row, 1);
    ++row;
  }
  // The fields beside their labels; the room left over goes to the right of them.
  characters->setColumnStretch(2, 1);
  grid->addLayout(characters, 2, 0, 1, 2, Qt::AlignVCenter);
  grid->setRowStretch(3, 1);
  FinishLayout(grid);
  Refresh();
}

Rs232ParametersPage::~Rs232ParametersPage() = default;

}  // namespace tessaron
