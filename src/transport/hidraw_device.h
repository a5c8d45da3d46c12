#pragma once
// HidDevice on a Linux hidraw node (/dev/hidrawN).

#include <cstddef>
#include <cstdint>
#include <string>

#include "transport/hid_device.h"

namespace tessaron {

// The size field of the feature-report ioctls has 14 bits: no longer report can be moved.
constexpr std::uint32_t HIDRAW_MAX_REPORT_LENGTH = (1u << 14) - 1;

class HidrawDevice : public HidDevice {
 public:
  HidrawDevice() = default;
  ~HidrawDevice() override;

  // readWrite true opens the node O_RDWR. Without it the node is opened O_RDONLY: Linux
  // has no descriptor without access rights that still takes ioctls, and read access is
  // the least the attribute, descriptor and feature-report ioctls work with.
  bool Open(const std::string& path, bool readWrite) override;
  bool GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) override;
  // Parsed from the report descriptor; a length the ioctls cannot move counts as unreadable.
  bool GetFeatureReportLength(std::uint32_t* length) override;
  bool SetFeature(const Byte* report, std::size_t length) override;
  bool GetFeature(Byte* report, std::size_t length) override;
  void Close() override;
  int LastOsError() const override { return lastOsError_; }

 private:
  // Records the errno of a failed call (0 for a failure of this program's own checks).
  bool Fail(int osError) {
    lastOsError_ = osError;
    return false;
  }

  int fd_ = -1;
  int lastOsError_ = 0;
};

}  // namespace tessaron
