#pragma once
// HidDevice on Windows, through hid.dll: the device path of a HID interface, its HID
// attributes, the feature report length of its capabilities, and feature reports.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "transport/hid_device.h"

namespace tessaron {

class HidDllDevice : public HidDevice {
 public:
  HidDllDevice() = default;
  ~HidDllDevice() override;

  // readWrite false opens the device without access rights: a keyboard-class reader belongs
  // to the system's keyboard driver, and device queries and feature reports work without.
  bool Open(const std::string& path, bool readWrite) override;
  bool GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) override;
  // FeatureReportByteLength of the device's capabilities (the report ID included).
  bool GetFeatureReportLength(std::uint32_t* length) override;
  bool SetFeature(const Byte* report, std::size_t length) override;
  bool GetFeature(Byte* report, std::size_t length) override;
  void Close() override;
  int LastOsError() const override { return static_cast<int>(lastError_); }

 private:
  bool Fail() {
    lastError_ = ::GetLastError();
    return false;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DWORD lastError_ = 0;
};

}  // namespace tessaron
