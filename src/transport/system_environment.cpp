// The Linux side of ReaderEnvironment::System(): libudev, hidraw and the keyboard-controller
// helper.

#include "transport/hidraw_device.h"
#include "transport/kbc_client.h"
#include "transport/reader_environment.h"
#include "transport/udev_device_listing.h"

namespace tessaron {

ReaderEnvironment ReaderEnvironment::System() {
  ReaderEnvironment system;
  system.devices = std::make_shared<UdevDeviceListing>();
  system.hidDevices = [](const std::string&) -> std::unique_ptr<HidDevice> {
    return std::make_unique<HidrawDevice>();
  };
  system.keyboardController = KeyboardControllerHelper(false);
  return system;
}

bool IsDevicePath(const std::string& text) { return text.find('/') != std::string::npos; }

const char* SerialPortExample() { return "/dev/ttyUSB0"; }

std::shared_ptr<KeyboardController> KeyboardControllerHelper(bool simulated) {
  return std::make_shared<HelperKeyboardController>(simulated);
}

}  // namespace tessaron
