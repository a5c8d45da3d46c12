#include "transport/hid_port.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "core/command_frame.h"
#include "transport/discovery.h"

namespace tessaron {

namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    const unsigned char lowerX = (x >= 'A' && x <= 'Z') ? x + ('a' - 'A') : x;
    const unsigned char lowerY = (y >= 'A' && y <= 'Z') ? y + ('a' - 'A') : y;
    if (lowerX != lowerY) return false;
  }
  return true;
}

// Byte 1 is the idle marker and every byte after it is 0.
bool IsIdleReport(const std::vector<Byte>& report) {
  if (report.size() < 2 || report[1] != HID_IDLE_MARKER) return false;
  return std::all_of(report.begin() + 2, report.end(), [](Byte b) { return b == 0; });
}

void Pause(Millis duration) {
  if (duration.count() > 0) std::this_thread::sleep_for(duration);
}

}  // namespace

HidPort::HidPort(InterfaceType type, const TransportTiming& timing)
    : interfaceType(type == INTERFACE_USB_HID_KB ? INTERFACE_USB_HID_KB : INTERFACE_USB_HID),
      timing(timing) {}

HidPort::~HidPort() {
  if (device) Close();
}

bool HidPort::Open(DeviceIndex index) {
  if (opened) return true;
  deviceIndex = index;
  InterfaceType kind = INTERFACE_UNKNOWN;
  std::string path;
  if (!FindHidReader(index, &kind, &path) || path.empty()) return false;
  opened = OpenPath(path);
  return opened;
}

bool HidPort::OpenPath(const std::string& path) {
  if (path.empty()) return false;
  if (device && SameTextIgnoringCase(path, devicePath)) return true;
  if (device) Close();

  const bool keyboardReader = interfaceType == INTERFACE_USB_HID_KB;
  // The keyboard-class reader belongs to the system's keyboard driver: ask for no more
  // than device queries and feature reports need.
  const bool readWrite = !keyboardReader;

  std::unique_ptr<HidDevice> candidate = CreateHidDevice(path);
  if (!candidate || !candidate->Open(path, readWrite)) return false;

  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint32_t reportLength = 0;
  const bool accepted =
      candidate->GetAttributes(&vendorId, &productId) && vendorId == READER_VENDOR_ID &&
      (keyboardReader ? productId == USB_HID_KB_PRODUCT_ID
                      : (productId == USB_HID_PRODUCT_ID || productId == USB_HID_PRODUCT_ID_ALT)) &&
      candidate->GetFeatureReportLength(&reportLength) &&
      // A report of fewer than 2 bytes has no room for any command byte after the report ID.
      reportLength >= 2;
  if (!accepted) {
    candidate->Close();
    return false;
  }
  device = std::move(candidate);
  devicePath = path;
  featureReportLength = reportLength;
  return true;
}

bool HidPort::Close() {
  featureReportLength = 0;
  if (device) {
    device->Close();
    device.reset();
  }
  devicePath.clear();
  opened = false;
  return true;
}

std::string HidPort::GetPortName(std::string& out) const {
  out = devicePath;
  return out;
}

bool HidPort::GetFirmwareVersion(std::string& out) {
  out.clear();
  if (TakeCachedVersion(out)) return true;
  if (!device && !Open(deviceIndex)) return false;

  std::array<Byte, VERSION_REPLY_BUFFER_SIZE> reply{};
  std::uint32_t replyLength = VERSION_REPLY_BUFFER_SIZE;
  bool transactOk = false;
  SendVersionQuery(reply.data(), &replyLength, &transactOk);
  // A failed exchange leaves the device open for the caller.
  if (!transactOk) return false;
  Close();
  return StoreVersionFromReply(reply.data(), replyLength, out);
}

bool HidPort::Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                       std::uint32_t* replyLength) {
  if (replyLength == nullptr) return false;
  const std::uint32_t capacity = *replyLength;
  *replyLength = 0;
  if (!device || featureReportLength < 2) return false;
  if (commandLength < 0 || (commandLength > 0 && command == nullptr)) return false;
  if (reply == nullptr && capacity > 0) return false;

  const std::size_t n = featureReportLength;
  const std::size_t chunk = n - 1;
  std::vector<Byte> report;
  try {
    report.resize(n);
  } catch (const std::bad_alloc&) {
    return false;
  }

  // Sending: the command cut into chunks, each behind the report ID 0, the last one
  // zero-padded.
  const std::size_t total = static_cast<std::size_t>(commandLength);
  for (std::size_t offset = 0; offset < total; offset += chunk) {
    std::fill(report.begin(), report.end(), Byte{0});
    report[0] = HID_REPORT_ID;
    const std::size_t count = std::min(chunk, total - offset);
    std::memcpy(report.data() + 1, command + offset, count);
    bool sent = false;
    for (int attempt = 0; attempt < HID_SEND_ATTEMPTS && !sent; ++attempt) {
      sent = device->SetFeature(report.data(), n);
      if (!sent) Pause(timing.hid.retryPause);
    }
    if (!sent) return false;
  }
  Pause(timing.hid.replyPause);

  // Receiving: whole chunks are appended while the reader sends data reports; a polling
  // step of three reads without data ends the reply.
  std::uint32_t stored = 0;
  for (;;) {
    bool gotData = false;
    for (int read = 0; read < HID_READS_PER_POLL; ++read) {
      std::fill(report.begin(), report.end(), Byte{0});
      report[0] = HID_REPORT_ID;
      if (device->GetFeature(report.data(), n)) {
        if (!IsIdleReport(report)) {
          gotData = true;
          break;
        }
      } else {
        std::fill(report.begin(), report.end(), Byte{0});
      }
      Pause(timing.hid.pollPause);
    }
    if (static_cast<std::uint64_t>(stored) + chunk > capacity) {
      *replyLength = stored;
      return false;
    }
    if (gotData || stored == 0) {
      std::memcpy(reply + stored, report.data() + 1, chunk);
      stored += static_cast<std::uint32_t>(chunk);
    }
    if (!gotData) break;
  }

  *replyLength = stored;
  if (commandLength >= 2 && command[1] == HID_ACK_REQUIRED_COMMAND && reply[0] != REPLY_ACK) {
    return false;
  }
  return true;
}

}  // namespace tessaron
