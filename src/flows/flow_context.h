#pragma once
// What a reader workflow needs from the program that runs it: waiting between steps,
// saying which step it is on, telling the user the outcome, asking a yes/no question, and
// hearing that the settings record was replaced. The windows and the command-line tool
// each implement it once; the workflows themselves are the same for both.

#include <chrono>
#include <string>

namespace tessaron {

struct FlowMessage {
  std::string text;       // the program's own outcome text, exactly as it is shown
  std::string cause;      // one line: why it failed and what the user can do; may be empty
  bool failure = false;   // an outcome the user must act on (the tool exits with 1)
  // How long the message stays before it closes itself; zero for the usual time.
  std::chrono::milliseconds lifetime{0};
};

class FlowContext {
 public:
  FlowContext() = default;
  virtual ~FlowContext() = default;
  FlowContext(const FlowContext&) = delete;
  FlowContext& operator=(const FlowContext&) = delete;

  // One of the fixed waits between two steps; returns when it has passed.
  virtual void Wait(std::chrono::milliseconds length) = 0;
  // The step that starts now ("Reading settings from /dev/ttyUSB0").
  virtual void Progress(const std::string& step) = 0;
  // Shows an outcome and returns once the user has seen it.
  virtual void Tell(const FlowMessage& message) = 0;
  // Asks a question with Yes and No (No is the default); true for Yes.
  virtual bool Confirm(const std::string& caption, const std::string& question) = 0;
  // The settings record was filled anew from a reader or a file: whatever shows it reloads.
  virtual void SettingsChanged() {}
  // A line worth knowing about the step under way (not an outcome); dropped where nobody
  // reads notes.
  virtual void Note(const std::string& /*line*/) {}

  // Shorthands for Tell.
  void TellDone(const std::string& text) { Tell(FlowMessage{text, std::string(), false, {}}); }
  void TellFailed(const std::string& text, const std::string& cause = std::string()) {
    Tell(FlowMessage{text, cause, true, {}});
  }
};

}  // namespace tessaron
