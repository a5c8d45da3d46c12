#pragma once
// The interfaces over which a reader is reached, and their display names.

#include <cstdint>

namespace tessaron {

using InterfaceType = std::int32_t;

constexpr InterfaceType INTERFACE_UNKNOWN = 0;
constexpr InterfaceType INTERFACE_RS232 = 1;
constexpr InterfaceType INTERFACE_PS2_KEYBOARD = 2;
constexpr InterfaceType INTERFACE_USB_HID_KB = 3;
constexpr InterfaceType INTERFACE_USB_RS232 = 4;
constexpr InterfaceType INTERFACE_USB_HID = 5;
constexpr int INTERFACE_TYPE_COUNT = 6;

// Position of a reader among the present devices of its class; -1 means none.
using DeviceIndex = std::int32_t;

// "Unknown", "RS232", "PS/2 Keyboard", "USB-HID-KB", "USB-RS232", "USB-HID" for 0 to 5.
// Any value outside 0 to 5 gives "Unknown" so that no caller reads outside the table.
const char* InterfaceDisplayName(InterfaceType type);

}  // namespace tessaron
