#pragma once
// How the ports describe a failure: the kinds of an open() errno, the error of a device
// that is busy with the process that holds it, and a short way to make any other error.

#include <string>

#include "core/port_error.h"

namespace tessaron {

// An error of this kind about device, with the errno of the failing call (0 when none)
// and what else is worth saying.
PortError PortFailure(PortErrorKind kind, const std::string& device, int osError = 0,
                      std::string detail = std::string());

// The kind of an open() errno: EACCES and EPERM are AccessDenied; ENOENT, ENODEV and ENXIO
// NotPresent; EBUSY Busy; anything else Other.
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

}  // namespace tessaron
