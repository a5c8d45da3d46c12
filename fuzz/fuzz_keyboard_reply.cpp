// Drives the keyboard port against a keyboard controller whose status and data registers
// come from the fuzz input: answers to each command byte (0xFA, 0xFE, anything), mouse bytes,
// a busy controller, and the reply bytes. The port must store no more than the caller's
// capacity and end every transaction; the end-of-reply recogniser is fed the raw bytes too.
//
// Input: command choice, reply capacity, then one byte per register read. Once the input has
// run out the controller keeps a byte waiting and every byte is an ETX: the command byte in
// flight is refused, and a reply being received ends within a few hundred bytes, so no run
// waits for the reply time limit.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_transactions.h"
#include "fuzz_input.h"
#include "transport/keyboard_port.h"
#include "transport/port_io.h"

using tessaron::Byte;
using tessaron::fuzz::FuzzInput;
using tessaron::fuzz::Require;

namespace {

// Register reads a run may make once its input has run out: the longest reply field, its
// ETX and LRC, the close of the port and the version query's own exchange, with room to
// spare. More means a loop that does not end with the line.
constexpr std::size_t MAX_READS_AFTER_INPUT = 10000;

class ScriptedController : public tessaron::PortIo {
 public:
  void Load(FuzzInput* input) {
    input_ = input;
    readsAfterInput_ = 0;
  }
  bool Start() override { return true; }
  void Stop() override {}
  std::uint8_t ReadPort(std::uint16_t port) override {
    if (input_ != nullptr && !input_->Empty()) return input_->Take();
    Require(++readsAfterInput_ <= MAX_READS_AFTER_INPUT);
    return port == tessaron::KBC_STATUS_PORT ? tessaron::KBC_STATUS_OUTPUT_FULL : tessaron::ETX;
  }
  void WritePort(std::uint16_t /*port*/, std::uint8_t /*value*/) override {}

 private:
  FuzzInput* input_ = nullptr;
  std::size_t readsAfterInput_ = 0;
};

std::shared_ptr<ScriptedController>& Controller() {
  static auto controller = std::make_shared<ScriptedController>();
  return controller;
}

// The handshake on the scripted registers, as the port runs it.
std::shared_ptr<tessaron::KeyboardController>& Handshake() {
  static std::shared_ptr<tessaron::KeyboardController> handshake =
      std::make_shared<tessaron::PortIoController>(Controller());
  return handshake;
}

// No waits at all, except the reply limit: with none the port would not listen for a reply.
// It is never reached, as the line always ends the reply first.
tessaron::TransportTiming NoWaits() {
  tessaron::TransportTiming timing;
  timing.keyboard = tessaron::KeyboardTiming{};
  timing.keyboard.byteWait = tessaron::Millis(0);
  timing.keyboard.ackedBytePause = tessaron::Millis(0);
  timing.keyboard.setAckPausePerByte = tessaron::Millis(0);
  timing.keyboard.setAckWait = tessaron::Millis(0);
  timing.keyboard.replyLimit = tessaron::Millis(1000);
  timing.keyboard.replyByteWait = tessaron::Millis(0);
  timing.keyboard.afterTransaction = tessaron::Millis(0);
  return timing;
}

struct Command {
  Byte bytes[5];
  std::int32_t length;
};

// Queries, set-type commands (0x53 and 0x50), and commands too short to have a code.
constexpr Command COMMANDS[] = {
    {{0x02, 0x52, 0x1F, 0x03, 0x4C}, 5},
    {{0x02, 0x52, 0x22, 0x03, 0x71}, 5},
    {{0x02, 0x53, 0x18, 0x03, 0x4A}, 5},
    {{0x02, 0x50, 0x31, 0x03, 0x60}, 5},
    {{0x02, 0x00, 0x00, 0x00, 0x00}, 1},
    {{0x00, 0x00, 0x00, 0x00, 0x00}, 0},
};
// Choices after the commands: the settings read, then the version query.
constexpr Byte READ_SETTINGS = 6;
constexpr Byte CHOICES = 8;

void RawTransact(tessaron::KeyboardPort& port, const Command& command, std::uint32_t capacity) {
  std::vector<Byte> buffer(capacity);
  const tessaron::PortReply answer =
      port.Transact(std::span(command.bytes, command.length), buffer);
  const std::span<const Byte> reply = answer.bytes;
  const std::size_t replyLength = reply.size();
  Require(reply.data() == buffer.data() && replyLength <= capacity);
  const bool setType = command.length >= 2 && tessaron::IsKeyboardSetCommand(command.bytes[1]);
  if (!answer.ok || replyLength == capacity) return;
  if (setType && reply[0] == tessaron::KEYBOARD_ACK) {
    Require(replyLength == 1);
    return;
  }
  // A framed reply that was stored whole ends, for the recogniser, at its last byte only.
  const std::uint32_t first = setType ? 1 : 0;
  Require(!setType || reply[0] == tessaron::REPLY_UNKNOWN);
  tessaron::KeyboardReplyRecogniser recogniser(command.length >= 3 &&
                                               command.bytes[2] == tessaron::CMD_GET_FIRMWARE_VERSION);
  for (std::size_t i = first; i < replyLength; ++i) {
    Require(recogniser.Feed(reply[i]) == (i + 1 == replyLength));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // The ports reach the controller model only, and the access is started once, for the
  // whole run.
  tessaron::KeyboardPort port(NoWaits(), Handshake());
  Require(port.Open(0));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 8192) return 0;
  FuzzInput input(data, size);
  const Byte choice = input.Take() % CHOICES;
  const std::uint32_t capacity = input.Take() * 5u;  // 0 to 1275, around the 1024-byte replies

  // The recogniser on the raw bytes, in both of its modes.
  tessaron::KeyboardReplyRecogniser framed(false);
  tessaron::KeyboardReplyRecogniser version(true);
  for (const std::uint8_t* p = input.Rest(); p != data + size; ++p) {
    framed.Feed(*p);
    version.Feed(*p);
  }

  Controller()->Load(&input);
  {
    tessaron::KeyboardPort port(NoWaits(), Handshake());
    if (choice < READ_SETTINGS) {
      // Only an open port exchanges; opening takes the keyboard over, which reads the data
      // port empty (script bytes the line never sees).
      Require(port.Open(0));
      RawTransact(port, COMMANDS[choice], capacity);
    } else if (choice == READ_SETTINGS) {
      Require(port.Open(0));
      tessaron::ReaderSettings settings;
      tessaron::ReadFromReader(settings, &port);
    } else {
      std::string text;
      const bool ok = port.GetFirmwareVersion(text);
      Require(ok == !text.empty());
    }
  }
  Controller()->Load(nullptr);
  return 0;
}
