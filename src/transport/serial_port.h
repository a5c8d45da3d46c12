#pragma once
// The reader port for readers on a serial line: "RS232" ports and the reader's own USB
// virtual serial port ("USB-RS232"). 9600 baud, 8 data bits, no parity, one stop bit, no
// flow control. A transaction writes the frame, pauses, then reads single bytes until the
// line has been silent for the per-byte wait. In fast mode it reads from the start and ends
// as soon as a whole reply has come, within the same limits. The timing is the same on every
// system; the port itself is reached through the system's SerialLine.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/reader_port.h"
#include "transport/discovery.h"
#include "transport/serial_line.h"
#include "transport/transport_timing.h"

namespace tessaron {

class SerialPort : public ReaderPort {
 public:
  // Any type other than USB-RS232 becomes RS232. devices are the
  // present devices that Open by index looks at (none: no port).
  explicit SerialPort(InterfaceType type, const TransportTiming& timing = TransportTiming::Real(),
                      std::shared_ptr<DeviceListing> devices = nullptr);
  ~SerialPort() override;

  InterfaceType GetInterfaceType() const override { return interfaceType_; }
  std::string GetPortName(std::string& out) const override;

 protected:
  // Opens the port found at that position.
  bool OpenDevice(DeviceIndex index) override;
  // Opens the serial device at path (a terminal device, or a port name such as COM7) for
  // exclusive use; a path that is no serial port, or a port already in use by anybody else,
  // fails. LastError says why (a busy port names the process that holds it when it can be
  // seen).
  bool OpenDeviceAt(const std::string& path) override;
  // Gives the line back with the settings it had before it was opened.
  void CloseDevice() override;
  // Succeeds when at least one byte came and the first is the acknowledgement.
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override;

 private:
  // Collects the reply to command byte by byte; returns the number of bytes stored.
  // readError receives the system's code of a read that failed (a line that went away), and
  // stays as it is when silence (or, in fast mode, a whole reply) ended the reply.
  std::size_t ReadReply(std::span<const Byte> command, std::span<Byte> reply, int* readError);

  const InterfaceType interfaceType_;
  const SerialTiming timing_;
  const bool fastReplies_;
  const std::shared_ptr<DeviceListing> devices_;
  std::unique_ptr<SerialLine> line_;
  std::string path_;
  std::mutex lock_;
};

}  // namespace tessaron
