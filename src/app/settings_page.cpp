#include "app/settings_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/help_files.h"
#include "app/reader_state.h"
#include "controls/keyboard_access.h"

namespace tessaron {

SettingsPage::SettingsPage(UiServices& ui, QWidget* parent, Kind kind)
    : BaseDialog(parent, kind), ui_(ui) {}

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
  connect(button, &QPushButton::clicked, this,
          [this, helpContext] { OpenHelpTopic(helpContext, ui_, this); });
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

BasicSettingsPage::BasicSettingsPage(ReaderState& state, UiServices& ui, const PageTable& table,
                                     int helpContext, QWidget* parent)
    : SettingsPage(ui, parent),
      state_(state),
      settings_(state.Settings()),
      bindings_(new PageBindings(this, table, settings_, ui, [this] { Refresh(); })),
      defaultPageButton_(MakeDefaultPageButton()),
      helpButton_(MakeHelpButton(helpContext)) {
  connect(defaultPageButton_, &QPushButton::clicked, this, &BasicSettingsPage::DefaultPage);
}

BasicSettingsPage::~BasicSettingsPage() = default;

void BasicSettingsPage::Refresh() { bindings_->Refresh(); }

void BasicSettingsPage::DefaultPage() {
  ResetPageDefaults(Table().page, settings_);
  Refresh();
}

void BasicSettingsPage::FinishLayout(QLayout* content) {
  LayOutPage(content, defaultPageButton_, helpButton_);
  GreyOutByLine();
}

void BasicSettingsPage::GreyOutByLine() {
  const InterfaceType line = settings_.interfaceType;
  const auto applies = [line](const PageControl& control) { return AppliesOn(control, line); };
  if (std::ranges::none_of(Table().controls, applies)) {
    for (QWidget* child : findChildren<QWidget*>()) child->setEnabled(false);
    return;
  }
  for (const PageControl& control : Table().controls) {
    if (applies(control)) continue;
    for (QWidget* widget : bindings_->WidgetsOf(control)) widget->setEnabled(false);
  }
}

}  // namespace tessaron
