#pragma once
// How the ports describe a failure: the kinds of the system's error codes, the error of a
// device that is busy with the process that holds it, a short way to make any other error,
// and the words of the system for an error and for what the user can do. The error codes
// are the system's own (errno on Linux, the last-error codes on Windows); each system has a
// file of its own that defines what depends on them (port_failure.cpp on Linux,
// win_port_failure.cpp on Windows).

#include <string>

#include "core/interface_type.h"
#include "core/port_error.h"

namespace tessaron {

// An error of this kind about device, with the errno of the failing call (0 when none)
// and what else is worth saying.
PortError PortFailure(PortErrorKind kind, const std::string& device, int osError = 0,
                      std::string detail = std::string());

// The kind of an open() errno: EACCES and EPERM are AccessDenied; ENOENT, ENODEV and ENXIO
// NotPresent; EBUSY Busy; anything else Other. (Windows: a port in use answers "access
// denied", so that is Busy there.)
PortErrorKind OpenErrorKind(int osError);

// The error of a failed open of device with errno osError. A busy device names its holder
// when one can be found.
PortError OpenFailure(int osError, const std::string& device);

// The error of a device that some process holds (a lock or exclusive use); the holder is
// looked up. osError is the errno that said so (EWOULDBLOCK, EBUSY).
PortError BusyFailure(int osError, const std::string& device);

// Looks for the process that holds the device node at path: the owner of an advisory lock
// on it (/proc/locks, matched by the node's device and inode), else a process that has it
// open (/proc/PID/fd). name receives /proc/PID/comm when it can be read. False when no
// holder can be seen (another user's processes are hidden from an ordinary user).
bool FindDeviceHolder(const std::string& path, long* pid, std::string* name);

// The kind of a failed query of a device's identity: a device that takes no HID request is
// no reader, one that has gone is not present, anything else is Other.
PortErrorKind DeviceQueryErrorKind(int osError);

// The system's words for an error code; empty for 0.
std::string OsErrorText(int osError);

// What the user can do when the system refused a device of this line to this user.
std::string AccessRemedy(InterfaceType line);

}  // namespace tessaron
