#include "app/window_flow_context.h"

#include <QMessageBox>
#include <QString>

#include "app/reader_state.h"
#include "app/ui_services.h"

namespace tessaron {

namespace {

QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

WindowFlowContext::WindowFlowContext(QWidget* parent, UiServices& ui, ReaderState* state,
                                     std::function<void()> settingsChanged)
    : parent_(parent), ui_(ui), state_(state), settingsChanged_(std::move(settingsChanged)) {}

WindowFlowContext::~WindowFlowContext() { EndSteps(); }

void WindowFlowContext::Wait(std::chrono::milliseconds length) {
  ui_.Wait(static_cast<int>(length.count()));
}

void WindowFlowContext::Progress(const std::string& step) {
  if (state_ == nullptr) return;
  state_->ShowWorkStep(FromText(step) + QStringLiteral("..."));
  showedStep_ = true;
}

void WindowFlowContext::EndSteps() {
  if (!showedStep_) return;
  showedStep_ = false;
  state_->ShowWorkStep(QString());
}

void WindowFlowContext::Tell(const FlowMessage& message) {
  EndSteps();
  ui_.ShowMessage(parent_, FromText(message.text), FromText(message.cause),
                  static_cast<int>(message.lifetime.count()));
}

bool WindowFlowContext::Confirm(const std::string& caption, const std::string& question) {
  return ui_.ShowMessageBox(parent_, QMessageBox::Warning, FromText(caption), FromText(question),
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) == QMessageBox::Yes;
}

void WindowFlowContext::SettingsChanged() {
  if (settingsChanged_) settingsChanged_();
}

}  // namespace tessaron
