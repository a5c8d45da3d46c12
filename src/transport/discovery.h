#pragma once
// Finding the attached readers: which present devices can be which kind of reader, and
// the device index that Open of the matching port class expects.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/interface_type.h"

namespace tessaron {

// One present device of the "tty" or "hidraw" class, as the device listing reports it.
struct ListedDevice {
  std::string node;              // device node, e.g. /dev/ttyUSB0 or /dev/hidraw2
  bool hasUsbAncestor = false;   // tty only: the port belongs to a USB device
  std::uint16_t vendorId = 0;    // USB ids (hidraw: of the HID device; tty: of the USB ancestor)
  std::uint16_t productId = 0;
  bool idsKnown = false;         // false when the ids could not be read
};

// The source of present devices. The real one is libudev; tests and the simulator use lists.
class DeviceListing {
 public:
  virtual ~DeviceListing() = default;
  // Present serial ports (tty devices with a parent device), sorted by device node.
  virtual std::vector<ListedDevice> SerialPorts() = 0;
  // Present hidraw devices, sorted by device node.
  virtual std::vector<ListedDevice> HidDevices() = 0;
  // Whether a program may reach the keyboard controller here, so that the PS/2 line is
  // offered: on Linux it is (ioperm, which may still refuse and say why); Windows lets only a
  // kernel driver reach it.
  virtual bool OffersKeyboardLine() { return true; }
};

// A listing without devices.
class EmptyDeviceListing : public DeviceListing {
 public:
  std::vector<ListedDevice> SerialPorts() override { return {}; }
  std::vector<ListedDevice> HidDevices() override { return {}; }
};

struct ReaderDeviceEntry {
  InterfaceType interfaceType = InterfaceType::Unknown;
  std::string name;
  DeviceIndex deviceIndex = -1;
};

// Appends one entry per reader of that type among the devices of the listing, in
// enumeration order.
void EnumerateReaders(DeviceListing& devices, InterfaceType type,
                      std::vector<ReaderDeviceEntry>& list);
// Whether a serial port exists at position; its kind and its name. The reader's own USB
// serial function is 4 ("USB-RS232"); every other port, of the PC or of any other USB device
// (a USB serial adapter), is 1 ("RS232"); 0 only for a port without a device node.
bool FindSerialPort(DeviceListing& devices, DeviceIndex position, InterfaceType* kind,
                    std::string* name);
// Whether a HID interface exists at position; kind 0, 3 or 5 and its device path.
bool FindHidReader(DeviceListing& devices, DeviceIndex position, InterfaceType* kind,
                   std::string* path);

}  // namespace tessaron
