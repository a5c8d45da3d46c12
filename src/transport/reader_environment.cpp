#include "transport/reader_environment.h"

namespace tessaron {

ReaderEnvironment::ReaderEnvironment() : devices(std::make_shared<EmptyDeviceListing>()) {}

void ReaderEnvironment::Tell(const std::string& text, const std::string& caption) const {
  if (messages) messages(text, caption);
}

std::unique_ptr<HidDevice> ReaderEnvironment::MakeHidDevice(const std::string& path) const {
  return hidDevices ? hidDevices(path) : nullptr;
}

}  // namespace tessaron
