#include "app/keyboard_settings_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/help_files.h"

namespace tessaron {

KeyboardSettingsPage::KeyboardSettingsPage(ReaderSettings& settings, QWidget* parent)
    : BasicSettingsPage(settings, KeyboardSettingsTable(), HELP_CONTEXT_KEYBOARD_SETTINGS, parent) {
  setObjectName(QStringLiteral("keyboardSettingsPage"));
  auto* grid = new QGridLayout;
  grid->addWidget(Bindings().AddChoice(Control("Language Option"), 2), 0, 0, 2, 1);
  grid->addWidget(Bindings().AddChoice(Control("Function Key Output")), 0, 1, Qt::AlignTop);

  const char* const polling = "USB HID KB Polling Interval (Input value is from 1 to 255)";
  QLineEdit* interval = Bindings().AddNumber(Control(polling));
  QLabel* label = Bindings().Label(Control(polling));
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

  // Applied once, when the page is made.
  if (settings_.interfaceType != InterfaceType::Ps2Keyboard &&
      settings_.interfaceType != InterfaceType::UsbHidKb) {
    DisableEverything();
  }
}

KeyboardSettingsPage::~KeyboardSettingsPage() = default;

}  // namespace tessaron
