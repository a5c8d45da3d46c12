#pragma once
// The reader workflows in the windows: outcomes in a message window (the cause on a line of
// its own below the text), questions in a warning box with No as the default, the waits
// through the user-interface services, and a call back when the settings record was filled
// anew so that the pages show it.

#include <functional>

#include "flows/flow_context.h"

class QWidget;

namespace tessaron {

class WindowFlowContext : public FlowContext {
 public:
  explicit WindowFlowContext(QWidget* parent, std::function<void()> settingsChanged = {});

  void Wait(std::chrono::milliseconds length) override;
  void Progress(const std::string& step) override;
  void Tell(const FlowMessage& message) override;
  bool Confirm(const std::string& caption, const std::string& question) override;
  void SettingsChanged() override;

 private:
  QWidget* parent_;
  std::function<void()> settingsChanged_;
};

}  // namespace tessaron
