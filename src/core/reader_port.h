#pragma once
// The transport to one reader, the same for every line; the serial, HID and keyboard-line
// ports of the transport library fill in the device steps.
//
// Opening and closing, one rule for every port and every call:
// - Open (by device index) and OpenPath open the device for one piece of work; Close ends
//   it. Opening a port that is open closes it first. A failed open leaves the port closed,
//   with LastError saying why. The port object outlives Close and may be opened again.
// - Transact, ReleaseDevice and SeizeDevice need an open port and never open or close it.
// - GetFirmwareVersion leaves the port as it found it: on an open port the query runs on
//   the device that is open; on a closed one the port is opened the way it was last opened
//   (by the same index or path), queried and closed again.
// - IsOpen is true between a successful open and Close.
// Each port's destructor closes what it holds.

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "core/byte_string.h"
#include "core/interface_type.h"
#include "core/port_error.h"

namespace tessaron {

// What one exchange came to.
struct PortReply {
  // The bytes the reader sent, at the front of the caller's reply buffer (never more than
  // it holds).
  std::span<const Byte> bytes;
  // Whether the exchange succeeded by the line's rules. Callers look at the bytes too: a
  // reply that is no acknowledgement (0x16) is the reader's own refusal.
  bool ok = false;
  // What went wrong on the line, when something did (kind None for a reader's refusal).
  PortError failure;
};

class ReaderPort {
 public:
  ReaderPort() = default;
  virtual ~ReaderPort() = default;
  ReaderPort(const ReaderPort&) = delete;
  ReaderPort& operator=(const ReaderPort&) = delete;

  bool Open(DeviceIndex index);
  bool OpenPath(const std::string& path);
  void Close();
  bool IsOpen() const { return open_; }

  // Sends one whole command frame and collects the reply into reply by the line's rules.
  PortReply Transact(std::span<const Byte> command, std::span<Byte> reply);

  // The reader's firmware version text, asked once per port object and kept: a port that
  // knows it sends nothing. Empty when it cannot be had (false then). The text is taken
  // from a reply that succeeded: what sits between its first STX and the ETX.
  bool GetFirmwareVersion(std::string& out);

  // The keyboard line hands the keyboard back to the system, or takes it over again; the
  // other lines do nothing.
  virtual void ReleaseDevice() {}
  virtual void SeizeDevice() {}
  virtual InterfaceType GetInterfaceType() const = 0;
  // The device of the open port ("/dev/ttyUSB0", "PS/2 Keyboard port"); out receives it too.
  virtual std::string GetPortName(std::string& out) const = 0;

  // Why the last open or exchange failed; kind None after one that succeeded.
  const PortError& LastError() const { return lastError_; }

 protected:
  // What an exchange of a port came to: the bytes stored at the front of the reply buffer.
  struct Exchanged {
    std::size_t received = 0;
    bool ok = false;
    PortError failure;
  };

  // The device steps of each port. OpenDevice and OpenDeviceAt run on a closed port and say
  // why they failed through SetError; CloseDevice runs on an open one.
  virtual bool OpenDevice(DeviceIndex index) = 0;
  virtual bool OpenDeviceAt(const std::string& path) = 0;
  virtual void CloseDevice() = 0;
  virtual Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) = 0;

  void ClearError() { lastError_ = PortError{}; }
  void SetError(PortError error) { lastError_ = std::move(error); }

 private:
  // Opens the port the way it was last opened.
  bool Reopen();

  bool open_ = false;
  DeviceIndex lastIndex_ = -1;
  std::string lastPath_;
  std::string versionCache_;
  PortError lastError_;
};

}  // namespace tessaron
