#include "transport/hid_dll_device.h"
#include "transport/serial_line.h"
#include "transport/setupapi_device_listing.h"
#include "transport/system_devices.h"

namespace tessaron {

std::shared_ptr<DeviceListing> MakeSystemDeviceListing() {
  return std::make_shared<SetupApiDeviceListing>();
}

std::unique_ptr<HidDevice> MakeSystemHidDevice() { return std::make_unique<HidDllDevice>(); }

std::shared_ptr<PortIo> MakeSystemPortIo() { return nullptr; }

bool IsDevicePath(const std::string& text) {
  return text.find('/') != std::string::npos || text.rfind("\\\\?\\", 0) == 0 ||
         text.rfind("\\\\.\\", 0) == 0 || IsSerialPortName(text);
}

}  // namespace tessaron
