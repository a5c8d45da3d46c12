#include "cli/online_session.h"

#include <CLI/CLI.hpp>

#include <thread>

#include "core/interface_type.h"
#include "sim/simulated_line.h"
#include "transport/keyboard_port.h"

namespace tessaron {

const char* SimulatedLineNames() { return "rs232, usb-rs232, usb-hid, usb-hid-kb or ps2"; }

void PrintText(std::ostream& stream, const std::string& text) {
  stream << text;
  if (text.empty() || text.back() != '\n') stream << '\n';
  stream.flush();
}

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

ConsoleFlowContext::ConsoleFlowContext(std::ostream& out, std::ostream& err, std::istream* in,
                                       double timingScale)
    : out_(out), err_(err), in_(in), scale_(timingScale) {}

void ConsoleFlowContext::Wait(std::chrono::milliseconds length) {
  std::this_thread::sleep_for(ScaleMillis(length, scale_));
}

void ConsoleFlowContext::Progress(const std::string& step) {
  err_ << step << " ...\n";
  err_.flush();
}

void ConsoleFlowContext::Tell(const FlowMessage& message) {
  std::ostream& stream = message.failure ? err_ : out_;
  if (message.failure) failureTold_ = true;
  PrintText(stream, message.text);
  if (!message.cause.empty()) PrintText(stream, message.cause);
}

bool ConsoleFlowContext::Confirm(const std::string& caption, const std::string& question) {
  if (answerYes_) return true;
  err_ << caption << ": " << question << " [y/N] ";
  err_.flush();
  std::string answer;
  if (in_ == nullptr || !std::getline(*in_, answer)) {
    err_ << '\n';
    return false;
  }
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

OnlineSession::OnlineSession(CliContext& context)
    : out_(context.out),
      err_(context.err),
      timing_(TransportTiming::Real().ScaledBy(context.timingScale)),
      flow_(context.out, context.err, context.in, context.timingScale) {
  timing_.fastReplies = context.fastReplies;
  std::ostream* messages = &err_;
  previousHandler_ = SetMessageHandler([messages](const std::string& text,
                                                  const std::string& caption) {
    *messages << "tessaron: ";
    if (!caption.empty()) *messages << caption << ": ";
    *messages << text << '\n';
  });
}

OnlineSession::~OnlineSession() {
  // As the program does at exit: the keyboard goes back to the system's driver.
  if (IsWinIoInitialised()) ShutdownWinIo();
  simulated_.reset();
  SetMessageHandler(std::move(previousHandler_));
}

bool OnlineSession::Simulate(const std::string& lineName) {
  sim::SimulatedLineKind kind = sim::DEFAULT_SIMULATED_LINE;
  if (!lineName.empty() && !sim::ParseSimulatedLine(lineName, &kind)) {
    err_ << "tessaron: --simulate: unknown line \"" << lineName << "\"; expected "
         << SimulatedLineNames() << '\n';
    return false;
  }
  auto line = std::make_unique<sim::SimulatedLine>(kind);
  if (!line->Start()) {
    err_ << "tessaron: the simulated reader on " << sim::SimulatedLineName(kind)
         << " cannot be started\n";
    return false;
  }
  err_ << "Simulated " << InterfaceDisplayName(line->Interface()) << " reader: "
       << line->DeviceName() << '\n';
  simulated_ = std::move(line);
  return true;
}

std::string OnlineSession::SimulatedDeviceName() const {
  return simulated_ ? simulated_->DeviceName() : std::string();
}

std::unique_ptr<ReaderLink> OnlineSession::Connect(const std::string& connectionText) {
  ReaderConnection connection;
  if (connectionText.empty()) {
    const std::vector<ReaderDeviceEntry> found = FindUsbReaders();
    if (found.empty()) {
      err_ << "tessaron: no USB reader found; name the reader with --reader CONNECTION "
              "(\"tessaron list\" shows every reader found)\n";
      return nullptr;
    }
    if (found.size() > 1) {
      err_ << "tessaron: " << found.size()
           << " USB readers found; name one with --reader CONNECTION:\n";
      for (const ReaderDeviceEntry& entry : found) {
        err_ << "  " << ReaderConnectionText(ConnectionOf(entry)) << "\t"
             << InterfaceDisplayName(entry.interfaceType) << "\t" << entry.name << "\n";
      }
      return nullptr;
    }
    connection = ConnectionOf(found.front());
    err_ << "Using the " << InterfaceDisplayName(connection.type) << " reader "
         << found.front().name << " (" << ReaderConnectionText(connection) << ")\n";
  } else {
    std::string error;
    if (!ParseReaderConnection(connectionText, &connection, &error)) {
      err_ << "tessaron: " << error << '\n';
      return nullptr;
    }
  }
  // The factory has already said "ERROR Interface Type!" through the message handler when
  // it makes no port.
  return ReaderLink::Create(connection, timing_);
}

}  // namespace tessaron
