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
  while (!simulated_.empty()) simulated_.pop_back();
  SetMessageHandler(std::move(previousHandler_));
}

bool OnlineSession::Simulate(const std::vector<std::string>& requests) {
  std::vector<sim::SimulatedLineKind> kinds;
  std::string error;
  if (!ParseSimulateRequests(requests, &kinds, &error)) {
    err_ << "tessaron: --simulate: " << error << '\n';
    return false;
  }
  int hidNumber = 0;
  for (sim::SimulatedLineKind kind : kinds) {
    const bool hid = kind == sim::SimulatedLineKind::UsbHid || kind == sim::SimulatedLineKind::UsbHidKb;
    auto line = std::make_unique<sim::SimulatedLine>(kind, sim::SimulatedReaderConfig{},
                                                     hid ? hidNumber++ : 0);
    if (!line->Start()) {
      err_ << "tessaron: the simulated reader on " << sim::SimulatedLineName(kind)
           << " cannot be started\n";
      return false;
    }
    err_ << "Simulated " << InterfaceDisplayName(line->Interface()) << " reader: "
         << line->DeviceName() << '\n';
    simulated_.push_back(std::move(line));
  }
  return true;
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
