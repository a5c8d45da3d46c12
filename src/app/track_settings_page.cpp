#include "app/track_settings_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help_files.h"
#include "controls/escape_name_edit.h"

namespace tessaron {

TrackSettingsPage::TrackSettingsPage(ReaderState& state, UiServices& ui, QWidget* parent)
    : BasicSettingsPage(state, ui, TrackSettingsTable(), HELP_CONTEXT_TRACK_SETTINGS, parent) {
  setObjectName(QStringLiteral("trackSettingsPage"));
  auto* grid = new QGridLayout;
  grid->addWidget(Bindings().AddChoice(Setting("track-select"), 2), 0, 0);

  auto* options = new QVBoxLayout;
  for (const char* name : {"send-sentinels", "track2-account-number-only",
                           "send-error-indication", "send-lrc"}) {
    options->addWidget(Bindings().AddCheck(Setting(name)));
  }
  options->addStretch(1);
  grid->addLayout(options, 0, 1);

  auto* characters = new QGridLayout;
  characters->addWidget(new QLabel(QStringLiteral("Non-Printable Char:"), this), 0, 2);
  int row = 1;
  for (const char* name : {"track-separator", "terminator"}) {
    QComboBox* chooser = nullptr;
    EscapeNameEdit* field = Bindings().AddBytes(Setting(name), &chooser);
    characters->addWidget(Bindings().Label(Setting(name)), row, 0);
    characters->addWidget(field, row, 1);
    characters->addWidget(chooser, row, 2);
    ++row;
  }
  // Label, field and chooser side by side; the room left over goes to the right of them.
  characters->setColumnStretch(3, 1);
  grid->addLayout(characters, 1, 0, 1, 2);
  grid->setRowStretch(2, 1);
  FinishLayout(grid);
  Refresh();
}

TrackSettingsPage::~TrackSettingsPage() = default;

void TrackSettingsPage::DefaultPage() {
  BasicSettingsPage::DefaultPage();
  DefaultPageButton()->setFocus(Qt::OtherFocusReason);
}

}  // namespace tessaron
