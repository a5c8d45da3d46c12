#include "transport/reader_port_factory.h"

#include "core/message_sink.h"
#include "transport/hid_port.h"
#include "transport/keyboard_port.h"
#include "transport/serial_port.h"

namespace tessaron {

std::unique_ptr<ReaderPort> CreateReaderPort(InterfaceType type, const TransportTiming& timing) {
  switch (type) {
    case INTERFACE_RS232:
    case INTERFACE_USB_RS232:
      return std::make_unique<SerialPort>(type, timing);
    case INTERFACE_USB_HID_KB:
    case INTERFACE_USB_HID:
      return std::make_unique<HidPort>(type, timing);
    case INTERFACE_PS2_KEYBOARD:
      return std::make_unique<KeyboardPort>(timing);
    default:
      ShowPlatformMessage("ERROR Interface Type!");
      return nullptr;
  }
}

}  // namespace tessaron
