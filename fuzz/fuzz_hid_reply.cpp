// Drives the HID port against a device whose feature reports come from the fuzz input: the
// report length it declares, set-feature reports it refuses, and every get-feature report
// (failed reads, idle reports, data). The port must assemble whatever comes into whole
// chunks inside the caller's buffer, and the settings and version read over it must cope.
//
// Input: report length (0 to 64), flags, reply capacity, then one script byte per get-feature
// call (below 0x10: the read fails; below 0x20: an idle report; otherwise a data report whose
// payload follows in the input). Once the input has run out the device only says idle, so
// every reply ends.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_transactions.h"
#include "fuzz_input.h"
#include "transport/discovery.h"
#include "transport/hid_device.h"
#include "transport/hid_port.h"

using tessaron::Byte;
using tessaron::fuzz::FuzzInput;
using tessaron::fuzz::Require;

namespace {

constexpr char FUZZ_DEVICE_PATH[] = "/dev/hidraw-fuzz";
constexpr std::uint32_t MAX_REPORT_LENGTH = 64;

enum Operation : Byte { MANUAL_COMMAND = 0, READ_SETTINGS = 1, WRITE_SETTINGS = 2, VERSION_ONLY = 3 };
constexpr Byte FLAG_OPERATION = 0x03;
constexpr Byte FLAG_KEYBOARD_READER = 0x04;
constexpr Byte FLAG_LENGTH_UNKNOWN = 0x08;
constexpr Byte FLAG_SET_FAILURES_SHIFT = 4;  // bits 4 and 5: refused set-feature attempts
constexpr Byte FLAG_SET_COMMAND = 0x40;      // the manual command is a set command

// What the device of the current run does.
struct DeviceScript {
  FuzzInput* input = nullptr;
  std::uint32_t reportLength = 0;
  bool lengthUnknown = false;
  std::uint16_t productId = tessaron::USB_HID_PRODUCT_ID;
  int setFailuresLeft = 0;
};

DeviceScript script;

class ScriptedHidDevice : public tessaron::HidDevice {
 public:
  bool Open(const std::string& path, bool /*readWrite*/) override { return path == FUZZ_DEVICE_PATH; }
  bool GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) override {
    *vendorId = tessaron::READER_VENDOR_ID;
    *productId = script.productId;
    return true;
  }
  bool GetFeatureReportLength(std::uint32_t* length) override {
    *length = script.lengthUnknown ? 0 : script.reportLength;
    return !script.lengthUnknown;
  }
  bool SetFeature(const Byte* report, std::size_t length) override {
    Require(length == script.reportLength && report[0] == tessaron::HID_REPORT_ID);
    if (script.setFailuresLeft > 0) {
      --script.setFailuresLeft;
      return false;
    }
    return true;
  }
  bool GetFeature(Byte* report, std::size_t length) override {
    Require(length == script.reportLength && report[0] == tessaron::HID_REPORT_ID);
    FuzzInput& input = *script.input;
    if (input.Empty()) return Idle(report, length);
    const Byte kind = input.Take();
    if (kind < 0x10) return false;
    if (kind < 0x20) return Idle(report, length);
    input.TakeInto(report + 1, length - 1);
    return true;
  }
  void Close() override {}

 private:
  static bool Idle(Byte* report, std::size_t length) {
    for (std::size_t i = 1; i < length; ++i) report[i] = 0;
    report[1] = tessaron::HID_IDLE_REPORT_MARKER;
    return true;
  }
};

tessaron::TransportTiming NoWaits() {
  tessaron::TransportTiming timing;
  timing.hid = tessaron::HidTiming{tessaron::Millis(0), tessaron::Millis(0), tessaron::Millis(0)};
  return timing;
}

// A port on the scripted device; false when the port refuses it.
bool OpenPort(tessaron::HidPort& port) {
  const bool opened = port.OpenPath(FUZZ_DEVICE_PATH);
  Require(opened == (!script.lengthUnknown && script.reportLength >= 2));
  return opened;
}

void ManualCommand(tessaron::HidPort& port, std::uint32_t capacity, bool setCommand) {
  // A set command whose reply must be acknowledged, or the version query.
  const Byte defaults[] = {0x02, 0x53, 0x18, 0x03, 0x4A};
  const Byte query[] = {0x02, 0x52, 0x22, 0x03, 0x71};
  const Byte* command = setCommand ? defaults : query;
  std::vector<Byte> reply(capacity);
  const tessaron::PortReply answer = port.Transact(std::span(command, 5), reply);
  const std::size_t chunk = port.FeatureReportLength() - 1;
  Require(answer.bytes.data() == reply.data() && answer.bytes.size() <= capacity);
  Require(answer.bytes.size() % chunk == 0);
  if (answer.ok) {
    Require(answer.bytes.size() >= chunk);
    if (setCommand) Require(answer.bytes[0] == tessaron::REPLY_ACK);
  }
}

// Every path opens the scripted device.
tessaron::HidDeviceFactory ScriptedDevices() {
  return [](const std::string&) -> std::unique_ptr<tessaron::HidDevice> {
    return std::make_unique<ScriptedHidDevice>();
  };
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 8192) return 0;
  FuzzInput input(data, size);
  script = DeviceScript{};
  script.input = &input;
  script.reportLength = input.Take() % (MAX_REPORT_LENGTH + 1);
  const Byte flags = input.Take();
  const std::uint32_t capacity = input.Take() * 5u;  // 0 to 1275, around the 1024-byte replies
  script.lengthUnknown = (flags & FLAG_LENGTH_UNKNOWN) != 0;
  script.setFailuresLeft = (flags >> FLAG_SET_FAILURES_SHIFT) & 0x03;
  const bool keyboardReader = (flags & FLAG_KEYBOARD_READER) != 0;
  script.productId = keyboardReader ? tessaron::USB_HID_KB_PRODUCT_ID : tessaron::USB_HID_PRODUCT_ID;
  const tessaron::InterfaceType type =
      keyboardReader ? tessaron::InterfaceType::UsbHidKb : tessaron::InterfaceType::UsbHid;

  {
    tessaron::HidPort port(type, NoWaits(), nullptr, ScriptedDevices());
    if (OpenPort(port)) {
      tessaron::ReaderSettings settings;
      switch (flags & FLAG_OPERATION) {
        case MANUAL_COMMAND:
          ManualCommand(port, capacity, (flags & FLAG_SET_COMMAND) != 0);
          break;
        case READ_SETTINGS:
          tessaron::ReadFromReader(settings, &port);
          break;
        case WRITE_SETTINGS:
          tessaron::WriteToReader(settings, &port);
          break;
        default:
          break;
      }
    }
  }

  // The version query on a fresh port, with what is left of the script.
  tessaron::HidPort port(type, NoWaits(), nullptr, ScriptedDevices());
  if (OpenPort(port)) {
    std::string version;
    const bool ok = port.GetFirmwareVersion(version);
    Require(ok == !version.empty());
    Require(version.size() < tessaron::VERSION_REPLY_BUFFER_SIZE);
  }
  return 0;
}
