// The Windows side of ReaderEnvironment::System(): SetupAPI and hid.dll. There is no keyboard
// controller (keyboardController stays null), and the listing does not offer the PS/2 line.

#include "transport/hid_dll_device.h"
#include "transport/reader_environment.h"
#include "transport/serial_line.h"
#include "transport/setupapi_device_listing.h"

namespace tessaron {

ReaderEnvironment ReaderEnvironment::System() {
  ReaderEnvironment system;
  system.devices = std::make_shared<SetupApiDeviceListing>();
  system.hidDevices = [](const std::string&) -> std::unique_ptr<HidDevice> {
    return std::make_unique<HidDllDevice>();
  };
  return system;
}

bool IsDevicePath(const std::string& text) {
  return text.find('/') != std::string::npos || text.rfind("\\\\?\\", 0) == 0 ||
         text.rfind("\\\\.\\", 0) == 0 || IsSerialPortName(text);
}

const char* SerialPortExample() { return "COM7"; }

// Windows has no helper that could reach the keyboard controller.
std::shared_ptr<KeyboardController> KeyboardControllerHelper(bool) { return nullptr; }

}  // namespace tessaron
