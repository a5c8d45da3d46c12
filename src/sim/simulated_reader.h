#pragma once
// The reader's side of the protocol: a simulated card reader that answers command frames
// the way a real one does, holding its settings as a stored settings stream.
// It knows no line; the line adapters (pseudo-terminal server, simulated HID device,
// simulated keyboard controller) feed it frames and carry its replies.

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/interface_type.h"

namespace tessaron::sim {

// How a reply is laid out for the line that carries it.
enum class ReplyStyle {
  Serial,    // accepted query: 0x06 then the data frame; accepted set: 0x06; refused: 0x16
  Hid,       // the same bytes as Serial; the HID device cuts them into feature reports
  Keyboard,  // data frames: STX, fields (id, length, data), ETX, LRC - no lead-in, no
             // direction letter; version text plain between STX and ETX; set: 0xFA or
             // 0x16 followed by a framed reply (one field 0x16 listing the refused FuncIDs);
             // an unknown query: 0x16 alone
};

struct SimulatedReaderConfig {
  std::string firmware = "V1.90";
  bool rejectUnknown = false;  // answer 0x16 to commands and FuncIDs it does not know
  // Settings FuncIDs this firmware does not know (an older reader): with rejectUnknown a
  // settings frame holding one of them is refused.
  std::vector<Byte> unknownFuncIds{};
  bool silent = false;         // never answer anything
  InterfaceType interfaceType = InterfaceType::Rs232;  // the line the reader is attached to
};

class SimulatedReader {
 public:
  explicit SimulatedReader(SimulatedReaderConfig config = {});

  // Number of bytes at the front of data that form one complete command frame, 0 while
  // the frame is still incomplete. Frames with a wrong LRC count as complete (and are
  // then answered as the reader would: not at all).
  // Bytes before the complete frame (anything before a usable STX) are part of the count.
  static std::size_t CompleteFrameLength(const Byte* data, std::size_t count);
  // Number of bytes at the front of data that can never begin a frame: everything before the
  // first STX that is followed by a direction letter (or may still be, when data ends there).
  static std::size_t LeadingGarbageLength(const Byte* data, std::size_t count);
  // True for the FuncIDs the reader keeps as settings (one-byte, string and block records).
  static bool IsSettingsFuncId(Byte funcId);

  // Answers one complete command frame. The result is empty when the reader says nothing.
  // Bytes before the frame's STX are ignored, as are bytes after its LRC.
  // An accepted settings frame that names every stored FuncID replaces the stored stream as
  // it came; one that names only some changes just those records. FuncIDs the reader does
  // not know are refused with rejectUnknown and otherwise dropped. The factory-settings
  // command restores every setting but the USB HID format, so it never switches the
  // reader's interface. The boot-loader state is only recorded: the reader goes on
  // answering as before.
  ByteString HandleCommand(const Byte* frame, std::size_t length, ReplyStyle style);

  // The stored settings: STX, 0x53, records, ETX, LRC (starts at the factory defaults).
  ByteString SettingsStream() const;
  // Replaces the stored settings; false (and nothing changed) when the stream does not decode
  // or is not exactly one complete settings frame.
  bool SetSettingsStream(const ByteString& stream);
  // The factory settings: the stream of a ReaderSettings record at its defaults.
  static ByteString DefaultSettingsStream();

  std::string Firmware() const;
  void SetFirmware(const std::string& firmware);
  bool InBootLoader() const;
  // The USB HID format byte (FuncID 0x23) of the stored settings.
  Byte HidFormat() const;
  // The line the reader is attached to. A USB HID reader follows its USB HID format: when a
  // change of the stored settings changes that format, "8" makes it a USB-HID-KB reader and
  // any other value a USB-HID reader.
  InterfaceType Interface() const;
  void SetInterface(InterfaceType type);
  void SetSilent(bool silent);
  void SetRejectUnknown(bool rejectUnknown);
  void SetUnknownFuncIds(std::vector<Byte> funcIds);
  // Number of complete frames answered or ignored so far (for tests and the demo).
  std::size_t CommandCount() const;

 private:
  ByteString ReadSettingsReply(ReplyStyle style) const;
  ByteString VersionReply(ReplyStyle style) const;
  static ByteString AcceptReply(ReplyStyle style);
  static ByteString RefuseReply(ReplyStyle style, const std::vector<Byte>& refusedIds);
  void StoreRecords(const Byte* body, std::size_t bodyLength);
  void FollowHidFormat(Byte oldFormat);

  mutable std::mutex lock_;
  SimulatedReaderConfig config_;
  ByteString stream_;
  bool bootLoader_ = false;
  std::size_t commandCount_ = 0;
};

}  // namespace tessaron::sim
