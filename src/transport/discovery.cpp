#include "transport/discovery.h"

#include <utility>

namespace tessaron {

namespace {

// The reader's own USB serial function is a "USB-RS232" reader. Every other serial port
// is offered as "RS232": a port of the PC, and also a port of any other USB device, since
// most PCs reach an RS232 reader through a USB serial adapter.
InterfaceType SerialKind(const ListedDevice& port) {
  if (port.node.empty()) return InterfaceType::Unknown;  // nothing the serial port could open
  if (port.hasUsbAncestor && port.idsKnown && port.vendorId == READER_VENDOR_ID &&
      PresentsInterface(InterfaceType::UsbRs232, port.productId)) {
    return InterfaceType::UsbRs232;
  }
  return InterfaceType::Rs232;
}

InterfaceType HidKind(const ListedDevice& device) {
  if (device.node.empty() || !device.idsKnown || device.vendorId != READER_VENDOR_ID) {
    return InterfaceType::Unknown;
  }
  return HidInterfaceOfProduct(device.productId);
}

// The device at a position of a listing; nullptr when there is none.
const ListedDevice* DeviceAt(const std::vector<ListedDevice>& devices, DeviceIndex position) {
  if (position < 0 || static_cast<std::size_t>(position) >= devices.size()) return nullptr;
  return &devices[static_cast<std::size_t>(position)];
}

// Appends every device of the listing whose kind is the requested type. The whole class is
// read once, so all positions of one enumeration come from the same view of the system.
void AppendMatching(const std::vector<ListedDevice>& devices, InterfaceType type,
                    InterfaceType (*classify)(const ListedDevice&),
                    std::vector<ReaderDeviceEntry>& list) {
  for (std::size_t position = 0; position < devices.size(); ++position) {
    if (classify(devices[position]) != type) continue;
    ReaderDeviceEntry entry;
    entry.interfaceType = type;
    entry.name = devices[position].node;
    entry.deviceIndex = static_cast<DeviceIndex>(position);
    list.push_back(std::move(entry));
  }
}

}  // namespace

void EnumerateReaders(DeviceListing& devices, InterfaceType type,
                      std::vector<ReaderDeviceEntry>& list) {
  if (IsSerialInterface(type)) {
    AppendMatching(devices.SerialPorts(), type, SerialKind, list);
  } else if (IsHidInterface(type)) {
    AppendMatching(devices.HidDevices(), type, HidKind, list);
  } else if (type == InterfaceType::Ps2Keyboard && devices.OffersKeyboardLine()) {
    ReaderDeviceEntry entry;
    entry.interfaceType = InterfaceType::Ps2Keyboard;
    entry.name = PS2_PORT_NAME;
    entry.deviceIndex = 0;
    list.push_back(std::move(entry));
  }
}

bool FindSerialPort(DeviceListing& devices, DeviceIndex position, InterfaceType* kind,
                    std::string* name) {
  if (kind != nullptr) *kind = InterfaceType::Unknown;
  if (name != nullptr) name->clear();
  const std::vector<ListedDevice> ports = devices.SerialPorts();
  const ListedDevice* port = DeviceAt(ports, position);
  if (port == nullptr) return false;
  // A port keeps its name even when it belongs to no reader, as the port list shows it.
  if (name != nullptr) *name = port->node;
  if (kind != nullptr) *kind = SerialKind(*port);
  return true;
}

bool FindHidReader(DeviceListing& devices, DeviceIndex position, InterfaceType* kind,
                   std::string* path) {
  if (kind != nullptr) *kind = InterfaceType::Unknown;
  if (path != nullptr) path->clear();
  const std::vector<ListedDevice> hidDevices = devices.HidDevices();
  const ListedDevice* device = DeviceAt(hidDevices, position);
  if (device == nullptr) return false;
  const InterfaceType found = HidKind(*device);
  if (kind != nullptr) *kind = found;
  // Only a reader's path is handed out.
  if (path != nullptr && found != InterfaceType::Unknown) *path = device->node;
  return true;
}

}  // namespace tessaron
