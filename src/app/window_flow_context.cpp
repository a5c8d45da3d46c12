#include "app/window_flow_context.h"

#include <QMessageBox>
#include <QString>

#include "app/main_window.h"
#include "app/ui_services.h"

namespace tessaron {

namespace {

QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The main window that parent lies in; none for a window of its own.
MainWindow* MainWindowOf(QWidget* parent) {
  for (QWidget* widget = parent; widget != nullptr; widget = widget->parentWidget()) {
    if (auto* main = qobject_cast<MainWindow*>(widget)) return main;
  }
  return nullptr;
}

}  // namespace

WindowFlowContext::WindowFlowContext(QWidget* parent, std::function<void()> settingsChanged)
    : parent_(parent), settingsChanged_(std::move(settingsChanged)) {}

void WindowFlowContext::Wait(std::chrono::milliseconds length) {
  WaitMilliseconds(static_cast<int>(length.count()), parent_);
}

WindowFlowContext::~WindowFlowContext() { EndSteps(); }

void WindowFlowContext::Progress(const std::string& step) {
  MainWindow* main = MainWindowOf(parent_);
  if (main == nullptr) return;
  main->ShowBusyStep(FromText(step) + QStringLiteral("..."));
  showedStep_ = true;
}

void WindowFlowContext::EndSteps() {
  if (!showedStep_) return;
  showedStep_ = false;
  if (MainWindow* main = MainWindowOf(parent_)) main->ShowBusyStep(QString());
}

void WindowFlowContext::Tell(const FlowMessage& message) {
  EndSteps();
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
