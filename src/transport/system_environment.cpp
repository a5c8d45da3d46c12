// The Linux side of ReaderEnvironment::System(): libudev, hidraw and ioperm.

#include "transport/hidraw_device.h"
#include "transport/ioperm_port_io.h"
#include "transport/reader_environment.h"
#include "transport/udev_device_listing.h"

namespace tessaron {

ReaderEnvironment ReaderEnvironment::System() {
  ReaderEnvironment system;
  system.devices = std::make_shared<UdevDeviceListing>();
  system.hidDevices = [](const std::string&) -> std::unique_ptr<HidDevice> {
    return std::make_unique<HidrawDevice>();
  };
  system.portIo = std::make_shared<IopermPortIo>();
  return system;
}

bool IsDevicePath(const std::string& text) { return text.find('/') != std::string::npos; }

const char* SerialPortExample() { return "/dev/ttyUSB0"; }

}  // namespace tessaron
