// What interprets outside bytes on the serial side. The serial transport collects a reply
// raw, so the bytes a reader (or anything on the line) sends reach the settings read, the
// settings write and the firmware-version query as they came: a port whose exchange returns
// the fuzz input stands for the line. The other direction is the simulated reader's pseudo-
// terminal server, which scans whatever a client writes for frames and answers them; the
// same input goes through that scan, and every reply the reader gives in the keyboard style
// must end where the keyboard port's recogniser finds its end.
//
// Input: flags, then the reply (and the host bytes for the reader).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/command_frame.h"
#include "core/firmware.h"
#include "core/reader_port.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "core/settings_transactions.h"
#include "fuzz_input.h"
#include "sim/simulated_reader.h"
#include "transport/keyboard_port.h"

using tessaron::Byte;
using tessaron::ByteString;
using tessaron::fuzz::ExactBuffer;
using tessaron::fuzz::FuzzInput;
using tessaron::fuzz::Require;
using tessaron::sim::ReplyStyle;
using tessaron::sim::SimulatedReader;

namespace {

constexpr Byte FLAG_ACKNOWLEDGED = 0x01;  // the exchange reports success
constexpr Byte FLAG_OVERSTATED = 0x02;    // the port claims more bytes than the capacity
constexpr Byte FLAG_STYLE = 0x0C;         // reply style of the simulated reader (bits 2, 3)
constexpr Byte FLAG_REJECT_UNKNOWN = 0x10;

// A reader port whose every exchange hands back the same bytes.
class ReplayPort : public tessaron::ReaderPort {
 public:
  ReplayPort(const Byte* reply, std::size_t size, bool acknowledged, bool overstated)
      : reply_(reply), size_(size), acknowledged_(acknowledged), overstated_(overstated) {}

  tessaron::InterfaceType GetInterfaceType() const override { return tessaron::InterfaceType::Rs232; }
  std::string GetPortName(std::string& out) const override { return out = "replay"; }

 protected:
  bool OpenDevice(tessaron::DeviceIndex) override { return true; }
  bool OpenDeviceAt(const std::string&) override { return true; }
  void CloseDevice() override {}
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override {
    Require(command.size() >= 5 && command[0] == tessaron::STX);
    const std::size_t count = std::min(size_, reply.size());
    for (std::size_t i = 0; i < count; ++i) reply[i] = reply_[i];
    // A port that breaks its word claims bytes it never stored; its callers get no more
    // than they offered.
    return Exchanged{overstated_ ? reply.size() + 1 + count : count, acknowledged_, {}};
  }

 private:
  const Byte* reply_;
  std::size_t size_;
  bool acknowledged_;
  bool overstated_;
};

void Transactions(const Byte* reply, std::size_t size, Byte flags) {
  ReplayPort port(reply, size, (flags & FLAG_ACKNOWLEDGED) != 0, (flags & FLAG_OVERSTATED) != 0);
  Require(port.Open(0));
  tessaron::ReaderSettings settings;
  tessaron::ReadFromReader(settings, &port);
  tessaron::WriteToReader(settings, &port);

  std::string version;
  Require(port.GetFirmwareVersion(version) == !version.empty());
  Require(version.size() < tessaron::VERSION_REPLY_BUFFER_SIZE);
  const std::string any = tessaron::FirmwareVersionText(std::span(reply, size));
  Require(any.size() < size || any.empty());
}

// The keyboard line's recogniser finds the end of every framed reply at its last byte.
void RequireKeyboardEnd(const ByteString& reply, Byte commandCode) {
  if (reply.size() <= 1) return;  // an acknowledgement or a refusal without a frame
  const std::size_t first = reply[0] == tessaron::REPLY_UNKNOWN ? 1 : 0;
  tessaron::KeyboardReplyRecogniser recogniser(commandCode == tessaron::CMD_GET_FIRMWARE_VERSION);
  for (std::size_t i = first; i < reply.size(); ++i) {
    Require(recogniser.Feed(reply[i]) == (i + 1 == reply.size()));
  }
}

// The pseudo-terminal server's loop over what a client wrote.
void ScanHostBytes(const Byte* bytes, std::size_t size, Byte flags) {
  static const ReplyStyle STYLES[] = {ReplyStyle::Serial, ReplyStyle::Hid, ReplyStyle::Keyboard,
                                      ReplyStyle::Keyboard};
  const ReplyStyle style = STYLES[(flags & FLAG_STYLE) >> 2];
  tessaron::sim::SimulatedReaderConfig config;
  config.rejectUnknown = (flags & FLAG_REJECT_UNKNOWN) != 0;
  SimulatedReader reader(config);

  // The bytes not yet taken always run to the end of the buffer, so that a scan past them
  // is caught.
  std::size_t taken = 0;
  for (;;) {
    const std::size_t garbage = SimulatedReader::LeadingGarbageLength(bytes + taken, size - taken);
    Require(garbage <= size - taken);
    taken += garbage;
    if (taken == size) break;
    Require(bytes[taken] == tessaron::STX);
    const std::size_t length = SimulatedReader::CompleteFrameLength(bytes + taken, size - taken);
    Require(length <= size - taken);
    if (length == 0) break;
    Require(length >= 4);  // STX, letter, ETX, LRC at the least
    const ByteString reply = reader.HandleCommand(bytes + taken, length, style);
    if (style == ReplyStyle::Keyboard) RequireKeyboardEnd(reply, bytes[taken + 2]);
    taken += length;
  }

  // Whatever was stored is read back, and the reply goes through the stream decoder.
  const Byte readAll[] = {0x02, 0x52, 0x1F, 0x03, 0x4C};
  const ByteString reply = reader.HandleCommand(readAll, sizeof(readAll), style);
  if (style == ReplyStyle::Keyboard) RequireKeyboardEnd(reply, readAll[2]);
  tessaron::ReaderSettings settings;
  tessaron::DecodeSettings(reply.data(), static_cast<std::uint32_t>(reply.size()), &settings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  FuzzInput input(data, size);
  const Byte flags = input.Take();
  const auto rest = ExactBuffer(input.Rest(), input.Left());
  Transactions(rest.get(), input.Left(), flags);
  ScanHostBytes(rest.get(), input.Left(), flags);
  return 0;
}
