#pragma once
// Whole exchanges with the PC's keyboard controller: taking the keyboard over and handing it
// back, and one command frame with its reply. The keyboard port runs everything through
// this interface. The programs reach the real controller only through the helper process
// tessaron-kbc (see kbc_client.h), which runs PortIoController, the byte-by-byte handshake
// below, next to the ports.

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/byte_string.h"
#include "core/port_error.h"
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

// What one exchange brought: whether it succeeded, the reply bytes stored, and why it failed
// when the line (not the reader) is to blame.
struct KeyboardExchange {
  bool ok = false;
  std::uint32_t received = 0;
  PortError failure;
};

class KeyboardController {
 public:
  KeyboardController() = default;
  virtual ~KeyboardController() = default;
  KeyboardController(const KeyboardController&) = delete;
  KeyboardController& operator=(const KeyboardController&) = delete;

  // Obtains the right to the controller's ports; false (why says why) when it cannot be had.
  virtual bool Start(PortError* why) = 0;
  // Gives the right back; later calls do nothing until the next Start.
  virtual void Stop() = 0;
  // False once the started controller can serve no more (its helper process has ended);
  // the next Start makes it anew.
  virtual bool Alive() const { return true; }
  // Takes the keyboard over (seized) or hands it back, and empties the data port.
  virtual void SetSeized(bool seized, const KeyboardTiming& timing) = 0;
  // Sends commandLength command bytes and receives the reply into reply (bytes beyond
  // capacity are taken from the line but not stored).
  virtual KeyboardExchange Transact(const Byte* command, std::uint32_t commandLength, Byte* reply,
                                    std::uint32_t capacity, const KeyboardTiming& timing) = 0;
  // A signal is ending the program: the exchange under way (on another thread) ends as soon
  // as it can. Safe to call from a signal handler.
  virtual void Abandon() = 0;
  // After Abandon, once the exchange under way has ended (or waiting for it took too long):
  // hands the keyboard back and gives the right to the ports back.
  virtual void HandBack() = 0;
};

// The handshake itself, port access by port access, on a PortIo (the ports, or the
// simulated controller).
class PortIoController final : public KeyboardController {
 public:
  explicit PortIoController(std::shared_ptr<PortIo> io) : io_(std::move(io)) {}

  bool Start(PortError* why) override;
  void Stop() override;
  void SetSeized(bool seized, const KeyboardTiming& timing) override;
  KeyboardExchange Transact(const Byte* command, std::uint32_t commandLength, Byte* reply,
                            std::uint32_t capacity, const KeyboardTiming& timing) override;
  void Abandon() override { stop_ = true; }
  void HandBack() override;

  // Whether the last command byte written took the keyboard over.
  bool Seized() const { return seized_; }

 private:
  bool WaitOutputFull(Millis timeout);
  bool ReadByte(Millis timeout, Byte* value);

  const std::shared_ptr<PortIo> io_;
  static_assert(std::atomic<bool>::is_always_lock_free);
  std::atomic<bool> stop_{false};
  bool seized_ = false;
};

}  // namespace tessaron
