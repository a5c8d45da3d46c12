#include "transport/reader_environment.h"

#include "transport/hidraw_device.h"
#include "transport/kbc_client.h"
#include "transport/udev_device_listing.h"

namespace tessaron {

ReaderEnvironment::ReaderEnvironment() : devices(std::make_shared<EmptyDeviceListing>()) {}

ReaderEnvironment ReaderEnvironment::System() {
  ReaderEnvironment system;
  system.devices = std::make_shared<UdevDeviceListing>();
  system.hidDevices = [](const std::string&) -> std::unique_ptr<HidDevice> {
    return std::make_unique<HidrawDevice>();
  };
  system.keyboardController = std::make_shared<HelperKeyboardController>();
  return system;
}

void ReaderEnvironment::Tell(const std::string& text, const std::string& caption) const {
  if (messages) messages(text, caption);
}

std::unique_ptr<HidDevice> ReaderEnvironment::MakeHidDevice(const std::string& path) const {
  return hidDevices ? hidDevices(path) : nullptr;
}

}  // namespace tessaron
