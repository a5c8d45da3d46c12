#pragma once
// The operating system's side of a serial port: opened with the reader's line settings
// (9600 baud, 8 data bits, no parity, one stop bit, no flow control) for this program's use
// alone, and then only three things: drop what came in, write a frame, wait for one byte.
// SerialPort keeps the timing of an exchange (the pauses, the silence that ends a reply,
// fast mode) above it, the same on every system; each system has a file of its own that
// defines OpenSerialLine.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "core/byte_string.h"
#include "core/port_error.h"

namespace tessaron {

using SteadyTime = std::chrono::steady_clock::time_point;

// How a write or a wait for a byte ended.
enum class LineWait { Done, TimedOut, Failed };

class SerialLine {
 public:
  SerialLine() = default;
  // Gives the port back with the settings it had before.
  virtual ~SerialLine() = default;
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // Drops every byte received and not read yet.
  virtual void DropInput() = 0;
  // Hands all count bytes to the line and waits until they have left it, until deadline.
  // When that fails or does not happen in time, nothing of them is left to go out later.
  virtual LineWait Write(const Byte* bytes, std::size_t count, SteadyTime deadline) = 0;
  // Waits for one byte until deadline. A time-out leaves no read pending.
  virtual LineWait ReadByte(Byte* byte, SteadyTime deadline) = 0;
  // The operating system's code of the last write or read that timed out or failed.
  virtual int LastOsError() const = 0;
};

// Whether text names a serial port by the system's name for it rather than by a path:
// COM and a number (COM7, in any letter case), also behind the device prefix (\\.\COM12), on
// Windows; never on Linux, where every port is a device node.
bool IsSerialPortName(const std::string& text);

// Opens the serial port at path (a device node, or a port name such as COM7) for this
// program alone and applies the line settings. Null, with failure saying why, when it
// cannot be had.
std::unique_ptr<SerialLine> OpenSerialLine(const std::string& path, PortError* failure);

// For a signal handler that ends the program at once: gives every serial line this process
// holds open back as its destruction would (the settings it had, exclusive use off), so that
// the next program may open it. Async-signal-safe; the lines must not be used afterwards.
// Nothing to do where the system gives a port back with the process (Windows).
void ReleaseSerialLinesAtOnce() noexcept;

}  // namespace tessaron
