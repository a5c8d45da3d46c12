#pragma once
// The reader port for USB readers that present themselves as HID devices: "USB-HID-KB"
// (3) and "USB-HID" (5). Commands go out cut into feature reports; the reply is collected
// by polling feature reports until the reader has nothing more to send.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/interface_type.h"
#include "core/reader_port.h"
#include "transport/discovery.h"
#include "transport/hid_device.h"
#include "transport/transport_timing.h"

namespace tessaron {

// Report ID of every feature report sent.
constexpr Byte HID_REPORT_ID = 0x00;
// Attempts per report sent.
constexpr int HID_SEND_ATTEMPTS = 3;
// Reads per polling step.
constexpr int HID_READS_PER_POLL = 3;

class HidPort : public ReaderPort {
 public:
  // Any type other than USB-HID-KB becomes USB-HID. devices are the present devices that Open by index
  // looks at (none: no device); makeDevice makes the device object for a path.
  explicit HidPort(InterfaceType type, const TransportTiming& timing = TransportTiming::Real(),
                   std::shared_ptr<DeviceListing> devices = nullptr,
                   HidDeviceFactory makeDevice = nullptr);
  ~HidPort() override;

  InterfaceType GetInterfaceType() const override { return interfaceType_; }
  std::string GetPortName(std::string& out) const override;

  // Whether a device is open (the counterpart of a valid device handle).
  bool HasDevice() const { return device_ != nullptr; }
  // Feature report length n of the open device (report ID included); 0 while closed.
  std::uint32_t FeatureReportLength() const { return featureReportLength_; }
  const TransportTiming& Timing() const { return timing_; }

 protected:
  bool OpenDevice(DeviceIndex index) override;
  bool OpenDeviceAt(const std::string& path) override;
  void CloseDevice() override;
  // A set command (letter 0x53) succeeds when its reply begins with the acknowledgement;
  // every other command once its reply has been collected.
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override;

 private:
  InterfaceType interfaceType_;
  std::unique_ptr<HidDevice> device_;     // none while closed
  std::string devicePath_;                // empty while closed
  std::uint32_t featureReportLength_ = 0; // the device's capabilities; 0 while closed
  // The last exchange heard nothing back: a reader that wakes later may still hand out its
  // reply, which must not be taken for the next one's.
  bool lastUnanswered_ = false;
  TransportTiming timing_;
  std::shared_ptr<DeviceListing> devices_;
  HidDeviceFactory makeDevice_;

  // One feature report into report: true for data; an idle report sets idle, a failed read
  // readError (and leaves report zeroed).
  bool ReadReport(std::vector<Byte>& report, bool* idle, int* readError);
  // A polling step: up to three reads, each without data followed by the poll pause.
  bool PollStep(std::vector<Byte>& report, bool* idle, int* readError);
  // Fast mode: reads with the short pause until data comes, or until window has passed and
  // a polling step's worth of reads has been made.
  bool PollFast(std::vector<Byte>& report, Millis window, bool* idle, int* readError);
  // Fast mode: reads away whatever an earlier reply left, until the device is idle.
  void DrainReplies(std::vector<Byte>& report);
};

}  // namespace tessaron
