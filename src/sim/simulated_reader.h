#pragma once
// The reader's side of the protocol: a simulated card reader that answers command frames
// the way a real one does, holding its settings as a stored settings stream.
// It knows no line; the line adapters (pseudo-terminal server, simulated HID device,
// simulated keyboard controller) feed it frames and carry its replies.

#include <cstddef>
#include <mutex>
#include <string>

#include "core/byte_string.h"
#include "core/interface_type.h"

namespace tessaron::sim {

// How a reply is laid out for the line that carries it.
enum class ReplyStyle {
  Serial,    // accepted query: 0x06 then the data frame; accepted set: 0x06; refused: 0x16
  Hid,       // the same bytes as Serial; the HID device cuts them into feature reports
  Keyboard,  // data frames: STX, fields (id, length, data), ETX, LRC - no lead-in, no
             // direction letter; version text plain between STX and ETX; set: 0xFA or
             // 0x16 followed by a framed reply
};

struct SimulatedReaderConfig {
  std::string firmware = "V1.90";
  bool rejectUnknown = false;  // answer 0x16 to commands and FuncIDs it does not know
  bool silent = false;         // never answer anything
  InterfaceType interfaceType = INTERFACE_RS232;  // the line the reader is attached to
};

class SimulatedReader {
 public:
  explicit SimulatedReader(SimulatedReaderConfig config = {});

  // Number of bytes at the front of data that form one complete command frame, 0 while
  // the frame is still incomplete. Frames with a wrong LRC count as complete (and are
  // then answered as the reader would: not at all).
  static std::size_t CompleteFrameLength(const Byte* data, std::size_t count);

  // Answers one complete command frame. The result is empty when the reader says nothing.
  ByteString HandleCommand(const Byte* frame, std::size_t length, ReplyStyle style);

  // The stored settings: STX, 0x53, records, ETX, LRC (starts at the factory defaults).
  ByteString SettingsStream() const;
  // Replaces the stored settings; false (and nothing changed) when the stream does not decode.
  bool SetSettingsStream(const ByteString& stream);

  std::string Firmware() const;
  void SetFirmware(const std::string& firmware);
  bool InBootLoader() const;
  // The USB HID format byte (FuncID 0x23) of the stored settings.
  Byte HidFormat() const;
  InterfaceType Interface() const;
  void SetSilent(bool silent);
  // Number of complete frames answered or ignored so far (for tests and the demo).
  std::size_t CommandCount() const;

 private:
  mutable std::mutex lock_;
  SimulatedReaderConfig config_;
  ByteString stream_;
  bool bootLoader_ = false;
  std::size_t commandCount_ = 0;
};

}  // namespace tessaron::sim
