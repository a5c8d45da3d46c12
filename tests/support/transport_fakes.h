#pragma once
// What the tests of the lines share: time limits small enough for tests, and a device listing
// over fixed lists.

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "transport/discovery.h"
#include "transport/transport_timing.h"

namespace tessaron::testing {

// Every wait of the three lines still exists, scaled down: the serial line's pause and
// write wait, the HID line without pauses, the keyboard line's short waits and limits.
inline TransportTiming FastTiming(Millis serialPerByteWait = Millis(100)) {
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

// Present devices from fixed lists: serial ports by their nodes, HID devices as given.
class FixedListing : public DeviceListing {
 public:
  explicit FixedListing(std::vector<std::string> serialNodes = {},
                        std::vector<ListedDevice> hidDevices = {})
      : serialNodes_(std::move(serialNodes)), hidDevices_(std::move(hidDevices)) {}
  std::vector<ListedDevice> SerialPorts() override {
    std::vector<ListedDevice> devices;
    for (const std::string& node : serialNodes_) devices.push_back(ListedDevice{node});
    return devices;
  }
  std::vector<ListedDevice> HidDevices() override { return hidDevices_; }

 private:
  std::vector<std::string> serialNodes_;
  std::vector<ListedDevice> hidDevices_;
};

// Installs a listing for the life of the object and puts the previous one back.
class ScopedListing {
 public:
  explicit ScopedListing(std::shared_ptr<DeviceListing> listing)
      : previous_(SetDeviceListing(std::move(listing))) {}
  ~ScopedListing() { SetDeviceListing(previous_); }
  ScopedListing(const ScopedListing&) = delete;
  ScopedListing& operator=(const ScopedListing&) = delete;

 private:
  std::shared_ptr<DeviceListing> previous_;
};

}  // namespace tessaron::testing
