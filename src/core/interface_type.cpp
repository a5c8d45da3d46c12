#include "core/interface_type.h"

namespace tessaron {

namespace {
const char* const INTERFACE_NAMES[INTERFACE_TYPE_COUNT] = {
    "Unknown", "RS232", "PS/2 Keyboard", "USB-HID-KB", "USB-RS232", "USB-HID"};
}

const char* InterfaceDisplayName(InterfaceType type) {
  if (type < 0 || type >= INTERFACE_TYPE_COUNT) return INTERFACE_NAMES[0];
  return INTERFACE_NAMES[type];
}

}  // namespace tessaron
