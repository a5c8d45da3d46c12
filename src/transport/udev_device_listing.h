#pragma once
// The device listing of a running Linux system, read from libudev: the present serial ports
// (subsystem "tty") and HID raw devices (subsystem "hidraw") with their USB ids.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transport/discovery.h"

namespace tessaron {

class UdevDeviceListing : public DeviceListing {
 public:
  // Every call takes a fresh look at the system. Errors only shorten the lists.
  std::vector<ListedDevice> SerialPorts() override;
  std::vector<ListedDevice> HidDevices() override;
};

// Order of device nodes: runs of digits compare by value, so /dev/ttyS2 comes before
// /dev/ttyS10; otherwise plain byte order. Positions built on it stay stable between two
// enumerations as long as the same devices are present.
bool DeviceNodeLess(std::string_view a, std::string_view b);

// Sorts a listing by device node (ties keep their order).
void SortByDeviceNode(std::vector<ListedDevice>& devices);

// A USB id attribute as sysfs writes it ("0f3e"); nothing when it is not 1 to 4 hex digits.
std::optional<std::uint16_t> ParseUsbIdAttribute(std::string_view text);

struct HidIds {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
};

// The HID_ID property of a HID device, "bus:vendor:product" in hex (e.g.
// "0003:00000F3E:00000222"); nothing when it is malformed or an id exceeds 16 bits.
std::optional<HidIds> ParseHidIdProperty(std::string_view text);

}  // namespace tessaron
