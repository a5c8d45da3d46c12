#pragma once
// What every command that talks to readers sets up around its work: the timing, the
// messages of the lower layers, the optional simulated reader, the reader to use, and the
// context through which the reader workflows wait, report progress and tell outcomes.

#include <chrono>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/message_sink.h"
#include "core/reader_settings.h"
#include "flows/flow_context.h"
#include "flows/reader_connection.h"
#include "transport/transport_timing.h"

namespace CLI {
class App;
}

namespace tessaron {

namespace sim {
class SimulatedLine;
enum class SimulatedLineKind;
}

// The names --simulate accepts, for help and checks.
const char* SimulatedLineNames();
// The most readers one --simulate=LINE:COUNT adds.
constexpr int MAX_SIMULATED_READERS = 16;
// Reads --simulate requests, each LINE or LINE:COUNT (COUNT 1 to MAX_SIMULATED_READERS;
// there is one keyboard controller, so ps2 at most once in all). lines, when given, gets one
// line kind per reader. False with the reason in error.
bool ParseSimulateRequests(const std::vector<std::string>& requests,
                           std::vector<sim::SimulatedLineKind>* lines, std::string* error);

// The current-settings report as a terminal wants it: the line ends of this platform (LF for
// the report's CR LF) and a line end after the last line, so that the prompt starts on a line
// of its own and the output diffs cleanly.
std::string ReportForTerminal(const std::string& report);
// Prints the report so, or with raw exactly as the report window shows it.
void PrintReport(std::ostream& stream, const std::string& report, bool raw);
// Adds --raw to a command that prints the report.
void AddRawReportFlag(CLI::App* command, bool* raw);

// The reader workflows on a terminal: progress and the outcomes of success as notes, each
// failure as one error line, questions answered from standard input (or yes without
// asking), waits slept.
class ConsoleFlowContext : public FlowContext {
 public:
  explicit ConsoleFlowContext(CliContext& context);

  void Wait(std::chrono::milliseconds length) override;
  void Progress(const std::string& step) override;
  void Tell(const FlowMessage& message) override;
  bool Confirm(const std::string& caption, const std::string& question) override;

  // Questions are answered yes without being asked (--yes).
  void AnswerYes() { answerYes_ = true; }
  // Whether a failure was told since the context was made.
  bool FailureTold() const { return failureTold_; }

 private:
  CliContext& context_;
  bool answerYes_ = false;
  bool failureTold_ = false;
};

// Reads the reader's record into settings, and its firmware version text into *firmware when
// firmware is given; false after the failure was told.
bool ReadInto(ReaderLink& link, FlowContext& flow, ReaderSettings& settings,
              std::string* firmware = nullptr);

class OnlineSession {
 public:
  // Sends the lower layers' messages to the context's err until destroyed.
  explicit OnlineSession(CliContext& context);
  // Gives the keyboard controller access back when it was taken, then stops the simulated
  // reader. Ports must be gone by then.
  ~OnlineSession();
  OnlineSession(const OnlineSession&) = delete;
  OnlineSession& operator=(const OnlineSession&) = delete;

  // Adds the simulated readers asked for (each LINE or LINE:COUNT) to discovery; false after
  // a message on err.
  bool Simulate(const std::vector<std::string>& requests);
  // The readers that are taken without being named: the USB readers present, and the
  // simulated readers whatever their line, as discovery shows them now (a USB reader may
  // have changed its interface since it started).
  std::vector<ReaderDeviceEntry> UsbAndSimulatedReaders() const;

  // The reader named by connectionText, or the automatic connection when it is empty: the
  // one USB reader present, or the one simulated reader when it is the only reader to
  // choose, whatever its line. nullptr after one error line, with the exit status in
  // *exitCode (CLI_EXIT_USAGE for a connection that names another kind of device).
  std::unique_ptr<ReaderLink> Connect(const std::string& connectionText, int* exitCode = nullptr);

  const TransportTiming& Timing() const { return timing_; }
  ConsoleFlowContext& Flow() { return flow_; }
  CliContext& Context() { return context_; }

 private:
  CliContext& context_;
  TransportTiming timing_;
  ConsoleFlowContext flow_;
  MessageHandler previousHandler_;
  // Started in order, stopped in the reverse order (each line's listing wraps the one
  // before).
  std::vector<std::unique_ptr<sim::SimulatedLine>> simulated_;
};

}  // namespace tessaron
