#include "sim/simulated_line.h"

#include <array>
#include <cctype>
#include <optional>
#include <utility>
#include <vector>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "sim/pty_server.h"
#include "sim/simulated_hid_device.h"
#include "sim/simulated_keyboard_controller.h"
#include "transport/hidraw_device.h"
#include "transport/kbc_client.h"

namespace tessaron::sim {

namespace {

// The USB HID format byte that makes the reader a keyboard-class HID device.

struct LineName {
  std::string_view name;
  SimulatedLineKind kind;
};

// The line names, and the interface display names where they differ.
constexpr std::array<LineName, 6> LINE_NAMES{{
    {"rs232", SimulatedLineKind::Rs232},
    {"usb-rs232", SimulatedLineKind::UsbRs232},
    {"usb-hid", SimulatedLineKind::UsbHid},
    {"usb-hid-kb", SimulatedLineKind::UsbHidKb},
    {"ps2", SimulatedLineKind::Ps2},
    {"ps/2 keyboard", SimulatedLineKind::Ps2},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The factory defaults with the USB HID format of a keyboard-class reader.
ByteString KeyboardFormatStream() {
  ReaderSettings settings;
  settings.hidFormat = HID_FORMAT_KALDOR_KEYBOARD;
  Byte buffer[SETTINGS_BUFFER_SIZE] = {};
  std::uint32_t length = sizeof(buffer);
  if (!EncodeSettings(settings, buffer, &length)) return {};
  return ByteString(buffer, buffer + length);
}

}  // namespace

bool ParseSimulatedLine(std::string_view name, SimulatedLineKind* kind) {
  for (const LineName& entry : LINE_NAMES) {
    if (EqualsIgnoringCase(name, entry.name)) {
      if (kind != nullptr) *kind = entry.kind;
      return true;
    }
  }
  return false;
}

const char* SimulatedLineName(SimulatedLineKind kind) {
  switch (kind) {
    case SimulatedLineKind::Rs232: return "rs232";
    case SimulatedLineKind::UsbRs232: return "usb-rs232";
    case SimulatedLineKind::UsbHid: return "usb-hid";
    case SimulatedLineKind::UsbHidKb: return "usb-hid-kb";
    case SimulatedLineKind::Ps2: return "ps2";
  }
  return "";
}

InterfaceType SimulatedLineInterface(SimulatedLineKind kind) {
  switch (kind) {
    case SimulatedLineKind::Rs232: return INTERFACE_RS232;
    case SimulatedLineKind::UsbRs232: return INTERFACE_USB_RS232;
    case SimulatedLineKind::UsbHid: return INTERFACE_USB_HID;
    case SimulatedLineKind::UsbHidKb: return INTERFACE_USB_HID_KB;
    case SimulatedLineKind::Ps2: return INTERFACE_PS2_KEYBOARD;
  }
  return INTERFACE_UNKNOWN;
}

// The listing installed while the line runs: the one before it, plus the simulated device.
class SimulatedLine::Listing : public DeviceListing {
 public:
  Listing(std::shared_ptr<DeviceListing> base, std::optional<ListedDevice> serialPort,
          std::shared_ptr<SimulatedHidDevice> hid)
      : base_(std::move(base)), serialPort_(std::move(serialPort)), hid_(std::move(hid)) {}

  std::vector<ListedDevice> SerialPorts() override {
    std::vector<ListedDevice> ports = base_ ? base_->SerialPorts() : std::vector<ListedDevice>{};
    if (serialPort_) ports.push_back(*serialPort_);
    return ports;
  }

  std::vector<ListedDevice> HidDevices() override {
    std::vector<ListedDevice> devices = base_ ? base_->HidDevices() : std::vector<ListedDevice>{};
    // Asked each time: the product id changes when the reader switches its interface.
    if (hid_) devices.push_back(hid_->Listing());
    return devices;
  }

 private:
  const std::shared_ptr<DeviceListing> base_;
  const std::optional<ListedDevice> serialPort_;
  const std::shared_ptr<SimulatedHidDevice> hid_;
};

SimulatedLine::SimulatedLine(SimulatedLineKind kind, SimulatedReaderConfig config, int number)
    : kind_(kind), hidPath_("/dev/hidraw-sim" + std::to_string(number)) {
  config.interfaceType = SimulatedLineInterface(kind);
  reader_ = std::make_shared<SimulatedReader>(std::move(config));
  if (kind == SimulatedLineKind::UsbHidKb) reader_->SetSettingsStream(KeyboardFormatStream());
}

SimulatedLine::~SimulatedLine() { Stop(); }

bool SimulatedLine::Start() {
  if (started_) return true;
  switch (kind_) {
    case SimulatedLineKind::Rs232:
    case SimulatedLineKind::UsbRs232:
      if (!StartSerial()) return false;
      break;
    case SimulatedLineKind::UsbHid:
    case SimulatedLineKind::UsbHidKb:
      StartHid();
      break;
    case SimulatedLineKind::Ps2:
      StartKeyboard();
      break;
  }
  started_ = true;
  return true;
}

bool SimulatedLine::StartSerial() {
  auto server = std::make_unique<PtyServer>(*reader_);
  if (!server->Start()) return false;
  const std::string path = server->Path();
  if (path.empty()) {
    server->Stop();
    return false;
  }
  ListedDevice port;
  port.node = path;
  if (kind_ == SimulatedLineKind::UsbRs232) {
    port.hasUsbAncestor = true;
    port.vendorId = READER_VENDOR_ID;
    port.productId = USB_RS232_PRODUCT_ID;
    port.idsKnown = true;
  }
  server_ = std::move(server);
  auto listing = std::make_shared<Listing>(SharedDeviceListing(), port, nullptr);
  previousListing_ = SetDeviceListing(listing);
  listingInstalled_ = true;
  return true;
}

void SimulatedLine::StartHid() {
  SimulatedHidOptions options;
  options.path = hidPath_;
  hid_ = std::make_shared<SimulatedHidDevice>(*reader_, options);

  // The simulated node opens the simulated device; every other path goes where it went
  // before (the hidraw back-end unless some other factory was installed).
  const HidDeviceFactory simulated = hid_->Factory();
  previousHidFactory_ = SetHidDeviceFactory(nullptr);
  HidDeviceFactory others = previousHidFactory_;
  SetHidDeviceFactory([simulated, others](const std::string& path) -> std::unique_ptr<HidDevice> {
    if (std::unique_ptr<HidDevice> device = simulated(path)) return device;
    if (others) return others(path);
    return std::make_unique<HidrawDevice>();
  });
  hidFactoryInstalled_ = true;

  auto listing = std::make_shared<Listing>(SharedDeviceListing(), std::nullopt, hid_);
  previousListing_ = SetDeviceListing(listing);
  listingInstalled_ = true;
}

void SimulatedLine::StartKeyboard() {
  if (keyboardThroughHelper_) {
    previousControllerFactory_ = SetKeyboardControllerFactory(
        []() -> std::shared_ptr<tessaron::KeyboardController> {
          return std::make_shared<HelperKeyboardController>(true);
        });
    controllerFactoryInstalled_ = true;
    return;
  }
  controller_ = std::make_shared<SimulatedKeyboardController>(reader_);
  std::shared_ptr<SimulatedKeyboardController> controller = controller_;
  previousPortIoFactory_ =
      SetPortIoFactory([controller]() -> std::shared_ptr<PortIo> { return controller; });
  portIoFactoryInstalled_ = true;
}

void SimulatedLine::Stop() {
  if (listingInstalled_) {
    SetDeviceListing(std::move(previousListing_));
    previousListing_.reset();
    listingInstalled_ = false;
  }
  if (hidFactoryInstalled_) {
    SetHidDeviceFactory(std::move(previousHidFactory_));
    previousHidFactory_ = nullptr;
    hidFactoryInstalled_ = false;
  }
  if (portIoFactoryInstalled_) {
    SetPortIoFactory(std::move(previousPortIoFactory_));
    previousPortIoFactory_ = nullptr;
    portIoFactoryInstalled_ = false;
  }
  if (controllerFactoryInstalled_) {
    SetKeyboardControllerFactory(std::move(previousControllerFactory_));
    previousControllerFactory_ = nullptr;
    controllerFactoryInstalled_ = false;
  }
  if (server_) {
    server_->Stop();
    server_.reset();
  }
  hid_.reset();
  // The keyboard transport may still hold the controller until it next starts its
  // access; the controller shares the reader, so both stay valid until then.
  controller_.reset();
  started_ = false;
}

std::string SimulatedLine::DeviceName() const {
  switch (kind_) {
    case SimulatedLineKind::Rs232:
    case SimulatedLineKind::UsbRs232:
      return server_ ? server_->Path() : std::string();
    case SimulatedLineKind::UsbHid:
    case SimulatedLineKind::UsbHidKb:
      return hidPath_;
    case SimulatedLineKind::Ps2:
      return PS2_PORT_NAME;
  }
  return std::string();
}

}  // namespace tessaron::sim
