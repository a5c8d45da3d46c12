#include "controls/base_dialog.h"

#include <QPalette>
#include <QPushButton>

#include "controls/dialog_units.h"

namespace tessaron {

BaseDialog::BaseDialog(QWidget* parent, Kind kind, Qt::WindowFlags flags)
    : QDialog(parent, flags), cancelIgnored_(kind == Kind::ChildWindow) {
  // QDialog always makes a window of its own; a child window lives inside its parent.
  if (kind == Kind::ChildWindow) setWindowFlags(Qt::Widget);
  SetBackgroundColor(DEFAULT_BACKGROUND_COLOR);
}

BaseDialog::~BaseDialog() = default;

void BaseDialog::SetBackgroundColor(const QColor& color) {
  background_ = color;
  QPalette colours = palette();
  colours.setColor(QPalette::Window, color);
  setPalette(colours);
  setAutoFillBackground(true);
}

QPushButton* BaseDialog::MakeOkButton() {
  auto* button = new QPushButton(QStringLiteral("OK"), this);
  button->setObjectName(QStringLiteral("okButton"));
  button->setDefault(true);
  button->setMinimumWidth(DialogUnits().Pixels(90));
  connect(button, &QPushButton::clicked, this, &QDialog::accept);
  return button;
}

void BaseDialog::reject() {
  if (cancelIgnored_) return;
  QDialog::reject();
}

}  // namespace tessaron
