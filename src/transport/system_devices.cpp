#include "transport/system_devices.h"

#include "transport/hidraw_device.h"
#include "transport/ioperm_port_io.h"
#include "transport/udev_device_listing.h"

namespace tessaron {

std::shared_ptr<DeviceListing> MakeSystemDeviceListing() {
  return std::make_shared<UdevDeviceListing>();
}

std::unique_ptr<HidDevice> MakeSystemHidDevice() { return std::make_unique<HidrawDevice>(); }

std::shared_ptr<PortIo> MakeSystemPortIo() { return std::make_shared<IopermPortIo>(); }

bool IsDevicePath(const std::string& text) { return text.find('/') != std::string::npos; }

}  // namespace tessaron
