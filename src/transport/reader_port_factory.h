#pragma once
// Makes the reader port that serves an interface type.

#include <memory>

#include "core/interface_type.h"
#include "core/reader_port.h"
#include "transport/transport_timing.h"

namespace tessaron {

// SerialPort for "RS232" and "USB-RS232", HidPort for "USB-HID-KB" and "USB-HID",
// KeyboardPort for "PS/2 Keyboard". Any other value gives no port, after the message
// "ERROR Interface Type!".
std::unique_ptr<ReaderPort> CreateReaderPort(InterfaceType type,
                                             const TransportTiming& timing = TransportTiming::Real());

}  // namespace tessaron
