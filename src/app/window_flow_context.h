#pragma once
// The reader workflows in the windows: outcomes in a message window (the cause on a line of
// its own below the text), questions in a warning box with No as the default, the waits
// through the user-interface services, and a call back when the settings record was filled
// anew so that the pages show it. The step under way is told to the reader state (the main
// window shows it on its busy line) until the outcome is told or the work ends.

#include <functional>

#include "flows/flow_context.h"

class QWidget;

namespace tessaron {

class ReaderState;
class UiServices;

class WindowFlowContext : public FlowContext {
 public:
  // Messages and questions show over parent through ui; the steps go to state when given.
  WindowFlowContext(QWidget* parent, UiServices& ui, ReaderState* state,
                    std::function<void()> settingsChanged = {});
  ~WindowFlowContext() override;

  void Wait(std::chrono::milliseconds length) override;
  void Progress(const std::string& step) override;
  void Tell(const FlowMessage& message) override;
  bool Confirm(const std::string& caption, const std::string& question) override;
  void SettingsChanged() override;

 private:
  // Ends the step shown when this context showed one.
  void EndSteps();

  QWidget* parent_;
  UiServices& ui_;
  ReaderState* state_;
  std::function<void()> settingsChanged_;
  bool showedStep_ = false;
};

}  // namespace tessaron
