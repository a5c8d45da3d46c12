#include "app/boot_loader_mode_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/reader_state.h"
#include "app/ui_services.h"
#include "app/wait_cursor.h"
#include "app/window_flow_context.h"
#include "controls/keyboard_access.h"
#include "flows/flow_texts.h"
#include "flows/reader_flows.h"

namespace tessaron {

BootLoaderModePage::BootLoaderModePage(ReaderState& state, UiServices& ui, QWidget* parent)
    : SettingsPage(ui, parent),
      state_(state),
      password_(new QLineEdit(this)),
      setButton_(new QPushButton(QStringLiteral("Set Boot Loader Mode"), this)) {
  setObjectName(QStringLiteral("bootLoaderModePage"));
  password_->setObjectName(QStringLiteral("passwordBox"));
  // A password is never shown in clear text, nor copied out of the field.
  password_->setEchoMode(QLineEdit::Password);
  setButton_->setObjectName(QStringLiteral("setBootLoaderButton"));
  setButton_->setDefault(true);
  // Enter in the password field is the click of the default button, and nothing else. It is
  // not also the default whenever it has the focus: such a button, once focused, takes over
  // as the default of the whole main window and strips the other pages' default buttons.
  setButton_->setAutoDefault(false);
  connect(setButton_, &QPushButton::clicked, this, &BootLoaderModePage::SetBootLoaderMode);

  // The explanation keeps its trailing blank.
  auto* explanation = new QLabel(
      QStringLiteral("When you select \"Set Boot Loader Mode\", you enter Boot Loader mode, so "
                     "that you can update the reader's firmware. "),
      this);
  explanation->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(explanation);
  layout->addSpacing(fontMetrics().height());
  auto* prompt = new QLabel(QStringLiteral("Please input boot mode PASSWORD below"), this);
  LabelControl(prompt, password_);
  layout->addWidget(prompt);
  layout->addWidget(password_);
  layout->addWidget(setButton_, 0, Qt::AlignLeft);
  layout->addStretch(1);
}

BootLoaderModePage::~BootLoaderModePage() = default;

void BootLoaderModePage::SetBootLoaderMode() {
  if (!IsBootLoaderPassword(password_->text().toStdString())) {
    ui_.ShowMessageBox(this, QMessageBox::Warning, QString(),
                       QString::fromLatin1(texts::BOOT_LOADER_PASSWORD_WRONG), QMessageBox::Ok,
                       QMessageBox::Ok);
    return;
  }
  password_->clear();
  WaitCursor waitCursor;
  WindowFlowContext flow(this, ui_, &state_);
  EnterBootLoader(state_.Link(), flow);
}

}  // namespace tessaron
