#include "app/window_flow_context.h"

#include <QMessageBox>
#include <QString>

#include "app/ui_services.h"

namespace tessaron {

namespace {

QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

WindowFlowContext::WindowFlowContext(QWidget* parent, std::function<void()> settingsChanged)
    : parent_(parent), settingsChanged_(std::move(settingsChanged)) {}

void WindowFlowContext::Wait(std::chrono::milliseconds length) {
  WaitMilliseconds(static_cast<int>(length.count()), parent_);
}

void WindowFlowContext::Progress(const std::string&) {}

void WindowFlowContext::Tell(const FlowMessage& message) {
  ShowMessage(FromText(message.text), parent_, static_cast<int>(message.lifetime.count()),
              FromText(message.cause));
}

bool WindowFlowContext::Confirm(const std::string& caption, const std::string& question) {
  return ShowMessageBox(parent_, QMessageBox::Warning, FromText(caption),
                             FromText(question), QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) == QMessageBox::Yes;
}

void WindowFlowContext::SettingsChanged() {
  if (settingsChanged_) settingsChanged_();
}

}  // namespace tessaron
