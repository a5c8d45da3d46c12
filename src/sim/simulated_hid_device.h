#pragma once
// The simulated reader on the USB HID line: a HID device that takes command frames as
// feature reports (report ID 0), hands the reply out chunk by chunk on get-feature and
// idle reports (byte 1 = 0x15, the rest 0) after it. Input that has not formed a frame
// when the host starts polling is dropped. A settings write that changes the
// USB HID format makes the device re-appear with the other product id: handles opened
// before fail from then on, as after a real re-enumeration.
//
// One SimulatedHidDevice is the device itself and also a handle on it; NewHandle gives
// further handles on the same device (what a HidDeviceFactory hands to a port).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "sim/simulated_reader.h"
#include "transport/discovery.h"
#include "transport/hid_device.h"

namespace tessaron::sim {

constexpr std::uint32_t SIM_HID_DEFAULT_REPORT_LENGTH = 9;
constexpr char SIM_HID_DEFAULT_PATH[] = "/dev/hidraw-sim0";
// Input that grows beyond this without forming a frame is thrown away, as a reader's
// receive buffer would overflow.
constexpr std::size_t SIM_HID_MAX_PENDING_INPUT = 2048;

struct SimulatedHidOptions {
  std::string path = SIM_HID_DEFAULT_PATH;
  std::uint32_t featureReportLength = SIM_HID_DEFAULT_REPORT_LENGTH;  // report ID included
  std::uint16_t vendorId = READER_VENDOR_ID;
  // 0: follow the reader's USB HID format ("8": 0x0221 keyboard format, else 0x0222).
  std::uint16_t productId = 0;
};

class SimulatedHidDevice : public HidDevice {
 public:
  // reader must outlive the device and every handle on it.
  explicit SimulatedHidDevice(SimulatedReader& reader, SimulatedHidOptions options = {});
  ~SimulatedHidDevice() override;

  // HidDevice, for this handle.
  bool Open(const std::string& path, bool readWrite) override;
  bool GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) override;
  bool GetFeatureReportLength(std::uint32_t* length) override;
  bool SetFeature(const Byte* report, std::size_t length) override;
  bool GetFeature(Byte* report, std::size_t length) override;
  void Close() override;

  // A further, unopened handle on the same device.
  std::unique_ptr<HidDevice> NewHandle() const;
  // A factory that hands out handles on this device for its path (and nothing for other
  // paths). The factory keeps the device's state alive.
  HidDeviceFactory Factory() const;

  std::string Path() const;
  std::uint16_t VendorId() const;
  // The product id the device presents now.
  std::uint16_t ProductId() const;
  // The device as discovery lists it, with its current ids.
  ListedDevice Listing() const;
  // Times the device re-appeared after a change of the USB HID format.
  std::size_t Reenumerations() const;

  // Test knobs.
  // The next count set-feature calls fail (the report is not taken).
  void FailNextSetFeatures(std::size_t count);
  // false: every get-feature fails from now on.
  void SetAnswering(bool answering);
  // After count more successful get-feature calls, every get-feature fails.
  void StopAnsweringAfter(std::size_t count);
  // true: commands still reach the reader, but get-feature only ever gives idle reports.
  void SetIdleOnly(bool idleOnly);
  // A slow reader: before each chunk of a reply, count get-feature calls give idle reports.
  void SetIdleReadsBeforeChunks(std::size_t count);

  // What arrived and went out, for tests.
  std::vector<ByteString> ReceivedReports() const;
  std::size_t SetFeatureCalls() const;
  std::size_t GetFeatureCalls() const;
  std::size_t OpenCalls() const;
  // Access asked for by the most recent Open on any handle.
  bool LastOpenReadWrite() const;

 private:
  struct Shared;
  explicit SimulatedHidDevice(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> shared_;
  bool open_ = false;
  std::size_t openedGeneration_ = 0;  // device generation this handle was opened on
};

// A factory that serves several simulated devices by their paths.
HidDeviceFactory MakeSimulatedHidFactory(
    const std::vector<std::shared_ptr<SimulatedHidDevice>>& devices);

}  // namespace tessaron::sim
