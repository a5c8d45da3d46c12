#include "cli/online_session.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <thread>

#include "cli/cli_output.h"
#include "cli/held_port.h"
#include "cli/stop_signals.h"
#include "core/interface_type.h"
#include "core/shown_text.h"

namespace tessaron {

std::string ReportForTerminal(const std::string& report) {
  std::string text;
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report[i] == '\r' && i + 1 < report.size() && report[i + 1] == '\n') continue;
    text += report[i];
  }
  if (text.empty() || text.back() != '\n') text += '\n';
  return text;
}

void PrintReport(std::ostream& stream, const std::string& report, bool raw) {
  // The report holds the reader's own bytes (its firmware text, the pre- and postamble).
  stream << ShownText(raw ? report : ReportForTerminal(report), true);
  stream.flush();
}

void AddRawReportFlag(CLI::App* command, bool* raw) {
  command->add_flag("--raw", *raw,
                    "Print the report exactly as the report window shows it: CR LF line ends, "
                    "no line end after the last line");
}

ConsoleFlowContext::ConsoleFlowContext(CliContext& context) : context_(context) {}

void WaitUnlessStopped(std::chrono::milliseconds length, double timingScale) {
  // Once the run is asked to stop, no wait holds it up: the next step is refused anyway.
  constexpr std::chrono::milliseconds STEP{20};
  const auto end = std::chrono::steady_clock::now() + ScaleMillis(length, timingScale);
  while (!StopRequested()) {
    const auto left = end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, STEP));
  }
}

void ConsoleFlowContext::Wait(std::chrono::milliseconds length) {
  WaitUnlessStopped(length, context_.timingScale);
}

void ConsoleFlowContext::Progress(const std::string& step) {
  PrintText(context_.Notes(), step + " ...");
}

void ConsoleFlowContext::Tell(const FlowMessage& message) {
  if (message.failure) {
    PrintError(context_.err, FailureText(message));
    return;
  }
  PrintText(context_.Notes(), message.text);
  if (!message.cause.empty()) PrintText(context_.Notes(), message.cause);
}

bool ConsoleFlowContext::Confirm(const std::string& caption, const std::string& question) {
  if (StopRequested()) {
    NoteLeftUndone();
    return false;
  }
  if (answerYes_) return true;
  std::ostream& err = context_.err;
  err << caption << ": " << question << " [y/N] ";
  err.flush();
  std::string answer;
  const InputWait waiting;
  if (context_.in == nullptr || !std::getline(*context_.in, answer)) {
    err << '\n';
    return false;
  }
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

void ConsoleFlowContext::Note(const std::string& line) { PrintText(context_.Notes(), line); }

namespace {

// The readers of the context with the run's timing, their messages on its err, and every
// port held for the whole of a command.
ReaderEnvironment RunEnvironment(CliContext& context) {
  ReaderEnvironment environment = context.readers;
  const PortWrapper wrap = environment.wrap;
  environment.wrap = [wrap](std::unique_ptr<ReaderPort> port) {
    return HoldForCommand(wrap ? wrap(std::move(port)) : std::move(port));
  };
  // The readers' timing (the real one, unless the caller handed another) scaled; --fast ends
  // each exchange on its whole reply also where that timing does not already.
  environment.timing = environment.timing.ScaledBy(context.timingScale);
  environment.timing.fastReplies = environment.timing.fastReplies || context.fastReplies;
  std::ostream* messages = &context.err;
  environment.messages = [messages](const std::string& text, const std::string& caption) {
    PrintError(*messages, caption.empty() ? text : caption + ": " + text);
  };
  return environment;
}

}  // namespace

OnlineSession::OnlineSession(CliContext& context)
    : context_(context), readers_(RunEnvironment(context)), flow_(context) {}

bool OnlineSession::Simulate(const std::vector<std::string>& requests) {
  std::vector<sim::SimulatedLineKind> kinds;
  std::string error;
  if (!ParseSimulateRequests(requests, &kinds, &error)) {
    PrintError(context_.err, "--simulate: " + error);
    return false;
  }
  for (sim::SimulatedLineKind kind : kinds) {
    if (!readers_.Simulate({kind}, &error)) {
      PrintError(context_.err, error);
      return false;
    }
    const sim::SimulatedLine& line = *readers_.Simulated().back();
    flow_.Note(std::string("Simulated ") + InterfaceDisplayName(line.Interface()) +
               " reader: " + line.DeviceName());
  }
  return true;
}

std::vector<ReaderDeviceEntry> OnlineSession::UsbAndSimulatedReaders() const {
  return readers_.UnnamedReaders(true);
}

std::unique_ptr<ReaderLink> OnlineSession::Connect(const std::string& connectionText,
                                                   int* exitCode) {
  auto fail = [this, exitCode](const std::string& text, int code = CLI_EXIT_FAILURE) {
    PrintError(context_.err, text);
    if (exitCode != nullptr) *exitCode = code;
    return nullptr;
  };
  ReaderConnection connection;
  if (connectionText.empty()) {
    // With one simulated reader and no other to choose, it is the reader, whatever its line.
    std::vector<ReaderDeviceEntry> found;
    if (!readers_.ChooseUnnamed(true, &connection, &found)) {
      if (found.empty()) {
        return fail("no USB reader found; name the reader with --reader CONNECTION (\"tessaron "
                    "list\" shows every reader found)");
      }
      std::string readers;
      for (const ReaderDeviceEntry& entry : found) {
        readers += (readers.empty() ? "" : ", ") + ReaderConnectionText(ConnectionOf(entry)) +
                   " (" + entry.name + ")";
      }
      return fail(std::to_string(found.size()) + " USB readers found: " + readers +
                  "; name one with --reader CONNECTION");
    }
    flow_.Note(std::string("Using the ") + InterfaceDisplayName(connection.type) + " reader " +
               found.front().name + " (" + ReaderConnectionText(connection) + ")");
  } else {
    std::string error;
    if (!ParseReaderConnection(connectionText, &connection, &error) ||
        !readers_.CheckConnection(connection, &error)) {
      return fail(error, CLI_EXIT_USAGE);
    }
  }
  // The session has already said "ERROR Interface Type!" when no port serves the interface.
  std::unique_ptr<ReaderLink> link = readers_.Link(connection);
  if (!link && exitCode != nullptr) *exitCode = CLI_EXIT_FAILURE;
  return link;
}

}  // namespace tessaron
