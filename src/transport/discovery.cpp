#include "transport/discovery.h"

#include <mutex>
#include <utility>

#include "transport/port_io.h"
#include "transport/system_devices.h"

namespace tessaron {

namespace {

std::mutex listingLock;

std::shared_ptr<DeviceListing>& InstalledListing() {
  static std::shared_ptr<DeviceListing> installed;
  return installed;
}

std::shared_ptr<DeviceListing> DefaultListing() {
  static const std::shared_ptr<DeviceListing> system = MakeSystemDeviceListing();
  return system;
}

// The reader's own USB serial function is a "USB-RS232" reader. Every other serial port
// is offered as "RS232": a port of the PC, and also a port of any other USB device, since
// most PCs reach an RS232 reader through a USB serial adapter.
InterfaceType SerialKind(const ListedDevice& port) {
  if (port.node.empty()) return INTERFACE_UNKNOWN;  // nothing the serial port could open
  if (port.hasUsbAncestor && port.idsKnown && port.vendorId == READER_VENDOR_ID &&
      port.productId == USB_RS232_PRODUCT_ID) {
    return INTERFACE_USB_RS232;
  }
  return INTERFACE_RS232;
}

InterfaceType HidKind(const ListedDevice& device) {
  if (device.node.empty() || !device.idsKnown || device.vendorId != READER_VENDOR_ID) {
    return INTERFACE_UNKNOWN;
  }
  switch (device.productId) {
    case USB_HID_KB_PRODUCT_ID:
      return INTERFACE_USB_HID_KB;
    case USB_HID_PRODUCT_ID:
    case USB_HID_PRODUCT_ID_ALT:
      return INTERFACE_USB_HID;
    default:
      return INTERFACE_UNKNOWN;
  }
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

std::shared_ptr<DeviceListing> SharedDeviceListing() {
  std::lock_guard<std::mutex> guard(listingLock);
  const std::shared_ptr<DeviceListing>& installed = InstalledListing();
  return installed ? installed : DefaultListing();
}

DeviceListing& CurrentDeviceListing() { return *SharedDeviceListing(); }

std::shared_ptr<DeviceListing> SetDeviceListing(std::shared_ptr<DeviceListing> listing) {
  std::lock_guard<std::mutex> guard(listingLock);
  std::shared_ptr<DeviceListing>& installed = InstalledListing();
  std::shared_ptr<DeviceListing> previous = installed ? installed : DefaultListing();
  installed = std::move(listing);
  return previous;
}

void EnumerateReaders(InterfaceType type, std::vector<ReaderDeviceEntry>& list) {
  switch (type) {
    case INTERFACE_RS232:
    case INTERFACE_USB_RS232: {
      const std::shared_ptr<DeviceListing> listing = SharedDeviceListing();
      AppendMatching(listing->SerialPorts(), type, SerialKind, list);
      break;
    }
    case INTERFACE_USB_HID_KB:
    case INTERFACE_USB_HID: {
      const std::shared_ptr<DeviceListing> listing = SharedDeviceListing();
      AppendMatching(listing->HidDevices(), type, HidKind, list);
      break;
    }
    case INTERFACE_PS2_KEYBOARD: {
      if (!KeyboardLineOffered()) break;
      ReaderDeviceEntry entry;
      entry.interfaceType = INTERFACE_PS2_KEYBOARD;
      entry.name = PS2_PORT_NAME;
      entry.deviceIndex = 0;
      list.push_back(std::move(entry));
      break;
    }
    default:
      break;
  }
}

bool FindSerialPort(DeviceIndex position, InterfaceType* kind, std::string* name) {
  if (kind != nullptr) *kind = INTERFACE_UNKNOWN;
  if (name != nullptr) name->clear();
  const std::shared_ptr<DeviceListing> listing = SharedDeviceListing();
  const std::vector<ListedDevice> ports = listing->SerialPorts();
  const ListedDevice* port = DeviceAt(ports, position);
  if (port == nullptr) return false;
  // A port keeps its name even when it belongs to no reader, as the port list shows it.
  if (name != nullptr) *name = port->node;
  if (kind != nullptr) *kind = SerialKind(*port);
  return true;
}

bool FindHidReader(DeviceIndex position, InterfaceType* kind, std::string* path) {
  if (kind != nullptr) *kind = INTERFACE_UNKNOWN;
  if (path != nullptr) path->clear();
  const std::shared_ptr<DeviceListing> listing = SharedDeviceListing();
  const std::vector<ListedDevice> devices = listing->HidDevices();
  const ListedDevice* device = DeviceAt(devices, position);
  if (device == nullptr) return false;
  const InterfaceType found = HidKind(*device);
  if (kind != nullptr) *kind = found;
  // Only a reader's path is handed out.
  if (path != nullptr && found != INTERFACE_UNKNOWN) *path = device->node;
  return true;
}

}  // namespace tessaron
