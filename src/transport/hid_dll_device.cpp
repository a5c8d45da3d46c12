#include "transport/hid_dll_device.h"

// After windows.h, in this order: each needs the ones before it. The HID headers declare
// C functions without saying so.
#include <ntdef.h>
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include <limits>

namespace tessaron {

HidDllDevice::~HidDllDevice() { Close(); }

bool HidDllDevice::Open(const std::string& path, bool readWrite) {
  Close();
  const DWORD access = readWrite ? GENERIC_READ | GENERIC_WRITE : 0;
  handle_ = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  return handle_ != INVALID_HANDLE_VALUE || Fail();
}

bool HidDllDevice::GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) {
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (!::HidD_GetAttributes(handle_, &attributes)) return Fail();
  *vendorId = attributes.VendorID;
  *productId = attributes.ProductID;
  return true;
}

bool HidDllDevice::GetFeatureReportLength(std::uint32_t* length) {
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!::HidD_GetPreparsedData(handle_, &preparsed) || preparsed == nullptr) return Fail();
  HIDP_CAPS capabilities{};
  const NTSTATUS status = ::HidP_GetCaps(preparsed, &capabilities);
  ::HidD_FreePreparsedData(preparsed);
  if (status != HIDP_STATUS_SUCCESS) {
    lastError_ = 0;  // the device's description could not be read; the system gives no code
    return false;
  }
  *length = capabilities.FeatureReportByteLength;
  return true;
}

bool HidDllDevice::SetFeature(const Byte* report, std::size_t length) {
  if (length > std::numeric_limits<ULONG>::max()) return false;
  return ::HidD_SetFeature(handle_, const_cast<Byte*>(report), static_cast<ULONG>(length)) ||
         Fail();
}

bool HidDllDevice::GetFeature(Byte* report, std::size_t length) {
  if (length > std::numeric_limits<ULONG>::max()) return false;
  return ::HidD_GetFeature(handle_, report, static_cast<ULONG>(length)) || Fail();
}

void HidDllDevice::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace tessaron
