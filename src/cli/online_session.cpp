#include "cli/online_session.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <thread>

#include "cli/cli_output.h"
#include "core/interface_type.h"
#include "flows/reader_flows.h"
#include "sim/simulated_line.h"
#include "transport/keyboard_port.h"

namespace tessaron {

const char* SimulatedLineNames() { return "rs232, usb-rs232, usb-hid, usb-hid-kb or ps2"; }

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
  stream << (raw ? report : ReportForTerminal(report));
  stream.flush();
}

void AddRawReportFlag(CLI::App* command, bool* raw) {
  command->add_flag("--raw", *raw,
                    "Print the report exactly as the report window shows it: CR LF line ends, "
                    "no line end after the last line");
}

ConsoleFlowContext::ConsoleFlowContext(CliContext& context) : context_(context) {}

void ConsoleFlowContext::Wait(std::chrono::milliseconds length) {
  std::this_thread::sleep_for(ScaleMillis(length, context_.timingScale));
}

void ConsoleFlowContext::Progress(const std::string& step) {
  context_.Notes() << step << " ...\n";
  context_.Notes().flush();
}

void ConsoleFlowContext::Tell(const FlowMessage& message) {
  if (message.failure) {
    failureTold_ = true;
    PrintError(context_.err, FailureText(message));
    return;
  }
  PrintText(context_.Notes(), message.text);
  if (!message.cause.empty()) PrintText(context_.Notes(), message.cause);
}

bool ConsoleFlowContext::Confirm(const std::string& caption, const std::string& question) {
  if (answerYes_) return true;
  std::ostream& err = context_.err;
  err << caption << ": " << question << " [y/N] ";
  err.flush();
  std::string answer;
  if (context_.in == nullptr || !std::getline(*context_.in, answer)) {
    err << '\n';
    return false;
  }
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

bool ParseSimulateRequests(const std::vector<std::string>& requests,
                           std::vector<sim::SimulatedLineKind>* lines, std::string* error) {
  int keyboards = 0;
  for (const std::string& request : requests) {
    const std::size_t colon = request.find(':');
    const std::string name = request.substr(0, colon);
    sim::SimulatedLineKind kind = sim::DEFAULT_SIMULATED_LINE;
    if (!name.empty() && !sim::ParseSimulatedLine(name, &kind)) {
      *error = "unknown line \"" + name + "\"; expected " + SimulatedLineNames();
      return false;
    }
    int count = 1;
    if (colon != std::string::npos) {
      const std::string digits = request.substr(colon + 1);
      count = 0;
      for (char c : digits) {
        if (c < '0' || c > '9' || count > MAX_SIMULATED_READERS) {
          count = -1;
          break;
        }
        count = count * 10 + (c - '0');
      }
      if (digits.empty() || count < 1 || count > MAX_SIMULATED_READERS) {
        *error = "the count in \"" + request + "\" must be 1 to " +
                 std::to_string(MAX_SIMULATED_READERS);
        return false;
      }
    }
    if (kind == sim::SimulatedLineKind::Ps2) keyboards += count;
    if (keyboards > 1) {
      *error = "there is one keyboard controller: ps2 at most once";
      return false;
    }
    if (lines != nullptr) lines->insert(lines->end(), static_cast<std::size_t>(count), kind);
  }
  return true;
}

bool ReadInto(ReaderLink& link, FlowContext& flow, ReaderSettings& settings,
              std::string* firmware) {
  const ReadOutcome read = ReadReader(link, settings, true, firmware, flow);
  if (read == ReadOutcome::Ok) return true;
  TellReadFailure(read, link, flow);
  return false;
}

OnlineSession::OnlineSession(CliContext& context)
    : context_(context),
      timing_(TransportTiming::Real().ScaledBy(context.timingScale)),
      flow_(context) {
  timing_.fastReplies = context.fastReplies;
  std::ostream* messages = &context.err;
  previousHandler_ = SetMessageHandler([messages](const std::string& text,
                                                  const std::string& caption) {
    PrintError(*messages, caption.empty() ? text : caption + ": " + text);
  });
}

OnlineSession::~OnlineSession() {
  // As the program does at exit: the keyboard goes back to the system's driver.
  if (IsWinIoInitialised()) ShutdownWinIo();
  while (!simulated_.empty()) simulated_.pop_back();
  SetMessageHandler(std::move(previousHandler_));
}

bool OnlineSession::Simulate(const std::vector<std::string>& requests) {
  std::vector<sim::SimulatedLineKind> kinds;
  std::string error;
  if (!ParseSimulateRequests(requests, &kinds, &error)) {
    PrintError(context_.err, "--simulate: " + error);
    return false;
  }
  int hidNumber = 0;
  for (sim::SimulatedLineKind kind : kinds) {
    const bool hid = kind == sim::SimulatedLineKind::UsbHid || kind == sim::SimulatedLineKind::UsbHidKb;
    auto line = std::make_unique<sim::SimulatedLine>(kind, sim::SimulatedReaderConfig{},
                                                     hid ? hidNumber++ : 0);
    line->SetKeyboardThroughHelper(true);
    if (!line->Start()) {
      PrintError(context_.err, std::string("the simulated reader on ") +
                                   sim::SimulatedLineName(kind) + " cannot be started");
      return false;
    }
    context_.Notes() << "Simulated " << InterfaceDisplayName(line->Interface())
                     << " reader: " << line->DeviceName() << '\n';
    simulated_.push_back(std::move(line));
  }
  return true;
}

std::vector<ReaderDeviceEntry> OnlineSession::UsbAndSimulatedReaders() const {
  std::vector<ReaderDeviceEntry> readers = FindUsbReaders();
  if (simulated_.empty()) return readers;
  std::vector<ReaderDeviceEntry> present;
  for (InterfaceType type = INTERFACE_RS232; type < INTERFACE_TYPE_COUNT; ++type) {
    EnumerateReaders(type, present);
  }
  for (const auto& line : simulated_) {
    for (const ReaderDeviceEntry& entry : present) {
      const bool listed = std::any_of(readers.begin(), readers.end(),
                                      [&](const ReaderDeviceEntry& usb) { return usb.name == entry.name; });
      if (entry.name == line->DeviceName() && !listed) readers.push_back(entry);
    }
  }
  return readers;
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
    const std::vector<ReaderDeviceEntry> found = UsbAndSimulatedReaders();
    if (found.empty()) {
      return fail("no USB reader found; name the reader with --reader CONNECTION (\"tessaron "
                  "list\" shows every reader found)");
    }
    if (found.size() > 1) {
      std::string readers;
      for (const ReaderDeviceEntry& entry : found) {
        readers += (readers.empty() ? "" : ", ") + ReaderConnectionText(ConnectionOf(entry)) +
                   " (" + entry.name + ")";
      }
      return fail(std::to_string(found.size()) + " USB readers found: " + readers +
                  "; name one with --reader CONNECTION");
    }
    connection = ConnectionOf(found.front());
    context_.Notes() << "Using the " << InterfaceDisplayName(connection.type) << " reader "
                     << found.front().name << " (" << ReaderConnectionText(connection) << ")\n";
  } else {
    std::string error;
    if (!ParseReaderConnection(connectionText, &connection, &error) ||
        !CheckConnectionKind(connection, &error)) {
      return fail(error, CLI_EXIT_USAGE);
    }
  }
  // The factory has already said "ERROR Interface Type!" through the message handler when
  // it makes no port.
  std::unique_ptr<ReaderLink> link = ReaderLink::Create(connection, timing_);
  if (!link && exitCode != nullptr) *exitCode = CLI_EXIT_FAILURE;
  return link;
}

}  // namespace tessaron
