#pragma once
// The one line that says why a reader port failed and what the user can do about it,
// shown by both programs after their own message.

#include <string>

#include "core/interface_type.h"
#include "core/port_error.h"

namespace tessaron {

// The detail of a refused keyboard-controller access when the kernel is locked down (Secure
// Boot): then no program gets the ports, whatever its rights.
inline constexpr const char* KERNEL_LOCKED_DOWN = "the kernel is locked down";

// The detail of a refused keyboard-controller access when this account may not run the
// helper: the helper is for the members of its group only.
inline constexpr const char* KBC_GROUP_ONLY = "the account is not in the helper's group";

// Empty when the error is PortErrorKind::None. line is the interface of the port that
// failed; it decides the remedy (the dialout group for serial ports, the udev rules for
// hidraw devices, the helper's group or CAP_SYS_RAWIO for the keyboard controller).
std::string PortErrorCause(const PortError& error, InterfaceType line);

}  // namespace tessaron
