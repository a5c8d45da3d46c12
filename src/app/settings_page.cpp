#include "app/settings_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help_files.h"
#include "controls/keyboard_access.h"

namespace tessaron {

SettingsPage::SettingsPage(QWidget* parent, Kind kind) : BaseDialog(parent, kind) {}

SettingsPage::~SettingsPage() = default;

void SettingsPage::Refresh() {}

QPushButton* SettingsPage::MakeDefaultPageButton() {
  auto* button = new QPushButton(QStringLiteral("Default Page"), this);
  button->setObjectName(QStringLiteral("defaultPageButton"));
  button->setAutoDefault(false);
  return button;
}

QPushButton* SettingsPage::MakeHelpButton(int helpContext) {
  auto* button = new QPushButton(QStringLiteral("Help"), this);
  button->setObjectName(QStringLiteral("helpButton"));
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, [this, helpContext] { OpenHelpTopic(helpContext, this); });
  return button;
}

void SettingsPage::LayOutPage(QLayout* content, QPushButton* defaultPage, QPushButton* help) {
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(defaultPage);
  buttons->addWidget(help);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(content, 1);
  layout->addLayout(buttons);
  // The buttons were made before the content, but they are read after it.
  PlaceLastInTabOrder(this, {defaultPage, help});
}

BasicSettingsPage::BasicSettingsPage(ReaderSettings& settings, const PageTable& table,
                                     int helpContext, QWidget* parent)
    : SettingsPage(parent),
      settings_(settings),
      table_(table),
      bindings_(new PageBindings(this, settings)),
      defaultPageButton_(MakeDefaultPageButton()),
      helpButton_(MakeHelpButton(helpContext)) {
  connect(defaultPageButton_, &QPushButton::clicked, this, &BasicSettingsPage::DefaultPage);
}

BasicSettingsPage::~BasicSettingsPage() = default;

void BasicSettingsPage::Refresh() { bindings_->Refresh(); }

void BasicSettingsPage::DefaultPage() {
  ResetPageDefaults(table_.page, settings_);
  Refresh();
}

const PageControl& BasicSettingsPage::Control(const char* caption) const {
  const PageControl* control = FindControl(table_, caption);
  Q_ASSERT(control != nullptr);
  return *control;
}

void BasicSettingsPage::FinishLayout(QLayout* content) {
  LayOutPage(content, defaultPageButton_, helpButton_);
}

void BasicSettingsPage::DisableEverything() {
  for (QWidget* child : findChildren<QWidget*>()) child->setEnabled(false);
}

AdvancedSettingsPage::AdvancedSettingsPage(MainWindow& mainWindow, QWidget* parent)
    : SettingsPage(parent), mainWindow_(mainWindow) {}

AdvancedSettingsPage::~AdvancedSettingsPage() = default;

}  // namespace tessaron
