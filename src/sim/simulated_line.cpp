#include "sim/simulated_line.h"

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

namespace tessaron::sim {

namespace {

constexpr SimulatedLineKind LINE_KINDS[] = {SimulatedLineKind::Rs232, SimulatedLineKind::UsbRs232,
                                            SimulatedLineKind::UsbHid, SimulatedLineKind::UsbHidKb,
                                            SimulatedLineKind::Ps2};

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
  for (SimulatedLineKind each : LINE_KINDS) {
    const InterfaceType type = SimulatedLineInterface(each);
    if (EqualsIgnoringCase(name, InterfaceLineName(type)) ||
        EqualsIgnoringCase(name, InterfaceDisplayName(type))) {
      if (kind != nullptr) *kind = each;
      return true;
    }
  }
  return false;
}

const char* SimulatedLineName(SimulatedLineKind kind) {
  return InterfaceLineName(SimulatedLineInterface(kind));
}

InterfaceType SimulatedLineInterface(SimulatedLineKind kind) {
  switch (kind) {
    case SimulatedLineKind::Rs232: return InterfaceType::Rs232;
    case SimulatedLineKind::UsbRs232: return InterfaceType::UsbRs232;
    case SimulatedLineKind::UsbHid: return InterfaceType::UsbHid;
    case SimulatedLineKind::UsbHidKb: return InterfaceType::UsbHidKb;
    case SimulatedLineKind::Ps2: return InterfaceType::Ps2Keyboard;
  }
  return InterfaceType::Unknown;
}

// The listing of an environment with the line added: the one before it, plus the simulated
// device. It keeps the simulated reader alive.
class SimulatedLine::Listing : public DeviceListing {
 public:
  Listing(std::shared_ptr<DeviceListing> base, std::optional<ListedDevice> serialPort,
          std::shared_ptr<SimulatedHidDevice> hid, std::shared_ptr<SimulatedReader> reader,
          bool keyboard = false)
      : base_(std::move(base)),
        serialPort_(std::move(serialPort)),
        hid_(std::move(hid)),
        reader_(std::move(reader)),
        keyboard_(keyboard) {}

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

  // The simulated keyboard controller is offered wherever the program runs.
  bool OffersKeyboardLine() override {
    return keyboard_ || (base_ != nullptr && base_->OffersKeyboardLine());
  }

 private:
  const std::shared_ptr<DeviceListing> base_;
  const std::optional<ListedDevice> serialPort_;
  const std::shared_ptr<SimulatedHidDevice> hid_;
  const std::shared_ptr<SimulatedReader> reader_;
  const bool keyboard_;
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
    case SimulatedLineKind::UsbRs232: {
      auto server = std::make_unique<PtyServer>(*reader_);
      if (!server->Start()) return false;
      if (server->Path().empty()) {
        server->Stop();
        return false;
      }
      server_ = std::move(server);
      break;
    }
    case SimulatedLineKind::UsbHid:
    case SimulatedLineKind::UsbHidKb: {
      SimulatedHidOptions options;
      options.path = hidPath_;
      hid_ = std::make_shared<SimulatedHidDevice>(*reader_, options);
      break;
    }
    case SimulatedLineKind::Ps2:
      // Through the system's helper where there is one; else the model in this process.
      if (keyboardThroughHelper_) keyboard_ = KeyboardControllerHelper(true);
      if (!keyboard_) {
        controller_ = std::make_shared<SimulatedKeyboardController>(reader_);
        keyboard_ = std::make_shared<PortIoController>(controller_);
      }
      break;
  }
  started_ = true;
  return true;
}

ReaderEnvironment SimulatedLine::AddTo(ReaderEnvironment base) const {
  if (!started_) return base;
  if (server_) {
    ListedDevice port;
    port.node = server_->Path();
    if (kind_ == SimulatedLineKind::UsbRs232) {
      port.hasUsbAncestor = true;
      port.vendorId = READER_VENDOR_ID;
      port.productId = ProductIdOf(InterfaceType::UsbRs232);
      port.idsKnown = true;
    }
    base.devices = std::make_shared<Listing>(base.devices, port, nullptr, reader_);
  }
  if (hid_) {
    // The simulated node opens the simulated device; every other path what it opened before.
    const HidDeviceFactory simulated = hid_->Factory();
    const HidDeviceFactory others = base.hidDevices;
    const std::shared_ptr<SimulatedReader> reader = reader_;
    base.hidDevices = [simulated, others, reader](const std::string& path) -> std::unique_ptr<HidDevice> {
      if (std::unique_ptr<HidDevice> device = simulated(path)) return device;
      return others ? others(path) : nullptr;
    };
    base.devices = std::make_shared<Listing>(base.devices, std::nullopt, hid_, reader_);
  }
  if (keyboard_) {
    base.keyboardController = keyboard_;
    base.devices = std::make_shared<Listing>(base.devices, std::nullopt, nullptr, reader_, true);
  }
  return base;
}

void SimulatedLine::Stop() {
  if (server_) {
    server_->Stop();
    server_.reset();
  }
  hid_.reset();
  // Environments made by AddTo may still hold the controller; it shares the reader, so both
  // stay valid as long as they do.
  controller_.reset();
  keyboard_.reset();
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
