#pragma once
// The device listing of a running Windows system, read through SetupAPI: the present devices
// of the Ports class with their "PortName" and "SymbolicName", and the present HID interfaces
// with the USB ids their HID attributes give, each in the system's enumeration order.

#include "transport/discovery.h"

namespace tessaron {

class SetupApiDeviceListing : public DeviceListing {
 public:
  // Every call takes a fresh look at the system. Errors only shorten the lists.
  std::vector<ListedDevice> SerialPorts() override;
  std::vector<ListedDevice> HidDevices() override;
  // Only a kernel driver may reach the keyboard controller on Windows.
  bool OffersKeyboardLine() override { return false; }
};

}  // namespace tessaron
