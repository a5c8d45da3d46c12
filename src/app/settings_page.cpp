#include "app/settings_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help_files.h"

namespace tessaron {

SettingsPage::SettingsPage(QWidget* parent, Kind kind) : BaseDialog(parent, kind) {}

SettingsPage::~SettingsPage() = default;

void SettingsPage::Refresh() {}

BasicSettingsPage::BasicSettingsPage(ReaderSettings& settings, const PageTable& table,
                                     int helpContext, QWidget* parent)
    : SettingsPage(parent),
      settings(settings),
      table_(table),
      bindings_(new PageBindings(this, settings)),
      defaultPageButton_(new QPushButton(QStringLiteral("Default Page"), this)),
      helpButton_(new QPushButton(QStringLiteral("Help"), this)) {
  defaultPageButton_->setObjectName(QStringLiteral("defaultPageButton"));
  helpButton_->setObjectName(QStringLiteral("helpButton"));
  for (QPushButton* button : {defaultPageButton_, helpButton_}) button->setAutoDefault(false);
  connect(defaultPageButton_, &QPushButton::clicked, this, &BasicSettingsPage::DefaultPage);
  connect(helpButton_, &QPushButton::clicked, this, [helpContext] { OpenHelpTopic(helpContext); });
}

BasicSettingsPage::~BasicSettingsPage() = default;

void BasicSettingsPage::Refresh() { bindings_->Refresh(); }

void BasicSettingsPage::DefaultPage() {
  (settings.*table_.resetDefaults)();
  Refresh();
}

const PageControl& BasicSettingsPage::Control(const char* caption) const {
  const PageControl* control = FindControl(table_, caption);
  Q_ASSERT(control != nullptr);
  return *control;
}

void BasicSettingsPage::FinishLayout(QLayout* content) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(defaultPageButton_);
  buttons->addWidget(helpButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(content, 1);
  layout->addLayout(buttons);
}

void BasicSettingsPage::DisableEverything() {
  for (QWidget* child : findChildren<QWidget*>()) child->setEnabled(false);
}

AdvancedSettingsPage::AdvancedSettingsPage(MainWindow& mainWindow, QWidget* parent)
    : SettingsPage(parent), mainWindow(mainWindow) {}

AdvancedSettingsPage::~AdvancedSettingsPage() = default;

}  // namespace tessaron
