#include "transport/setupapi_device_listing.h"

#include <windows.h>
// After windows.h, in this order: each needs the ones before it. The HID headers declare
// C functions without saying so.
#include <ntdef.h>
#include <setupapi.h>
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <optional>
#include <vector>

#include "transport/com_port_entry.h"

namespace tessaron {

namespace {

// The Ports device class, {4D36E978-E325-11CE-BFC1-08002BE10318}.
const GUID PORTS_CLASS = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// A device information set, destroyed with the object.
class DeviceSet {
 public:
  DeviceSet(const GUID& group, DWORD flags)
      : set_(::SetupDiGetClassDevsA(&group, nullptr, nullptr, flags)) {}
  ~DeviceSet() {
    if (Valid()) ::SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceSet(const DeviceSet&) = delete;
  DeviceSet& operator=(const DeviceSet&) = delete;

  bool Valid() const { return set_ != INVALID_HANDLE_VALUE; }
  HDEVINFO Get() const { return set_; }

 private:
  HDEVINFO set_;
};

// A text value of an open registry key; nothing when there is no such value.
std::optional<std::string> TextValue(HKEY key, const char* name) {
  char value[257] = {};
  DWORD type = 0;
  DWORD size = sizeof value - 1;  // at most 256 bytes, and room for a closing zero
  if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  return std::string(value);
}

// The device path of an interface; empty when it cannot be had.
std::string InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& entry) {
  DWORD size = 0;
  if (!::SetupDiGetDeviceInterfaceDetailA(set, &entry, nullptr, 0, &size, nullptr) &&
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return std::string();
  }
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return std::string();
  std::vector<char> buffer(size);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!::SetupDiGetDeviceInterfaceDetailA(set, &entry, detail, size, nullptr, nullptr)) {
    return std::string();
  }
  return std::string(detail->DevicePath);
}

// The USB ids of the HID device at path, opened without access rights (enough for the
// attribute query, and a keyboard held by the system opens so too).
void ReadHidIds(ListedDevice& device) {
  const HANDLE handle = ::CreateFileA(device.node.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (::HidD_GetAttributes(handle, &attributes)) {
    device.vendorId = attributes.VendorID;
    device.productId = attributes.ProductID;
    device.idsKnown = true;
  }
  ::CloseHandle(handle);
}

}  // namespace

std::vector<ListedDevice> SetupApiDeviceListing::SerialPorts() {
  std::vector<ListedDevice> ports;
  const DeviceSet set(PORTS_CLASS, DIGCF_PRESENT);
  if (!set.Valid()) return ports;
  for (DWORD position = 0;; ++position) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!::SetupDiEnumDeviceInfo(set.Get(), position, &device)) break;
    // Every present device keeps its position, also one whose key cannot be read.
    std::optional<std::string> portName;
    std::optional<std::string> symbolicName;
    const HKEY key =
        ::SetupDiOpenDevRegKey(set.Get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key != INVALID_HANDLE_VALUE) {
      portName = TextValue(key, "PortName");
      symbolicName = TextValue(key, "SymbolicName");
      ::RegCloseKey(key);
    }
    ports.push_back(ListedComPort(portName, symbolicName));
  }
  return ports;
}

std::vector<ListedDevice> SetupApiDeviceListing::HidDevices() {
  std::vector<ListedDevice> devices;
  GUID hidClass{};
  ::HidD_GetHidGuid(&hidClass);
  const DeviceSet set(hidClass, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (!set.Valid()) return devices;
  for (DWORD position = 0;; ++position) {
    SP_DEVICE_INTERFACE_DATA entry{};
    entry.cbSize = sizeof entry;
    if (!::SetupDiEnumDeviceInterfaces(set.Get(), nullptr, &hidClass, position, &entry)) break;
    ListedDevice device;
    device.node = InterfacePath(set.Get(), entry);
    if (!device.node.empty()) ReadHidIds(device);
    devices.push_back(std::move(device));
  }
  return devices;
}

}  // namespace tessaron
