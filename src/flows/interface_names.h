#pragma once
// The interface names accepted on the command line.

#include <string>
#include <vector>

#include "core/interface_type.h"

namespace tessaron {

// "unknown", "rs232", "ps2", "usb-hid-kb", "usb-rs232", "usb-hid", in InterfaceType order.
const std::vector<std::string>& CliInterfaceNames();

// The InterfaceType of a command-line name; false (and type untouched) for any other text.
bool ParseCliInterfaceName(const std::string& name, InterfaceType* type);

}  // namespace tessaron
