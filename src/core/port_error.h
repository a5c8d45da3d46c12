#pragma once
// Why a reader port could not be opened or could not finish an exchange, kept by the port
// so that the programs can say what went wrong and what the user can do about it.

#include <string>

namespace tessaron {

enum class PortErrorKind {
  None,
  AccessDenied,      // the device node may not be opened by this user (EACCES, EPERM)
  Busy,              // another program holds the device (EBUSY, a lock); holder when known
  NotPresent,        // no such device node, or nothing at that device index (ENOENT, ENODEV)
  NotAReader,        // the device is there but is not a reader of this line
  NoPortAccess,      // the keyboard controller's I/O ports were refused (needs CAP_SYS_RAWIO)
  NoReply,           // the reader did not answer within the line's time limits
  TransferFailed,    // a write or read on the open device failed (osError says why)
  Other,             // any other operating-system error (osError says which)
  Stopped,           // the run was asked to stop (a signal): nothing more was sent (detail)
};

struct PortError {
  PortErrorKind kind = PortErrorKind::None;
  int osError = 0;          // errno of the failing call, 0 when there is none
  std::string device;       // device node or port name concerned, when known
  long holderPid = 0;       // Busy: the process that holds the device, 0 when unknown
  std::string holderName;   // Busy: that process's command name, when known
  std::string detail;       // anything else worth saying (the failing call, USB ids seen)

  bool Failed() const { return kind != PortErrorKind::None; }
};

}  // namespace tessaron
