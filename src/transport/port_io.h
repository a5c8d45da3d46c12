#pragma once
// Raw, byte-wide access to the I/O ports of the PC's keyboard controller.
// The keyboard line's transport reaches the controller only through this interface; the
// real back-end uses ioperm/inb/outb inside the helper process tessaron-kbc, the simulator
// brings a model of the controller.

#include <cstdint>

namespace tessaron {

// The i8042 keyboard controller's ports.
constexpr std::uint16_t KBC_DATA_PORT = 0x60;    // bytes to and from the keyboard line
constexpr std::uint16_t KBC_STATUS_PORT = 0x64;  // status (read), controller command (write)

// Status register bits.
constexpr std::uint8_t KBC_STATUS_OUTPUT_FULL = 0x01;  // a byte waits at the data port
constexpr std::uint8_t KBC_STATUS_INPUT_FULL = 0x02;   // the last byte written is not taken yet
constexpr std::uint8_t KBC_STATUS_AUX_DATA = 0x20;     // the waiting byte is from the mouse port

// Controller command: the next byte written to the data port becomes the command byte.
constexpr std::uint8_t KBC_WRITE_COMMAND_BYTE = 0x60;

class PortIo {
 public:
  PortIo() = default;
  virtual ~PortIo() = default;
  PortIo(const PortIo&) = delete;
  PortIo& operator=(const PortIo&) = delete;

  // Obtains the right to access the ports; false when it cannot be had.
  virtual bool Start() = 0;
  // Gives the right back. Later accesses do nothing until the next Start.
  virtual void Stop() = 0;
  // One byte from the port (0xFF when the port cannot be read).
  virtual std::uint8_t ReadPort(std::uint16_t port) = 0;
  // One byte to the port (ignored when the port cannot be written).
  virtual void WritePort(std::uint16_t port, std::uint8_t value) = 0;
  // Why the last Start failed: the errno of the permission request (EPERM without
  // CAP_SYS_RAWIO or under kernel lockdown), 0 when it gave none.
  virtual int LastOsError() const { return 0; }
};

}  // namespace tessaron
