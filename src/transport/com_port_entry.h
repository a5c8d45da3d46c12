#pragma once
// A COM port as the Windows device registry describes it, turned into the device listing that
// discovery classifies: the port's name from "PortName", and from "SymbolicName" (a value only
// devices of a bus such as USB have) the USB vendor and product ids it names.

#include <optional>
#include <string>
#include <string_view>

#include "transport/discovery.h"

namespace tessaron {

// The port's node is its name in capitals when that begins with "COM", else empty (nothing
// the serial port could open). A port without "SymbolicName" is a port of the PC itself; one
// with it belongs to a device, whose ids "vid_XXXX&pid_YYYY" (in any letter case) it holds.
ListedDevice ListedComPort(const std::optional<std::string>& portName,
                           const std::optional<std::string>& symbolicName);

// The ids "vid_XXXX&pid_YYYY" inside a device's name, in any letter case; false when it
// names none.
bool FindUsbIds(std::string_view text, std::uint16_t* vendorId, std::uint16_t* productId);

}  // namespace tessaron
