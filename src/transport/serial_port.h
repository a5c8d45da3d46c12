#pragma once
// The reader port for readers on a serial line: "RS232" ports and the reader's own USB
// virtual serial port ("USB-RS232"). 9600 baud, 8 data bits, no parity, one stop bit, no
// flow control. A transaction writes the frame, pauses, then reads single bytes until the
// line has been silent for the per-byte wait. In fast mode it reads from the start and ends
// as soon as a whole reply has come, within the same limits.

#include <termios.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "core/reader_port.h"
#include "transport/discovery.h"
#include "transport/transport_timing.h"

namespace tessaron {

class SerialPort : public ReaderPort {
 public:
  // Any type other than INTERFACE_USB_RS232 becomes INTERFACE_RS232. devices are the
  // present devices that Open by index looks at (none: no port).
  explicit SerialPort(InterfaceType type, const TransportTiming& timing = TransportTiming::Real(),
                      std::shared_ptr<DeviceListing> devices = nullptr);
  ~SerialPort() override;

  bool GetFirmwareVersion(std::string& out) override;
  // Stores the index (kept across Close) and opens the port found at that position.
  bool Open(DeviceIndex index) override;
  // Opens the terminal device at path for exclusive use; a path that is no terminal, or a
  // port already in use by anybody else, fails and leaves the port closed. LastError says
  // why (a busy port names the process that holds it when it can be seen).
  bool OpenPath(const std::string& path) override;
  // Gives the line back with the settings it had before Open. Always true.
  bool Close() override;
  bool Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                std::uint32_t* replyLength) override;
  InterfaceType GetInterfaceType() const override { return interfaceType_; }
  bool IsReady() const override { return true; }
  std::string GetPortName(std::string& out) const override;

  bool IsOpen() const { return fd_ >= 0; }
  DeviceIndex GetDeviceIndex() const { return deviceIndex_; }

 private:
  // Hands all command bytes to the line and waits until they have left, within the
  // write wait. 0 when they have; ETIMEDOUT when that does not happen in time, otherwise
  // the errno of the failed write.
  int WriteCommand(const Byte* command, std::size_t length);
  // Collects the reply to command byte by byte; returns the number of bytes stored.
  // readError receives the errno of a read that failed (a line that went away), and stays
  // as it is when silence (or, in fast mode, a whole reply) ended the reply.
  std::uint32_t ReadReply(const Byte* command, std::size_t commandLength, Byte* reply,
                          std::uint32_t capacity, int* readError);

  const InterfaceType interfaceType_;
  const SerialTiming timing_;
  const bool fastReplies_;
  const std::shared_ptr<DeviceListing> devices_;
  int fd_ = -1;
  std::string path_;
  struct termios savedSettings_ {};
  DeviceIndex deviceIndex_ = -1;
  std::mutex lock_;
};

}  // namespace tessaron
