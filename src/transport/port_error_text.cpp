#include "transport/port_error_text.h"

#include <utility>

#include "transport/port_failure.h"

#ifndef TESSARON_KBC_GROUP
#define TESSARON_KBC_GROUP "tessaron"
#endif

namespace tessaron {

PortError PortFailure(PortErrorKind kind, const std::string& device, int osError,
                      std::string detail) {
  PortError error;
  error.kind = kind;
  error.osError = osError;
  error.device = device;
  error.detail = std::move(detail);
  return error;
}

namespace {

bool IsSerialLine(InterfaceType line) {
  return line == InterfaceType::Rs232 || line == InterfaceType::UsbRs232;
}

bool IsHidLine(InterfaceType line) {
  return IsHidInterface(line);
}

// The device concerned, as the user knows it.
std::string Where(const PortError& error, InterfaceType line) {
  if (line == InterfaceType::Ps2Keyboard) return "the PS/2 keyboard line";
  if (!error.device.empty()) return error.device;
  return IsHidLine(line) ? "the reader's HID device" : "the reader's port";
}

// The operating system's words for the error, else what the port noted.
std::string Reason(const PortError& error) {
  std::string reason = OsErrorText(error.osError);
  if (reason.empty()) return error.detail;
  return error.detail.empty() ? reason : error.detail + ": " + reason;
}

// " (reason)", or nothing when there is none.
std::string InBrackets(const std::string& reason) {
  return reason.empty() ? std::string() : " (" + reason + ")";
}

std::string AccessDenied(const PortError& error, InterfaceType line) {
  const std::string what = error.osError != 0 ? OsErrorText(error.osError) : "Permission denied";
  return what + " on " + Where(error, line) + ": " + AccessRemedy(line);
}

std::string Busy(const PortError& error, InterfaceType line) {
  const std::string where = Where(error, line);
  if (error.holderPid > 0) {
    std::string holder = "process " + std::to_string(error.holderPid);
    if (!error.holderName.empty()) holder += " (" + error.holderName + ")";
    return where + " is in use by " + holder + ": close that program and try again.";
  }
  return where + " is in use by another program: close it and try again.";
}

std::string NotPresent(const PortError& error, InterfaceType line) {
  std::string head = error.device.empty() ? std::string("The reader is not present")
                                          : "The reader is not present at " + error.device;
  if (line == InterfaceType::Ps2Keyboard) head = "The reader is not present on the PS/2 keyboard line";
  return head + InBrackets(Reason(error)) + ": check the cable and the connection.";
}

std::string NotAReader(const PortError& error, InterfaceType line) {
  const std::string found = error.detail.empty() ? std::string() : " (found " + error.detail + ")";
  const std::string remedy = IsSerialLine(line) ? "choose the port the reader is connected to."
                                                : "choose the reader's device.";
  return Where(error, line) + " is no " + InterfaceDisplayName(line) + " reader" + found + ": " +
         remedy;
}

// device is the helper's file, which needs the right.
std::string NoPortAccess(const PortError& error) {
  if (error.detail == KBC_GROUP_ONLY) {
    const std::string group = TESSARON_KBC_GROUP;
    const std::string reason = OsErrorText(error.osError);
    const std::string what = error.device.empty() || reason.empty()
                                 ? error.device + reason
                                 : error.device + ": " + reason;
    return "The PS/2 keyboard line is only for the members of the group " + group +
           InBrackets(what) + ": sudo usermod -aG " + group + " $USER, then log in again.";
  }
  const std::string head = "Access to the keyboard controller's ports was refused" +
                           InBrackets(Reason(error)) + ": ";
  if (error.detail == KERNEL_LOCKED_DOWN) {
    return head + "kernel lockdown (Secure Boot) forbids port access to every program, even "
                  "to root; the PS/2 keyboard line works only with lockdown off.";
  }
  const std::string helper = error.device.empty() ? "tessaron-kbc" : error.device;
  return head + "the PS/2 keyboard line needs CAP_SYS_RAWIO for its helper; give it the right "
                "(sudo setcap cap_sys_rawio+ep " +
         helper + "); under kernel lockdown (Secure Boot) even root is refused.";
}

std::string NoReply(const PortError& error, InterfaceType line) {
  const char* check = line == InterfaceType::Ps2Keyboard
                          ? "plugged in between the keyboard and the computer."
                          : (IsHidLine(line) ? "plugged in." : "connected to this port.");
  return "The reader did not answer on " + Where(error, line) + InBrackets(error.detail) +
         ": check that it is powered and " + check;
}

// Starts the line with a capital letter (a device node starts with '/' and stays).
std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
  }
  return text;
}

std::string TransferFailed(const PortError& error, InterfaceType line) {
  return "The transfer on " + Where(error, line) + " failed" + InBrackets(Reason(error)) +
         ": the reader may have been unplugged; check the connection and try again.";
}

std::string CauseOf(const PortError& error, InterfaceType line) {
  switch (error.kind) {
    case PortErrorKind::None:
      return std::string();
    case PortErrorKind::AccessDenied:
      return AccessDenied(error, line);
    case PortErrorKind::Busy:
      return Busy(error, line);
    case PortErrorKind::NotPresent:
      return NotPresent(error, line);
    case PortErrorKind::NotAReader:
      return NotAReader(error, line);
    case PortErrorKind::NoPortAccess:
      return NoPortAccess(error);
    case PortErrorKind::NoReply:
      return NoReply(error, line);
    case PortErrorKind::TransferFailed:
      return TransferFailed(error, line);
    case PortErrorKind::Stopped:
      return error.detail + "; nothing more was sent to " + Where(error, line) + ".";
    case PortErrorKind::Other:
      break;
  }
  const std::string reason = Reason(error);
  return Where(error, line) + ": " + (reason.empty() ? "the reader could not be reached" : reason) +
         ".";
}

}  // namespace

std::string PortErrorCause(const PortError& error, InterfaceType line) {
  return Sentence(CauseOf(error, line));
}

}  // namespace tessaron
