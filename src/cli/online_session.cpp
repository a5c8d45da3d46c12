#include "cli/online_session.h"

#include <charconv>
#include <cstdlib>
#include <thread>

#include "core/interface_type.h"
#include "sim/simulated_line.h"
#include "transport/keyboard_port.h"

namespace tessaron {

double TestTimingScale() {
  const char* text = std::getenv(TEST_TIMING_SCALE_VARIABLE);
  if (text == nullptr) return 1.0;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(value > 0.0) || value > 1.0) return 1.0;
  return value;
}

std::chrono::milliseconds ScaleDuration(std::chrono::milliseconds length, double scale) {
  if (length.count() <= 0) return length;
  const auto scaled = static_cast<std::chrono::milliseconds::rep>(
      static_cast<double>(length.count()) * scale);
  return std::chrono::milliseconds(scaled < 1 ? 1 : scaled);
}

TransportTiming ScaleTiming(const TransportTiming& timing, double scale) {
  TransportTiming scaled = timing;
  for (Millis* time : {&scaled.serial.writeWait, &scaled.serial.replyPause,
                       &scaled.serial.perByteWait, &scaled.hid.retryPause, &scaled.hid.replyPause,
                       &scaled.hid.pollPause, &scaled.keyboard.byteWait,
                       &scaled.keyboard.ackedBytePause, &scaled.keyboard.setAckPausePerByte,
                       &scaled.keyboard.setAckWait, &scaled.keyboard.replyLimit,
                       &scaled.keyboard.replyByteWait, &scaled.keyboard.afterTransaction}) {
    *time = ScaleDuration(*time, scale);
  }
  return scaled;
}

const char* SimulatedLineNames() { return "rs232, usb-rs232, usb-hid, usb-hid-kb or ps2"; }

OnlineSession::OnlineSession(std::ostream& out, std::ostream& err)
    : out_(out),
      err_(err),
      scale_(TestTimingScale()),
      timing_(ScaleTiming(TransportTiming::Real(), scale_)),
      flow_{[scale = scale_](std::chrono::milliseconds length) {
              std::this_thread::sleep_for(ScaleDuration(length, scale));
            },
            err} {
  std::ostream* messages = &err;
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
    const std::optional<ReaderConnection> found = FindOnlyUsbReader(err_);
    if (!found) return nullptr;
    connection = *found;
  } else {
    std::string error;
    if (!ParseReaderConnection(connectionText, &connection, &error)) {
      err_ << "tessaron: " << error << '\n';
      return nullptr;
    }
  }
  std::unique_ptr<ReaderLink> link = ReaderLink::Create(connection, timing_);
  // The factory has already said "ERROR Interface Type!" through the message handler.
  return link;
}

}  // namespace tessaron
