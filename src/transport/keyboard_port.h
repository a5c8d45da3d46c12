#pragma once
// The reader on the PS/2 keyboard line, reached through the PC's keyboard controller by
// raw port I/O, byte by byte, the way a keyboard driver talks to a keyboard.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/reader_port.h"
#include "transport/port_io.h"
#include "transport/transport_timing.h"

namespace tessaron {

// Controller command byte while the port is open: keyboard interrupt off, mouse interrupt
// on, system flag, both clocks off, no scan-code translation.
constexpr Byte KBC_COMMAND_BYTE_SEIZED = 0x36;
// Controller command byte after closing: both interrupts and clocks on, translation on.
constexpr Byte KBC_COMMAND_BYTE_RELEASED = 0x47;
// The line asks for the last byte again.
constexpr Byte KEYBOARD_RESEND = 0xFE;
// Resends of one byte that are honoured; one more 0xFE fails the transaction.
constexpr int KEYBOARD_MAX_RESENDS = 11;
// Reads of the data port that throw away whatever waits after a command-byte change.
constexpr int KBC_FLUSH_READS = 20;

// Texts the session shows when the port access cannot be had.
inline constexpr const char* KEYBOARD_ACCESS_FAILED_TEXT =
    "Please make sure current user account is Administrator.";
inline constexpr const char* KEYBOARD_ACCESS_FAILED_CAPTION = "Initialize TessaronCfgUtil failed";

// True when a command with this code (the second frame byte) is answered by a single
// acknowledgement after a pause: 0x53, 0x50, 0x51 and 0x4D.
bool IsKeyboardSetCommand(Byte commandCode);

// Finds the end of a framed reply on the keyboard line: STX, fields of identifier, length
// and data, ETX, LRC. A version reply holds plain text between STX and ETX instead of fields.
class KeyboardReplyRecogniser {
 public:
  explicit KeyboardReplyRecogniser(bool versionReply) : versionReply_(versionReply) {}

  // Takes the next reply byte; true once the reply is complete (with its LRC).
  bool Feed(Byte value);

 private:
  enum Mode { BETWEEN_FIELDS = 0, LENGTH_EXPECTED = 1, COUNTING = 2 };

  bool versionReply_;
  Mode mode_ = BETWEEN_FIELDS;
  unsigned counter_ = 0;
  Byte lastBetweenFields_ = 0;
};

class KeyboardPort final : public ReaderPort {
 public:
  // io is the controller's port access (null: none can be had).
  explicit KeyboardPort(const TransportTiming& timing = TransportTiming::Real(),
                        std::shared_ptr<PortIo> io = nullptr);
  // Runs Close, so the keyboard is handed back whenever the controller access was started.
  ~KeyboardPort() override;

  bool GetFirmwareVersion(std::string& out) override;
  // Starts the controller access (once per process) and takes the keyboard over.
  // The device index is ignored: there is one keyboard controller. When the access cannot
  // be had the error says why (NoPortAccess); showing it is the caller's business. From the
  // first start on, a program ended by SIGINT, SIGTERM or SIGHUP gives the keyboard back
  // first.
  bool Open(DeviceIndex index) override;
  bool OpenPath(const std::string& path) override;
  // Hands the keyboard back; always true. The port stays ready.
  bool Close() override;
  void ReleaseDevice() override;
  void SeizeDevice() override;
  bool Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                std::uint32_t* replyLength) override;
  InterfaceType GetInterfaceType() const override { return INTERFACE_PS2_KEYBOARD; }
  bool IsReady() const override { return opened_.load() != 0; }
  std::string GetPortName(std::string& out) const override;

 private:
  // Writes a new controller command byte and empties the data port.
  void WriteCommandByte(Byte commandByte);
  // The body of Transact, run under the lock; returns the result, sets received. failure
  // receives why the exchange failed when the line (not the reader) is to blame.
  bool TransactLocked(PortIo& io, const Byte* command, std::int32_t commandLength, Byte* reply,
                      std::uint32_t capacity, std::uint32_t* received, PortError* failure);

  KeyboardTiming timing_;
  std::shared_ptr<PortIo> io_;
  std::atomic<std::int32_t> opened_{0};
  std::mutex lock_;
};

// Whether the controller access was started during this run (it stays started until
// StopControllerAccess). The session calls StopControllerAccess at exit when it was.
bool IsControllerAccessStarted();
// Stops and drops the process-wide controller access; the next Open starts it anew.
void StopControllerAccess();

}  // namespace tessaron
