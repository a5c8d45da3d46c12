#include "transport/reader_port_factory.h"

#include "transport/hid_port.h"
#include "transport/keyboard_port.h"
#include "transport/serial_port.h"

namespace tessaron {

std::unique_ptr<ReaderPort> CreateReaderPort(InterfaceType type,
                                             const ReaderEnvironment& environment) {
  std::unique_ptr<ReaderPort> port;
  if (IsSerialInterface(type)) {
    port = std::make_unique<SerialPort>(type, environment.timing, environment.devices);
  } else if (IsHidInterface(type)) {
    port = std::make_unique<HidPort>(type, environment.timing, environment.devices,
                                     environment.hidDevices);
  } else if (type == InterfaceType::Ps2Keyboard) {
    port = std::make_unique<KeyboardPort>(environment.timing, environment.keyboardController);
  } else {
    return nullptr;
  }
  if (environment.wrap) port = environment.wrap(std::move(port));
  return port;
}

}  // namespace tessaron
