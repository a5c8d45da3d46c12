#include "app/keyboard_settings_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/help_files.h"

namespace tessaron {

KeyboardSettingsPage::KeyboardSettingsPage(ReaderState& state, UiServices& ui, QWidget* parent)
    : BasicSettingsPage(state, ui, KeyboardSettingsTable(), HELP_CONTEXT_KEYBOARD_SETTINGS, parent) {
  setObjectName(QStringLiteral("keyboardSettingsPage"));
  auto* grid = new QGridLayout;
  grid->addWidget(Bindings().AddChoice(Setting("language"), 2), 0, 0, 2, 1);
  grid->addWidget(Bindings().AddChoice(Setting("function-key-output")), 0, 1, Qt::AlignTop);

  const PageControl& polling = Setting("hid-kb-polling-interval");
  QLineEdit* interval = Bindings().AddNumber(polling);
  QLabel* label = Bindings().Label(polling);
  label->setWordWrap(true);
  auto* pollingLayout = new QGridLayout;
  pollingLayout->addWidget(label, 0, 0);
  pollingLayout->addWidget(interval, 1, 0, Qt::AlignLeft);
  interval->setMaximumWidth(interval->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
  grid->addLayout(pollingLayout, 1, 1, Qt::AlignTop);
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(1, 1);
  FinishLayout(grid);
  Refresh();
}

KeyboardSettingsPage::~KeyboardSettingsPage() = default;

}  // namespace tessaron
