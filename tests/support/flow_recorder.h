#pragma once
// A workflow context for tests: it records every wait, step, message and question instead
// of sleeping or showing anything.

#include <chrono>
#include <string>
#include <vector>

#include "flows/flow_context.h"

namespace tessaron::test_support {

class FlowRecorder : public FlowContext {
 public:
  void Wait(std::chrono::milliseconds length) override { waits.push_back(length); }
  void Progress(const std::string& step) override { steps.push_back(step); }
  void Tell(const FlowMessage& message) override { messages.push_back(message); }
  bool Confirm(const std::string& caption, const std::string& question) override {
    questions.push_back(caption + ": " + question);
    return answer;
  }
  void SettingsChanged() override { ++settingsChanged; }

  // The texts told, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const FlowMessage& message : messages) texts.push_back(message.text);
    return texts;
  }
  void Clear() {
    waits.clear();
    steps.clear();
    messages.clear();
    questions.clear();
    settingsChanged = 0;
  }

  std::vector<std::chrono::milliseconds> waits;
  std::vector<std::string> steps;
  std::vector<FlowMessage> messages;
  std::vector<std::string> questions;
  bool answer = true;  // the answer to every question
  int settingsChanged = 0;
};

}  // namespace tessaron::test_support
