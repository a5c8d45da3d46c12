#pragma once
// One HID device as the HID port sees it: opened by path, asked for its USB ids and its
// feature report length, and driven by feature reports only. The real back-ends are Linux
// hidraw and Windows hid.dll; the simulator and the tests bring factories of their own (see
// reader_environment.h).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/byte_string.h"

namespace tessaron {

class HidDevice {
 public:
  HidDevice() = default;
  virtual ~HidDevice() = default;
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  // Opens the device at path. readWrite false asks for the least access that still allows
  // the attribute query and feature reports (a keyboard-class reader is held by the system).
  virtual bool Open(const std::string& path, bool readWrite) = 0;
  // USB vendor and product id of the open device.
  virtual bool GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) = 0;
  // Byte length of the device's longest feature report plus one byte for the report ID;
  // 0 when the device declares no feature report. False when it cannot be determined.
  virtual bool GetFeatureReportLength(std::uint32_t* length) = 0;
  // Sends one feature report; report[0] is the report ID.
  virtual bool SetFeature(const Byte* report, std::size_t length) = 0;
  // Fetches one feature report; report[0] holds the report ID on entry.
  virtual bool GetFeature(Byte* report, std::size_t length) = 0;
  virtual void Close() = 0;
  // The errno of the last call that failed for a reason the operating system gave; 0 when
  // there was none (a device that could not be parsed, or one that keeps no errno).
  virtual int LastOsError() const { return 0; }
};

// Makes an unopened device object for a path; may return nullptr when no device can be.
using HidDeviceFactory = std::function<std::unique_ptr<HidDevice>(const std::string& path)>;

}  // namespace tessaron
