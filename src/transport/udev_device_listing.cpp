#include "transport/udev_device_listing.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace tessaron {

namespace {

// Owning handles for the libudev objects, so every way out releases them.
struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A hex number of 1 to maxDigits digits, nothing else.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = HexValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::string_view Text(const char* value) { return value != nullptr ? value : std::string_view{}; }

// Syspaths of every device of a subsystem; empty on any error.
std::vector<std::string> SyspathsOf(udev* context, const char* subsystem) {
  std::vector<std::string> paths;
  UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context));
  if (!enumeration) return paths;
  if (udev_enumerate_add_match_subsystem(enumeration.get(), subsystem) < 0) return paths;
  if (udev_enumerate_scan_devices(enumeration.get()) < 0) return paths;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
    const char* path = udev_list_entry_get_name(entry);
    if (path != nullptr) paths.emplace_back(path);
  }
  return paths;
}

// The ids straight from the device, for a HID device whose parent does not carry HID_ID.
// Needs read access to the node; without it the ids stay unknown.
std::optional<HidIds> ReadRawInfo(const char* node) {
  const int fd = ::open(node, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  hidraw_devinfo info{};
  const int result = ::ioctl(fd, HIDIOCGRAWINFO, &info);
  ::close(fd);
  if (result < 0) return std::nullopt;
  return HidIds{static_cast<std::uint16_t>(info.vendor), static_cast<std::uint16_t>(info.product)};
}

}  // namespace

bool DeviceNodeLess(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Compare the two digit runs by value: skip leading zeros, then the longer run is
      // the larger number, equal lengths compare digit by digit.
      std::size_t endA = i;
      std::size_t endB = j;
      while (endA < a.size() && IsDigit(a[endA])) ++endA;
      while (endB < b.size() && IsDigit(b[endB])) ++endB;
      std::size_t startA = i;
      std::size_t startB = j;
      while (startA + 1 < endA && a[startA] == '0') ++startA;
      while (startB + 1 < endB && b[startB] == '0') ++startB;
      const std::string_view runA = a.substr(startA, endA - startA);
      const std::string_view runB = b.substr(startB, endB - startB);
      if (runA.size() != runB.size()) return runA.size() < runB.size();
      if (runA != runB) return runA < runB;
      // Same value: the run with fewer leading zeros first, so the order stays strict.
      if (endA - i != endB - j) return endA - i < endB - j;
      i = endA;
      j = endB;
      continue;
    }
    if (a[i] != b[j]) {
      return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    }
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

void SortByDeviceNode(std::vector<ListedDevice>& devices) {
  std::stable_sort(devices.begin(), devices.end(),
                   [](const ListedDevice& x, const ListedDevice& y) {
                     return DeviceNodeLess(x.node, y.node);
                   });
}

std::optional<std::uint16_t> ParseUsbIdAttribute(std::string_view text) {
  // sysfs attributes may end with a line break.
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  const std::optional<std::uint32_t> value = ParseHex(text, 4);
  if (!value) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

std::optional<HidIds> ParseHidIdProperty(std::string_view text) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  if (!ParseHex(text.substr(0, first), 8)) return std::nullopt;  // the bus
  const auto vendor = ParseHex(text.substr(first + 1, second - first - 1), 8);
  const auto product = ParseHex(text.substr(second + 1), 8);
  if (!vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF) return std::nullopt;
  return HidIds{static_cast<std::uint16_t>(*vendor), static_cast<std::uint16_t>(*product)};
}

std::vector<ListedDevice> UdevDeviceListing::SerialPorts() {
  std::vector<ListedDevice> ports;
  UdevPtr<udev> context(udev_new());
  if (!context) return ports;
  for (const std::string& syspath : SyspathsOf(context.get(), "tty")) {
    UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), syspath.c_str()));
    if (!device) continue;
    // Virtual consoles and pseudo-terminals have no parent device; they are no ports.
    if (udev_device_get_parent(device.get()) == nullptr) continue;
    // Legacy 8250 placeholders exist for every possible ttyS line; type 0 means no UART.
    if (Text(udev_device_get_sysattr_value(device.get(), "type")) == "0") continue;
    const char* node = udev_device_get_devnode(device.get());
    if (node == nullptr || *node == '\0') continue;

    ListedDevice port;
    port.node = node;
    // The ancestor is owned by the device it was looked up from; no unref.
    udev_device* usb =
        udev_device_get_parent_with_subsystem_devtype(device.get(), "usb", "usb_device");
    if (usb != nullptr) {
      port.hasUsbAncestor = true;
      const auto vendor = ParseUsbIdAttribute(Text(udev_device_get_sysattr_value(usb, "idVendor")));
      const auto product =
          ParseUsbIdAttribute(Text(udev_device_get_sysattr_value(usb, "idProduct")));
      if (vendor && product) {
        port.vendorId = *vendor;
        port.productId = *product;
        port.idsKnown = true;
      }
    }
    ports.push_back(std::move(port));
  }
  SortByDeviceNode(ports);
  return ports;
}

std::vector<ListedDevice> UdevDeviceListing::HidDevices() {
  std::vector<ListedDevice> devices;
  UdevPtr<udev> context(udev_new());
  if (!context) return devices;
  for (const std::string& syspath : SyspathsOf(context.get(), "hidraw")) {
    UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), syspath.c_str()));
    if (!device) continue;
    const char* node = udev_device_get_devnode(device.get());
    if (node == nullptr || *node == '\0') continue;

    ListedDevice listed;
    listed.node = node;
    // The HID device above the hidraw node names its ids, so the node need not be opened.
    std::optional<HidIds> ids;
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device.get(), "hid", nullptr);
    if (hid != nullptr) ids = ParseHidIdProperty(Text(udev_device_get_property_value(hid, "HID_ID")));
    if (!ids) ids = ReadRawInfo(node);
    if (ids) {
      listed.vendorId = ids->vendorId;
      listed.productId = ids->productId;
      listed.idsKnown = true;
    }
    devices.push_back(std::move(listed));
  }
  SortByDeviceNode(devices);
  return devices;
}

}  // namespace tessaron
