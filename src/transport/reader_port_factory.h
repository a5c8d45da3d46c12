#pragma once
// Makes the reader port that serves an interface type, from the reader environment.

#include <memory>

#include "core/interface_type.h"
#include "core/reader_port.h"
#include "transport/reader_environment.h"

namespace tessaron {

// SerialPort for "RS232" and "USB-RS232", HidPort for "USB-HID-KB" and "USB-HID",
// KeyboardPort for "PS/2 Keyboard", each with the environment's devices and timing, and
// wrapped by its wrapper. Any other value gives no port (the caller says "ERROR Interface
// Type!").
std::unique_ptr<ReaderPort> CreateReaderPort(InterfaceType type,
                                             const ReaderEnvironment& environment);

// The message for an interface type that no port serves.
inline constexpr const char* INTERFACE_TYPE_ERROR_TEXT = "ERROR Interface Type!";

}  // namespace tessaron
