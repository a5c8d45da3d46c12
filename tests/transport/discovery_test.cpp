#include "transport/discovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/transport_fakes.h"
#include "transport/reader_environment.h"
#include "transport/udev_device_listing.h"

namespace tessaron {
namespace {

using test_support::HidEntry;
using test_support::MotherboardPort;
using test_support::TestListing;
using test_support::UsbPort;

class DiscoveryTest : public ::testing::Test {
 protected:
  // Discovery over the test's devices.
  std::vector<ReaderDeviceEntry> Enumerate(InterfaceType type) {
    std::vector<ReaderDeviceEntry> list;
    EnumerateReaders(type, list);
    return list;
  }
  void EnumerateReaders(InterfaceType type, std::vector<ReaderDeviceEntry>& list) {
    tessaron::EnumerateReaders(*devices_, type, list);
  }
  bool FindSerialPort(DeviceIndex position, InterfaceType* kind, std::string* name) {
    return tessaron::FindSerialPort(*devices_, position, kind, name);
  }
  bool FindHidReader(DeviceIndex position, InterfaceType* kind, std::string* path) {
    return tessaron::FindHidReader(*devices_, position, kind, path);
  }

  std::shared_ptr<TestListing> devices_ = std::make_shared<TestListing>();
};

TEST_F(DiscoveryTest, OnlyTheReadersOwnUsbPortIsUsbRs232EveryOtherPortIsRs232) {
  devices_->serial = {
      MotherboardPort("/dev/ttyS0"),
      UsbPort("/dev/ttyUSB0", 0x0403, 0x6001),   // another USB serial adapter
      UsbPort("/dev/ttyUSB1", 0x0F3E, 0x0217),   // the reader's own port
      UsbPort("/dev/ttyACM0", 0x0F3E, 0x0222),   // the reader's vendor, not its serial product
      {"/dev/ttyUSB2", true, 0x0F3E, 0x0217, false},  // ids unreadable
      UsbPort("/dev/ttyUSB3", 0x0403, 0x0217),   // the reader's product id, another vendor
  };
  InterfaceType kind = static_cast<InterfaceType>(-7);
  std::string name = "stale";

  ASSERT_TRUE(FindSerialPort(0, &kind, &name));
  EXPECT_EQ(kind, InterfaceType::Rs232);
  EXPECT_EQ(name, "/dev/ttyS0");
  // A USB serial adapter: an RS232 reader is usually plugged in through one.
  ASSERT_TRUE(FindSerialPort(1, &kind, &name));
  EXPECT_EQ(kind, InterfaceType::Rs232);
  ASSERT_TRUE(FindSerialPort(2, &kind, &name));
  EXPECT_EQ(kind, InterfaceType::UsbRs232);
  EXPECT_EQ(name, "/dev/ttyUSB1");
  ASSERT_TRUE(FindSerialPort(3, &kind, &name));
  EXPECT_EQ(kind, InterfaceType::Rs232);
  ASSERT_TRUE(FindSerialPort(4, &kind, &name));
  EXPECT_EQ(kind, InterfaceType::Rs232);
  ASSERT_TRUE(FindSerialPort(5, &kind, &name));
  EXPECT_EQ(kind, InterfaceType::Rs232);

  EXPECT_FALSE(FindSerialPort(6, &kind, &name));
  EXPECT_EQ(kind, InterfaceType::Unknown);
  EXPECT_EQ(name, "");
  EXPECT_FALSE(FindSerialPort(-1, &kind, &name));
  EXPECT_FALSE(FindSerialPort(0x7FFFFFFF, nullptr, nullptr));
  EXPECT_TRUE(FindSerialPort(0, nullptr, nullptr));
}

TEST_F(DiscoveryTest, SerialEntriesCarryTheirPositionAmongAllPorts) {
  devices_->serial = {
      UsbPort("/dev/ttyACM0", 0x1199, 0x9071),  // a modem comes first
      MotherboardPort("/dev/ttyS0"),
      UsbPort("/dev/ttyUSB0", 0x0F3E, 0x0217),
      MotherboardPort("/dev/ttyS1"),
  };

  const auto rs232 = Enumerate(InterfaceType::Rs232);
  ASSERT_EQ(rs232.size(), 3u);
  EXPECT_EQ(rs232[0].interfaceType, InterfaceType::Rs232);
  EXPECT_EQ(rs232[0].name, "/dev/ttyACM0");
  EXPECT_EQ(rs232[0].deviceIndex, 0);
  EXPECT_EQ(rs232[1].name, "/dev/ttyS0");
  EXPECT_EQ(rs232[1].deviceIndex, 1);
  EXPECT_EQ(rs232[2].name, "/dev/ttyS1");
  EXPECT_EQ(rs232[2].deviceIndex, 3);

  const auto usb = Enumerate(InterfaceType::UsbRs232);
  ASSERT_EQ(usb.size(), 1u);
  EXPECT_EQ(usb[0].interfaceType, InterfaceType::UsbRs232);
  EXPECT_EQ(usb[0].name, "/dev/ttyUSB0");
  EXPECT_EQ(usb[0].deviceIndex, 2);
}

TEST_F(DiscoveryTest, HidReadersAreToldApartByProductId) {
  devices_->hid = {
      HidEntry("/dev/hidraw0", 0x046D, 0xC52B),  // a mouse receiver
      HidEntry("/dev/hidraw1", 0x0F3E, 0x0221),
      HidEntry("/dev/hidraw2", 0x0F3E, 0x0222),
      HidEntry("/dev/hidraw3", 0x0F3E, 0x0217),  // the reader's vendor, another product
      HidEntry("/dev/hidraw4", 0x0F3E, 0x0223),
      HidEntry("/dev/hidraw5", 0x1234, 0x0222),  // the product id of another vendor
      {"/dev/hidraw6", false, 0x0F3E, 0x0222, false},  // ids unreadable
  };

  const auto keyboard = Enumerate(InterfaceType::UsbHidKb);
  ASSERT_EQ(keyboard.size(), 1u);
  EXPECT_EQ(keyboard[0].interfaceType, InterfaceType::UsbHidKb);
  EXPECT_EQ(keyboard[0].name, "/dev/hidraw1");
  EXPECT_EQ(keyboard[0].deviceIndex, 1);

  const auto hid = Enumerate(InterfaceType::UsbHid);
  ASSERT_EQ(hid.size(), 2u);
  EXPECT_EQ(hid[0].name, "/dev/hidraw2");
  EXPECT_EQ(hid[0].deviceIndex, 2);
  EXPECT_EQ(hid[1].name, "/dev/hidraw4");
  EXPECT_EQ(hid[1].deviceIndex, 4);

  InterfaceType kind = static_cast<InterfaceType>(-7);
  std::string path = "stale";
  ASSERT_TRUE(FindHidReader(3, &kind, &path));
  EXPECT_EQ(kind, InterfaceType::Unknown);
  EXPECT_EQ(path, "");  // only a reader's path is handed out
  ASSERT_TRUE(FindHidReader(1, &kind, &path));
  EXPECT_EQ(kind, InterfaceType::UsbHidKb);
  EXPECT_EQ(path, "/dev/hidraw1");
  EXPECT_FALSE(FindHidReader(7, &kind, &path));
  EXPECT_EQ(kind, InterfaceType::Unknown);
  EXPECT_EQ(path, "");
  EXPECT_FALSE(FindHidReader(-1, &kind, &path));
}

TEST_F(DiscoveryTest, EnumerationAppendsAndCoversEveryType) {
  devices_->serial = {MotherboardPort("/dev/ttyS0")};
  devices_->hid = {HidEntry("/dev/hidraw0", 0x0F3E, 0x0222)};

  std::vector<ReaderDeviceEntry> list;
  EnumerateReaders(InterfaceType::UsbHid, list);
  EnumerateReaders(InterfaceType::Ps2Keyboard, list);
  EnumerateReaders(InterfaceType::Rs232, list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].interfaceType, InterfaceType::UsbHid);
  EXPECT_EQ(list[1].interfaceType, InterfaceType::Ps2Keyboard);
  EXPECT_EQ(list[1].name, "PS/2 Keyboard port");
  EXPECT_EQ(list[1].deviceIndex, 0);
  EXPECT_EQ(list[2].interfaceType, InterfaceType::Rs232);

  EXPECT_TRUE(Enumerate(InterfaceType::Unknown).empty());
  EXPECT_TRUE(Enumerate(static_cast<InterfaceType>(6)).empty());
  EXPECT_TRUE(Enumerate(static_cast<InterfaceType>(-1)).empty());
  EXPECT_TRUE(Enumerate(InterfaceType::UsbHidKb).empty());
  EXPECT_TRUE(Enumerate(InterfaceType::UsbRs232).empty());

  // The PS/2 entry needs no device at all.
  devices_->serial.clear();
  devices_->hid.clear();
  EXPECT_EQ(Enumerate(InterfaceType::Ps2Keyboard).size(), 1u);
  EXPECT_TRUE(Enumerate(InterfaceType::Rs232).empty());
}

TEST(ReaderEnvironmentTest, OnlyTheSystemEnvironmentReachesTheMachine) {
  // A test's environment sees no device of the machine and no keyboard controller.
  const ReaderEnvironment none;
  ASSERT_NE(none.devices, nullptr);
  EXPECT_TRUE(none.devices->SerialPorts().empty());
  EXPECT_TRUE(none.devices->HidDevices().empty());
  EXPECT_EQ(none.MakeHidDevice("/dev/hidraw0"), nullptr);
  EXPECT_EQ(none.keyboardController, nullptr);
  // The system's is built on purpose only; it lists through libudev.
  const ReaderEnvironment system = ReaderEnvironment::System();
  EXPECT_NE(dynamic_cast<UdevDeviceListing*>(system.devices.get()), nullptr);
  EXPECT_NE(system.keyboardController, nullptr);
}

TEST(InterfaceTableTest, EveryRowNamesOneInterfaceAndItsProductIdsLeadBackToIt) {
  std::vector<std::string> names;
  for (const InterfaceRow& row : INTERFACE_ROWS) {
    EXPECT_EQ(&InterfaceRowOf(row.type), &row);
    InterfaceType parsed = static_cast<InterfaceType>(-1);
    ASSERT_TRUE(ParseLineName(row.lineName, &parsed)) << row.lineName;
    EXPECT_EQ(parsed, row.type);
    EXPECT_EQ(std::count(names.begin(), names.end(), row.lineName), 0) << row.lineName;
    names.emplace_back(row.lineName);
    EXPECT_FALSE(row.hid && row.serial) << row.displayName;
    for (std::uint16_t product : row.productIds) {
      if (product == 0) continue;
      EXPECT_TRUE(row.usb) << row.displayName;
      if (row.hid) {
        EXPECT_EQ(HidInterfaceOfProduct(product), row.type);
      }
    }
    const std::vector<InterfaceType> searched = UsbSearchOrder();
    EXPECT_EQ(std::count(searched.begin(), searched.end(), row.type), row.usb ? 1 : 0);
  }
  EXPECT_EQ(&InterfaceRowOf(static_cast<InterfaceType>(INTERFACE_TYPE_COUNT)), &INTERFACE_ROWS[0]);
}

TEST(UdevDeviceListingTest, ListsThisMachineSortedAndWithNodes) {
  UdevDeviceListing listing;
  for (const auto& devices : {listing.SerialPorts(), listing.HidDevices()}) {
    for (std::size_t i = 0; i < devices.size(); ++i) {
      EXPECT_EQ(devices[i].node.rfind("/dev/", 0), 0u) << devices[i].node;
      if (i > 0) {
        EXPECT_FALSE(DeviceNodeLess(devices[i].node, devices[i - 1].node));
      }
    }
  }
  // Classification over the system listing must not fail either.
  std::vector<ReaderDeviceEntry> list;
  for (InterfaceType line : LINES) EnumerateReaders(listing, line, list);
  EXPECT_FALSE(list.empty());  // at least the PS/2 entry
}

TEST(UdevDeviceListingTest, DeviceNodesSortNumbersByValue) {
  std::vector<ListedDevice> devices = {MotherboardPort("/dev/ttyS10"), MotherboardPort("/dev/ttyUSB0"),
                                       MotherboardPort("/dev/ttyS2"), MotherboardPort("/dev/ttyACM1"),
                                       MotherboardPort("/dev/ttyS1")};
  SortByDeviceNode(devices);
  std::vector<std::string> nodes;
  for (const auto& device : devices) nodes.push_back(device.node);
  EXPECT_EQ(nodes, (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS1", "/dev/ttyS2",
                                             "/dev/ttyS10", "/dev/ttyUSB0"}));

  EXPECT_TRUE(DeviceNodeLess("/dev/hidraw9", "/dev/hidraw10"));
  EXPECT_FALSE(DeviceNodeLess("/dev/hidraw10", "/dev/hidraw9"));
  EXPECT_FALSE(DeviceNodeLess("/dev/hidraw3", "/dev/hidraw3"));
  EXPECT_TRUE(DeviceNodeLess("/dev/hidraw", "/dev/hidraw0"));
  // Leading zeros: equal values still have a strict order, one way only.
  EXPECT_NE(DeviceNodeLess("x01", "x1"), DeviceNodeLess("x1", "x01"));
  EXPECT_TRUE(DeviceNodeLess("x1", "x1a"));
  EXPECT_TRUE(DeviceNodeLess("x1a", "x10"));
}

TEST(UdevDeviceListingTest, UsbAndHidIdsParseStrictly) {
  EXPECT_EQ(ParseUsbIdAttribute("0f3e"), std::optional<std::uint16_t>(0x0F3E));
  EXPECT_EQ(ParseUsbIdAttribute("0217\n"), std::optional<std::uint16_t>(0x0217));
  EXPECT_EQ(ParseUsbIdAttribute("FFFF"), std::optional<std::uint16_t>(0xFFFF));
  EXPECT_FALSE(ParseUsbIdAttribute(""));
  EXPECT_FALSE(ParseUsbIdAttribute("10000"));
  EXPECT_FALSE(ParseUsbIdAttribute("0x3e"));
  EXPECT_FALSE(ParseUsbIdAttribute("\n"));

  const auto ids = ParseHidIdProperty("0003:00000F3E:00000222");
  ASSERT_TRUE(ids);
  EXPECT_EQ(ids->vendorId, 0x0F3E);
  EXPECT_EQ(ids->productId, 0x0222);
  EXPECT_TRUE(ParseHidIdProperty("0005:0000046d:0000b342"));
  EXPECT_FALSE(ParseHidIdProperty(""));
  EXPECT_FALSE(ParseHidIdProperty("0003:00000F3E"));
  EXPECT_FALSE(ParseHidIdProperty("0003:00010F3E:00000222"));  // vendor beyond 16 bits
  EXPECT_FALSE(ParseHidIdProperty("0003::00000222"));
  EXPECT_FALSE(ParseHidIdProperty("0003:00000F3E:00000222:1"));
  EXPECT_FALSE(ParseHidIdProperty("zz:00000F3E:00000222"));
}

}  // namespace
}  // namespace tessaron
