#include "flows/interface_names.h"

namespace tessaron {

const std::vector<std::string>& CliInterfaceNames() {
  static const std::vector<std::string> names = {"unknown",    "rs232",     "ps2",
                                                 "usb-hid-kb", "usb-rs232", "usb-hid"};
  return names;
}

bool ParseCliInterfaceName(const std::string& name, InterfaceType* type) {
  const auto& names = CliInterfaceNames();
  for (std::size_t index = 0; index < names.size(); ++index) {
    if (names[index] == name) {
      if (type) *type = static_cast<InterfaceType>(index);
      return true;
    }
  }
  return false;
}

}  // namespace tessaron
