#include "transport/hid_dll_device.h"
#include "transport/setupapi_device_listing.h"
#include "transport/system_devices.h"

namespace tessaron {

std::shared_ptr<DeviceListing> MakeSystemDeviceListing() {
  return std::make_shared<SetupApiDeviceListing>();
}

std::unique_ptr<HidDevice> MakeSystemHidDevice() { return std::make_unique<HidDllDevice>(); }

std::shared_ptr<PortIo> MakeSystemPortIo() { return nullptr; }

}  // namespace tessaron
