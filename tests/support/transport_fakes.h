#pragma once
// What the tests of the lines share: time limits small enough for tests, and a device listing
// over lists the test fills in.

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sim/simulated_hid_device.h"
#include "support/readable_names.h"
#include "transport/discovery.h"
#include "transport/reader_environment.h"
#include "transport/transport_timing.h"

namespace tessaron::test_support {

// Every wait of the three lines still exists, scaled down: the serial line's pause and
// write wait, the HID line without pauses, the keyboard line's short waits and limits.
inline TransportTiming FastTiming(Millis serialPerByteWait = Millis(60)) {
  TransportTiming timing = TransportTiming::Real();
  timing.serial.writeWait = Millis(50);
  timing.serial.replyPause = Millis(30);
  timing.serial.perByteWait = serialPerByteWait;
  timing.hid.retryPause = Millis(0);
  timing.hid.replyPause = Millis(0);
  timing.hid.pollPause = Millis(0);
  timing.keyboard.byteWait = Millis(20);
  timing.keyboard.ackedBytePause = Millis(0);
  timing.keyboard.setAckPausePerByte = Millis(0);
  timing.keyboard.setAckWait = Millis(40);
  timing.keyboard.replyLimit = Millis(60);
  timing.keyboard.replyByteWait = Millis(2);
  timing.keyboard.afterTransaction = Millis(0);
  return timing;
}

// A serial port of the PC itself: no USB device above it.
inline ListedDevice MotherboardPort(const std::string& node) { return {node, false, 0, 0, false}; }
// A serial port of a USB device: the reader's own port, or a USB serial adapter.
inline ListedDevice UsbPort(const std::string& node, std::uint16_t vendor, std::uint16_t product) {
  return {node, true, vendor, product, true};
}
// A HID device with readable ids.
inline ListedDevice HidEntry(const std::string& node, std::uint16_t vendor, std::uint16_t product) {
  return {node, false, vendor, product, true};
}

// Presents the serial ports and HID devices in its lists; after the HID entries, the
// simulated HID devices that are not unplugged, with the ids they present at the time.
class TestListing : public DeviceListing {
 public:
  TestListing() = default;
  explicit TestListing(std::vector<ListedDevice> serialPorts,
                       std::vector<ListedDevice> hidDevices = {})
      : serial(std::move(serialPorts)), hid(std::move(hidDevices)) {}

  std::vector<ListedDevice> SerialPorts() override { return serial; }
  bool OffersKeyboardLine() override { return keyboardLine; }
  std::vector<ListedDevice> HidDevices() override {
    std::vector<ListedDevice> listed = hid;
    for (const auto& device : simulated) {
      // Asked each time: a reader that switched its interface shows its new product id.
      if (unplugged.count(device.get()) == 0) listed.push_back(device->Listing());
    }
    return listed;
  }

  std::vector<ListedDevice> serial;
  std::vector<ListedDevice> hid;
  std::vector<std::shared_ptr<sim::SimulatedHidDevice>> simulated;
  std::set<const sim::SimulatedHidDevice*> unplugged;  // of simulated: not listed for now
  bool keyboardLine = true;  // false: a system without the PS/2 line, as Windows
};

// Readers on the devices of a listing with the given timing; no HID device opens, and there
// is no keyboard controller access.
inline ReaderEnvironment ReadersOn(std::shared_ptr<DeviceListing> listing,
                                   const TransportTiming& timing = FastTiming()) {
  ReaderEnvironment readers;
  readers.devices = std::move(listing);
  readers.timing = timing;
  return readers;
}

}  // namespace tessaron::test_support
