#include "transport/hidraw_device.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "transport/report_descriptor.h"

namespace tessaron {

namespace {

// ioctl that is restarted when a signal interrupts it.
template <typename Arg>
int IoctlRetrying(int fd, unsigned long request, Arg arg) {
  int result;
  do {
    result = ::ioctl(fd, request, arg);
  } while (result < 0 && errno == EINTR);
  return result;
}

}  // namespace

HidrawDevice::~HidrawDevice() { Close(); }

bool HidrawDevice::Open(const std::string& path, bool readWrite) {
  Close();
  lastOsError_ = 0;
  if (path.empty()) return Fail(ENOENT);
  const int flags = (readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  int fd;
  do {
    fd = ::open(path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail(errno);
  fd_ = fd;
  return true;
}

bool HidrawDevice::GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) {
  if (fd_ < 0) return Fail(EBADF);
  if (vendorId == nullptr || productId == nullptr) return Fail(EINVAL);
  hidraw_devinfo info;
  std::memset(&info, 0, sizeof info);
  if (IoctlRetrying(fd_, HIDIOCGRAWINFO, &info) < 0) return Fail(errno);
  *vendorId = static_cast<std::uint16_t>(info.vendor);
  *productId = static_cast<std::uint16_t>(info.product);
  return true;
}

bool HidrawDevice::GetFeatureReportLength(std::uint32_t* length) {
  if (length == nullptr) return Fail(EINVAL);
  *length = 0;
  if (fd_ < 0) return Fail(EBADF);
  int size = 0;
  if (IoctlRetrying(fd_, HIDIOCGRDESCSIZE, &size) < 0) return Fail(errno);
  if (size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) return Fail(0);
  // The structure holds the largest descriptor there can be; keep it off the stack.
  std::vector<hidraw_report_descriptor> holder(1);
  hidraw_report_descriptor& descriptor = holder.front();
  std::memset(&descriptor, 0, sizeof descriptor);
  descriptor.size = static_cast<__u32>(size);
  if (IoctlRetrying(fd_, HIDIOCGRDESC, &descriptor) < 0) return Fail(errno);
  const std::size_t count = descriptor.size <= HID_MAX_DESCRIPTOR_SIZE
                                ? descriptor.size
                                : static_cast<std::size_t>(HID_MAX_DESCRIPTOR_SIZE);
  std::uint32_t computed = 0;
  if (!ComputeFeatureReportByteLength(descriptor.value, count, &computed)) return Fail(0);
  if (computed > HIDRAW_MAX_REPORT_LENGTH) return Fail(0);
  *length = computed;
  return true;
}

bool HidrawDevice::SetFeature(const Byte* report, std::size_t length) {
  if (fd_ < 0) return Fail(EBADF);
  if (report == nullptr || length == 0 || length > HIDRAW_MAX_REPORT_LENGTH) return Fail(EINVAL);
  // The ioctl takes a writable buffer.
  std::vector<Byte> buffer(report, report + length);
  if (IoctlRetrying(fd_, HIDIOCSFEATURE(length), buffer.data()) < 0) return Fail(errno);
  return true;
}

bool HidrawDevice::GetFeature(Byte* report, std::size_t length) {
  if (fd_ < 0) return Fail(EBADF);
  if (report == nullptr || length == 0 || length > HIDRAW_MAX_REPORT_LENGTH) return Fail(EINVAL);
  if (IoctlRetrying(fd_, HIDIOCGFEATURE(length), report) < 0) return Fail(errno);
  return true;
}

void HidrawDevice::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace tessaron
