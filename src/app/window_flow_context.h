#pragma once
// The reader workflows in the windows: outcomes in a message window (the cause on a line of
// its own below the text), questions in a warning box with No as the default, the waits
// through the user-interface services, and a call back when the settings record was filled
// anew so that the pages show it. The step under way shows on the main window's busy line
// until the outcome is told or the work ends.

#include <functional>

#include "flows/flow_context.h"

class QWidget;

namespace tessaron {

class WindowFlowContext : public FlowContext {
 public:
  explicit WindowFlowContext(QWidget* parent, std::function<void()> settingsChanged = {});
  ~WindowFlowContext() override;

  void Wait(std::chrono::milliseconds length) override;
  void Progress(const std::string& step) override;
  void Tell(const FlowMessage& message) override;
  bool Confirm(const std::string& caption, const std::string& question) override;
  void SettingsChanged() override;

 private:
  // Hides the busy line when this context put a step on it.
  void EndSteps();

  QWidget* parent_;
  std::function<void()> settingsChanged_;
  bool showedStep_ = false;
};

}  // namespace tessaron
