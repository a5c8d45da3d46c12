// The Windows side of port_failure.h: error codes are the last-error codes of the system.

#include <windows.h>

#include "transport/port_failure.h"

namespace tessaron {

PortErrorKind OpenErrorKind(int osError) {
  switch (static_cast<DWORD>(osError)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_UNIT:
      return PortErrorKind::NotPresent;
    // A COM port that another program holds answers "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return PortErrorKind::Busy;
    default:
      return PortErrorKind::Other;
  }
}

PortError OpenFailure(int osError, const std::string& device) {
  return PortFailure(OpenErrorKind(osError), device, osError);
}

PortError BusyFailure(int osError, const std::string& device) {
  return PortFailure(PortErrorKind::Busy, device, osError);
}

// Windows does not tell which process holds a device.
bool FindDeviceHolder(const std::string&, long*, std::string*) { return false; }

PortErrorKind DeviceQueryErrorKind(int osError) {
  switch (static_cast<DWORD>(osError)) {
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NOT_SUPPORTED:
      return PortErrorKind::NotAReader;
    default:
      return OpenErrorKind(osError) == PortErrorKind::NotPresent ? PortErrorKind::NotPresent
                                                                : PortErrorKind::Other;
  }
}

std::string OsErrorText(int osError) {
  if (osError == 0) return std::string();
  char text[512] = {};
  const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(osError), 0, text,
                                        sizeof text, nullptr);
  std::string words(text, length);
  // The system's sentences end with a full stop and a line end; the messages go on after them.
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                            words.back() == '.')) {
    words.pop_back();
  }
  return words.empty() ? "system error " + std::to_string(osError) : words;
}

std::string AccessRemedy(InterfaceType) {
  return "close the program that uses it, or ask an administrator for access to it.";
}

}  // namespace tessaron
