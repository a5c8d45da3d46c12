#include "transport/hid_port.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "core/command_frame.h"
#include "core/reply_end.h"
#include "transport/discovery.h"
#include "transport/port_failure.h"

namespace tessaron {

namespace {

// Byte 1 is the idle marker and every byte after it is 0.
bool IsIdleReport(const std::vector<Byte>& report) {
  if (report.size() < 2 || report[1] != HID_IDLE_REPORT_MARKER) return false;
  return std::all_of(report.begin() + 2, report.end(), [](Byte b) { return b == 0; });
}

void Pause(Millis duration) {
  if (duration.count() > 0) std::this_thread::sleep_for(duration);
}

// "USB device 046d:c52b": what was found where a reader was expected.
std::string UsbIds(std::uint16_t vendorId, std::uint16_t productId) {
  char text[32];
  std::snprintf(text, sizeof text, "USB device %04x:%04x", vendorId, productId);
  return text;
}

// What the HID device at position is, when it is there but no reader of this interface.
std::string ListedIds(DeviceListing& listing, DeviceIndex position, std::string* node) {
  const std::vector<ListedDevice> devices = listing.HidDevices();
  if (position < 0 || static_cast<std::size_t>(position) >= devices.size()) return std::string();
  const ListedDevice& device = devices[static_cast<std::size_t>(position)];
  *node = device.node;
  return device.idsKnown ? UsbIds(device.vendorId, device.productId) : "a device of unknown ids";
}

}  // namespace

HidPort::HidPort(InterfaceType type, const TransportTiming& timing,
                 std::shared_ptr<DeviceListing> devices, HidDeviceFactory makeDevice)
    : interfaceType_(type == InterfaceType::UsbHidKb ? InterfaceType::UsbHidKb : InterfaceType::UsbHid),
      timing_(timing),
      devices_(devices ? std::move(devices) : std::make_shared<EmptyDeviceListing>()),
      makeDevice_(std::move(makeDevice)) {}

HidPort::~HidPort() { CloseDevice(); }

bool HidPort::OpenDevice(DeviceIndex index) {
  InterfaceType kind = InterfaceType::Unknown;
  std::string path;
  if (!FindHidReader(*devices_, index, &kind, &path)) {
    SetError(PortFailure(PortErrorKind::NotPresent, std::string(), 0,
                         "no HID device at position " + std::to_string(index)));
    return false;
  }
  if (path.empty()) {
    std::string node;
    const std::string found = ListedIds(*devices_, index, &node);
    SetError(PortFailure(PortErrorKind::NotAReader, node, 0, found));
    return false;
  }
  return OpenDeviceAt(path);
}

bool HidPort::OpenDeviceAt(const std::string& path) {
  if (path.empty()) {
    SetError(PortFailure(PortErrorKind::NotPresent, path, 0, "no device named"));
    return false;
  }
  const bool keyboardReader = interfaceType_ == InterfaceType::UsbHidKb;
  // The keyboard-class reader belongs to the system's keyboard driver: ask for no more
  // than device queries and feature reports need.
  const bool readWrite = !keyboardReader;

  std::unique_ptr<HidDevice> candidate = makeDevice_ ? makeDevice_(path) : nullptr;
  if (!candidate) {
    SetError(PortFailure(PortErrorKind::NotPresent, path));
    return false;
  }
  if (!candidate->Open(path, readWrite)) {
    // A device that cannot be opened and does not say why is taken as gone.
    const int why = candidate->LastOsError();
    SetError(why != 0 ? OpenFailure(why, path) : PortFailure(PortErrorKind::NotPresent, path));
    return false;
  }

  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint32_t reportLength = 0;
  PortError refusal;
  if (!candidate->GetAttributes(&vendorId, &productId)) {
    const int why = candidate->LastOsError();
    refusal = PortFailure(DeviceQueryErrorKind(why), path, why, "no USB ids");
  } else if (vendorId != READER_VENDOR_ID || !PresentsInterface(interfaceType_, productId)) {
    refusal = PortFailure(PortErrorKind::NotAReader, path, 0, UsbIds(vendorId, productId));
  } else if (!candidate->GetFeatureReportLength(&reportLength)) {
    const int why = candidate->LastOsError();
    refusal = why != 0 ? PortFailure(DeviceQueryErrorKind(why), path, why, "no report descriptor")
                       : PortFailure(PortErrorKind::NotAReader, path, 0,
                                     UsbIds(vendorId, productId) +
                                         " with an unreadable report descriptor");
  } else if (reportLength < 2) {
    // A report of fewer than 2 bytes has no room for any command byte after the report ID.
    refusal = PortFailure(PortErrorKind::NotAReader, path, 0,
                          UsbIds(vendorId, productId) + " without a feature report");
  }
  if (refusal.Failed()) {
    candidate->Close();
    SetError(std::move(refusal));
    return false;
  }
  device_ = std::move(candidate);
  devicePath_ = path;
  featureReportLength_ = reportLength;
  return true;
}

void HidPort::CloseDevice() {
  featureReportLength_ = 0;
  if (device_) {
    device_->Close();
    device_.reset();
  }
  devicePath_.clear();
}

std::string HidPort::GetPortName(std::string& out) const {
  out = devicePath_;
  return out;
}

HidPort::Exchanged HidPort::Exchange(std::span<const Byte> command, std::span<Byte> reply) {
  Exchanged result;
  if (!device_ || featureReportLength_ < 2) {
    result.failure = PortFailure(PortErrorKind::Other, devicePath_, 0, "the device is not open");
    return result;
  }

  const std::size_t n = featureReportLength_;
  const std::size_t chunk = n - 1;
  std::vector<Byte> report;
  try {
    report.resize(n);
  } catch (const std::bad_alloc&) {
    result.failure =
        PortFailure(PortErrorKind::Other, devicePath_, 0, "no memory for a feature report");
    return result;
  }
  // Late chunks of an earlier reply must not be taken for this one (a normal exchange reads
  // until the reader has nothing more; a fast one may stop before; an unanswered one may
  // have its reply still coming).
  if (timing_.fastReplies || lastUnanswered_) DrainReplies(report);
  lastUnanswered_ = false;

  // Sending: the command cut into chunks, each behind the report ID 0, the last one
  // zero-padded.
  const std::size_t total = command.size();
  for (std::size_t offset = 0; offset < total; offset += chunk) {
    std::fill(report.begin(), report.end(), Byte{0});
    report[0] = HID_REPORT_ID;
    const std::size_t count = std::min(chunk, total - offset);
    std::memcpy(report.data() + 1, command.data() + offset, count);
    bool sent = false;
    for (int attempt = 0; attempt < HID_SEND_ATTEMPTS && !sent; ++attempt) {
      sent = device_->SetFeature(report.data(), n);
      if (!sent) Pause(timing_.hid.retryPause);
    }
    if (!sent) {
      result.failure = PortFailure(PortErrorKind::TransferFailed, devicePath_,
                                   device_->LastOsError(), "the command could not be sent");
      return result;
    }
  }
  const bool fast = timing_.fastReplies;
  if (!fast) Pause(timing_.hid.replyPause);

  // Receiving: whole chunks are appended while the reader sends data reports; a polling
  // step of three reads without data ends the reply. Fast mode polls from the start, as
  // long as the pause and one step take together for the first chunk and one step for
  // each later one, and ends as soon as the reply is whole.
  const Millis step = HID_READS_PER_POLL * timing_.hid.pollPause;
  std::size_t stored = 0;
  bool anyData = false;
  bool anyIdle = false;
  int readError = 0;
  for (;;) {
    const bool gotData = fast ? PollFast(report, stored == 0 ? timing_.hid.replyPause + step : step,
                                         &anyIdle, &readError)
                              : PollStep(report, &anyIdle, &readError);
    anyData = anyData || gotData;
    if (stored + chunk > reply.size()) {
      result.received = stored;
      result.failure = PortFailure(PortErrorKind::Other, devicePath_, 0,
                                   "the reply does not fit into " + std::to_string(reply.size()) +
                                       " bytes");
      return result;
    }
    if (gotData || stored == 0) {
      std::memcpy(reply.data() + stored, report.data() + 1, chunk);
      stored += chunk;
    }
    if (!gotData) break;
    if (fast && IsWholeReply(command.data(), total, reply.data(), stored)) break;
  }

  result.received = stored;
  // A reader that only went idle may still be working on the command.
  lastUnanswered_ = !anyData && anyIdle;
  // No data at all is said, also where the exchange counts as done (a query gets its reply
  // checked by the caller): whoever sees the reply fail can tell why.
  if (!anyData) {
    result.failure = anyIdle ? PortFailure(PortErrorKind::NoReply, devicePath_)
                             : PortFailure(PortErrorKind::TransferFailed, devicePath_, readError,
                                           "no feature report could be read");
  }
  // Data that is no acknowledgement is the reader's own answer (a refusal), not a failure
  // of the line.
  result.ok = !(command.size() >= 2 && command[1] == DIR_SET && reply[0] != REPLY_ACK);
  return result;
}

bool HidPort::ReadReport(std::vector<Byte>& report, bool* idle, int* readError) {
  std::fill(report.begin(), report.end(), Byte{0});
  report[0] = HID_REPORT_ID;
  if (device_->GetFeature(report.data(), report.size())) {
    if (!IsIdleReport(report)) return true;
    *idle = true;
  } else {
    *readError = device_->LastOsError();
    std::fill(report.begin(), report.end(), Byte{0});
  }
  return false;
}

bool HidPort::PollStep(std::vector<Byte>& report, bool* idle, int* readError) {
  for (int read = 0; read < HID_READS_PER_POLL; ++read) {
    if (ReadReport(report, idle, readError)) return true;
    Pause(timing_.hid.pollPause);
  }
  return false;
}

bool HidPort::PollFast(std::vector<Byte>& report, Millis window, bool* idle, int* readError) {
  // Never fewer reads than a polling step makes, never longer than the window.
  const auto deadline = std::chrono::steady_clock::now() + window;
  for (int read = 1;; ++read) {
    if (ReadReport(report, idle, readError)) return true;
    if (read >= HID_READS_PER_POLL && std::chrono::steady_clock::now() >= deadline) return false;
    Pause(timing_.hid.fastPollPause);
  }
}

void HidPort::DrainReplies(std::vector<Byte>& report) {
  bool idle = false;
  int readError = 0;
  // A reply is at most a settings frame: more reads than its chunks mean a device that never
  // goes idle, which the exchange itself will show.
  const std::size_t reads = SETTINGS_BUFFER_SIZE / (report.size() - 1) + 2;
  for (std::size_t read = 0; read < reads && !idle && readError == 0; ++read) {
    ReadReport(report, &idle, &readError);
  }
}

}  // namespace tessaron
