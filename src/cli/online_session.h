#pragma once
// What every command that talks to readers sets up around its work, as the terminal shows
// it: the reader session (timing, simulated readers, the reader to use), its messages on
// standard error, and the context through which the reader workflows wait, report progress
// and tell outcomes.

#include <chrono>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "core/reader_settings.h"
#include "flows/flow_context.h"
#include "flows/reader_connection.h"
#include "flows/reader_session.h"

namespace CLI {
class App;
}

namespace tessaron {

// The current-settings report as a terminal wants it: the line ends of this platform (LF for
// the report's CR LF) and a line end after the last line, so that the prompt starts on a line
// of its own and the output diffs cleanly.
std::string ReportForTerminal(const std::string& report);
// Prints the report so, or with raw exactly as the report window shows it.
void PrintReport(std::ostream& stream, const std::string& report, bool raw);
// Adds --raw to a command that prints the report.
void AddRawReportFlag(CLI::App* command, bool* raw);

// Sleeps for length (scaled by timingScale), or until the run is asked to stop.
void WaitUnlessStopped(std::chrono::milliseconds length, double timingScale);

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
  void Note(const std::string& line) override;

  // Questions are answered yes without being asked (--yes).
  void AnswerYes() { answerYes_ = true; }

 private:
  CliContext& context_;
  bool answerYes_ = false;
};

class OnlineSession {
 public:
  // The reader session on the context's readers, with the run's timing; their messages go to
  // the context's err.
  explicit OnlineSession(CliContext& context);
  OnlineSession(const OnlineSession&) = delete;
  OnlineSession& operator=(const OnlineSession&) = delete;

  // Adds the simulated readers asked for (each LINE or LINE:COUNT) and notes each; false
  // after a message on err.
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

  const ReaderEnvironment& Environment() const { return readers_.Environment(); }
  ReaderSession& Readers() { return readers_; }
  ConsoleFlowContext& Flow() { return flow_; }
  CliContext& Context() { return context_; }

 private:
  CliContext& context_;
  ReaderSession readers_;
  ConsoleFlowContext flow_;
};

}  // namespace tessaron
