#include "transport/com_port_entry.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/transport_fakes.h"

namespace tessaron {
namespace {

struct RegistryPort {
  std::optional<std::string> portName;
  std::optional<std::string> symbolicName;
};

// The Ports class as the Windows device registry shows it, classified by discovery: each
// reader keeps its position among all present ports, readers or not.
TEST(ComPortEntryTest, RegistryValuesGiveTheReadersOfEachSerialLine) {
  const std::vector<RegistryPort> registry = {
      {"COM1", std::nullopt},  // a port of the PC
      {"com7", "\\??\\USB#VID_0F3E&PID_0217#6&2c0e#{86e0d1e0-8089-11d0-9ce4-08003e301f73}"},
      {std::nullopt, "\\??\\ACPI#PNP0401#1#{97f76ef0-f883-11d0-af1f-0000f800845c}"},  // no name
      {"LPT1", std::nullopt},  // not a COM port
      {"COM12", "\\??\\USB#VID_0403&PID_6001#A50285BI#{86e0d1e0-8089-11d0-9ce4-08003e301f73}"},
      {"COM4", "\\??\\USB#VID_0F3E&PID_0222#1#{...}"},  // the reader's vendor, another product
  };
  auto listing = std::make_shared<test_support::TestListing>();
  for (const RegistryPort& port : registry) {
    listing->serial.push_back(ListedComPort(port.portName, port.symbolicName));
  }

  const std::vector<std::pair<InterfaceType, std::vector<std::pair<std::string, DeviceIndex>>>>
      wanted = {{InterfaceType::Rs232, {{"COM1", 0}, {"COM12", 4}, {"COM4", 5}}},
                {InterfaceType::UsbRs232, {{"COM7", 1}}}};
  for (const auto& [type, readers] : wanted) {
    std::vector<ReaderDeviceEntry> found;
    EnumerateReaders(*listing, type, found);
    std::vector<std::pair<std::string, DeviceIndex>> seen;
    for (const ReaderDeviceEntry& entry : found) seen.emplace_back(entry.name, entry.deviceIndex);
    EXPECT_EQ(seen, readers) << InterfaceDisplayName(type);
  }
}

TEST(ComPortEntryTest, UsbIdsAreFoundInAnyLetterCaseOnlyWhenWhole) {
  const std::vector<std::pair<std::string, std::optional<std::pair<int, int>>>> cases = {
      {"\\??\\USB#VID_0F3E&PID_0217#1", std::pair{0x0F3E, 0x0217}},
      {"usb\\vid_abcd&pid_12ef&mi_00", std::pair{0xABCD, 0x12EF}},
      {"VID_0F3&PID_0217 VID_0403&PID_6001", std::pair{0x0403, 0x6001}},  // the first is cut short
      {"VID_0F3E&PID_021", std::nullopt},
      {"VID_0F3E+PID_0217", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, ids] : cases) {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    const bool found = FindUsbIds(text, &vendor, &product);
    EXPECT_EQ(found, ids.has_value()) << text;
    const std::pair<int, int> seen{vendor, product};
    if (found && ids) {
      EXPECT_EQ(seen, *ids) << text;
    }
  }
}

}  // namespace
}  // namespace tessaron
