#include "sim/simulated_reader.h"

#include <algorithm>
#include <utility>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "core/settings_table.h"

namespace tessaron::sim {

namespace {

bool IsDirectionLetter(Byte b) { return b == DIR_READ || IsSetTypeCommand(b); }

Byte Lrc(const Byte* bytes, std::size_t count) {
  return ComputeLrc(bytes, static_cast<std::uint32_t>(count));
}

// Result of looking at the bytes from one STX on.
enum class FrameScan { Complete, Incomplete, NotAFrame };

// data[0] is an STX. On Complete, length is the frame's length including its LRC.
FrameScan ScanFrameAt(const Byte* data, std::size_t count, std::size_t* length) {
  if (count < 2) return FrameScan::Incomplete;
  if (!IsDirectionLetter(data[1])) return FrameScan::NotAFrame;
  // Short form: STX, letter, FuncID, ETX, LRC. A long form whose first length byte happens to
  // be 0x03 is told apart by the check byte, except for the commands that only exist short.
  if (count >= 4 && data[2] != ETX && data[3] == ETX) {
    if (count < SHORT_FRAME_LENGTH) return FrameScan::Incomplete;
    if (IsShortFormCommand(data[2]) || data[4] == Lrc(data, 4)) {
      *length = SHORT_FRAME_LENGTH;
      return FrameScan::Complete;
    }
  }
  // Long form and settings frames: records of FuncID, length, data until the ETX. A long form
  // command is a frame with one record.
  std::size_t p = 2;
  while (p < count) {
    if (data[p] == ETX) {
      if (p + 1 >= count) return FrameScan::Incomplete;
      *length = p + 2;
      return FrameScan::Complete;
    }
    if (p + 1 >= count) return FrameScan::Incomplete;
    p += 2 + static_cast<std::size_t>(data[p + 1]);
  }
  return FrameScan::Incomplete;
}

// Finds the first complete frame: its start (after any garbage) and length.
bool FindFrame(const Byte* data, std::size_t count, std::size_t* start, std::size_t* length) {
  if (data == nullptr) return false;
  for (std::size_t s = 0; s < count; ++s) {
    if (data[s] != STX) continue;
    switch (ScanFrameAt(data + s, count - s, length)) {
      case FrameScan::Complete:
        *start = s;
        return true;
      case FrameScan::Incomplete:
        return false;
      case FrameScan::NotAFrame:
        break;
    }
  }
  return false;
}

struct Record {
  Byte funcId;
  ByteString bytes;  // the whole record: FuncID, length, data
};

// Splits the records between the direction letter and the ETX. A record that claims more
// bytes than there are is cut at the end of the body.
std::vector<Record> SplitRecords(const Byte* body, std::size_t bodyLength) {
  std::vector<Record> records;
  std::size_t p = 0;
  while (p < bodyLength) {
    std::size_t end = p + 1 < bodyLength ? p + 2 + body[p + 1] : bodyLength;
    end = std::min(end, bodyLength);
    records.push_back(Record{body[p], ByteString(body + p, body + end)});
    p = end;
  }
  return records;
}

std::vector<Record> StoredRecords(const ByteString& stream) {
  if (stream.size() < FRAME_ENVELOPE) return {};
  return SplitRecords(stream.data() + 2, stream.size() - FRAME_ENVELOPE);
}

ByteString JoinRecords(const std::vector<Record>& records) {
  ByteString stream{STX, DIR_SET};
  for (const Record& record : records) {
    stream.insert(stream.end(), record.bytes.begin(), record.bytes.end());
  }
  stream.push_back(ETX);
  stream.push_back(Lrc(stream.data(), stream.size()));
  return stream;
}

Byte HidFormatOf(const ByteString& stream) {
  for (const Record& record : StoredRecords(stream)) {
    if (record.funcId == FUNC_HID_FORMAT && record.bytes.size() >= 3) return record.bytes[2];
  }
  return HID_FORMAT_KALDOR_DATA;
}

// STX, content, ETX, LRC over all of it.
ByteString Framed(const Byte* content, std::size_t length) {
  ByteString frame;
  frame.reserve(length + 3);
  frame.push_back(STX);
  for (std::size_t i = 0; i < length; ++i) frame.push_back(content[i]);
  frame.push_back(ETX);
  frame.push_back(Lrc(frame.data(), frame.size()));
  return frame;
}

}  // namespace

SimulatedReader::SimulatedReader(SimulatedReaderConfig config)
    : config_(std::move(config)), stream_(DefaultSettingsStream()) {}

bool SimulatedReader::IsSettingsFuncId(Byte funcId) {
  return FindSettingsRecord(funcId) != nullptr;
}

std::size_t SimulatedReader::CompleteFrameLength(const Byte* data, std::size_t count) {
  std::size_t start = 0;
  std::size_t length = 0;
  if (!FindFrame(data, count, &start, &length)) return 0;
  return start + length;
}

std::size_t SimulatedReader::LeadingGarbageLength(const Byte* data, std::size_t count) {
  if (data == nullptr) return 0;
  for (std::size_t s = 0; s < count; ++s) {
    if (data[s] != STX) continue;
    if (s + 1 >= count || IsDirectionLetter(data[s + 1])) return s;
  }
  return count;
}

ByteString SimulatedReader::DefaultSettingsStream() {
  Byte buffer[SETTINGS_BUFFER_SIZE] = {};
  std::uint32_t length = sizeof(buffer);
  ReaderSettings defaults;
  if (!EncodeSettings(defaults, buffer, &length)) return {};
  return ByteString(buffer, buffer + length);
}

ByteString SimulatedReader::HandleCommand(const Byte* frame, std::size_t length,
                                          ReplyStyle style) {
  std::size_t start = 0;
  std::size_t frameLength = 0;
  if (!FindFrame(frame, length, &start, &frameLength)) return {};
  const Byte* f = frame + start;

  std::lock_guard<std::mutex> guard(lock_);
  ++commandCount_;
  if (config_.silent) return {};
  // A frame whose check byte is wrong is not taken; the reader stays silent.
  if (Lrc(f, frameLength - 1) != f[frameLength - 1]) return {};

  const Byte direction = f[1];
  if (frameLength == SHORT_FRAME_LENGTH) {
    const Byte funcId = f[2];
    if (direction == DIR_READ) {
      if (funcId == CMD_READ_SETTINGS) return ReadSettingsReply(style);
      if (funcId == CMD_GET_FIRMWARE_VERSION) return VersionReply(style);
      return {REPLY_UNKNOWN};
    }
    if (direction == DIR_SET && funcId == CMD_SET_DEFAULTS) {
      // The factory settings keep the USB HID format the reader runs with: that format is
      // its USB interface, and restoring the settings must not make the reader re-appear as
      // the other interface while the host holds it open to read the settings back.
      const Byte format = HidFormatOf(stream_);
      std::vector<Record> records = StoredRecords(DefaultSettingsStream());
      for (Record& record : records) {
        if (record.funcId == FUNC_HID_FORMAT && record.bytes.size() >= 3) record.bytes[2] = format;
      }
      stream_ = JoinRecords(records);
      return AcceptReply(style);
    }
    if (direction == DIR_SET && !config_.rejectUnknown) return AcceptReply(style);
    return RefuseReply(style, {funcId});
  }

  // Long form or settings frame: the records between the direction letter and the ETX.
  const Byte* body = f + 2;
  const std::size_t bodyLength = frameLength - FRAME_ENVELOPE;
  const std::vector<Record> records = SplitRecords(body, bodyLength);
  std::vector<Byte> funcIds;
  for (const Record& record : records) funcIds.push_back(record.funcId);

  if (direction == DIR_READ) return {REPLY_UNKNOWN};
  if (direction != DIR_SET) return RefuseReply(style, funcIds);

  if (records.size() == 1 && records[0].funcId == CMD_ENTER_BOOT_LOADER &&
      records[0].bytes.size() == 3 && records[0].bytes[1] == 1 &&
      records[0].bytes[2] == ENTER_BOOT_LOADER_KEY) {
    bootLoader_ = true;
    return AcceptReply(style);
  }

  std::vector<Byte> unknown;
  for (Byte id : funcIds) {
    const bool unknownHere = std::find(config_.unknownFuncIds.begin(),
                                       config_.unknownFuncIds.end(), id) !=
                             config_.unknownFuncIds.end();
    if (!IsSettingsFuncId(id) || unknownHere) unknown.push_back(id);
  }
  if (!unknown.empty() && config_.rejectUnknown) return RefuseReply(style, unknown);
  StoreRecords(body, bodyLength);
  return AcceptReply(style);
}

void SimulatedReader::StoreRecords(const Byte* body, std::size_t bodyLength) {
  std::vector<Record> written;
  for (Record& record : SplitRecords(body, bodyLength)) {
    // The reader keeps only what it knows; other FuncIDs of an accepted frame are dropped
    // (so an older firmware keeps its own value of a setting it does not know).
    const bool known = IsSettingsFuncId(record.funcId) &&
                       std::find(config_.unknownFuncIds.begin(), config_.unknownFuncIds.end(),
                                 record.funcId) == config_.unknownFuncIds.end();
    if (known) written.push_back(std::move(record));
  }
  if (written.empty()) return;

  std::vector<Record> stored = StoredRecords(stream_);
  const bool coversStored = std::all_of(stored.begin(), stored.end(), [&](const Record& s) {
    return std::any_of(written.begin(), written.end(),
                       [&](const Record& w) { return w.funcId == s.funcId; });
  });
  if (coversStored) {
    // A whole settings set replaces the stored one as it came.
    stored = std::move(written);
  } else {
    // A partial write changes only the settings it names.
    for (Record& w : written) {
      auto it = std::find_if(stored.begin(), stored.end(),
                             [&](const Record& s) { return s.funcId == w.funcId; });
      if (it != stored.end()) {
        *it = std::move(w);
      } else {
        stored.push_back(std::move(w));
      }
    }
  }
  const Byte oldFormat = HidFormatOf(stream_);
  stream_ = JoinRecords(stored);
  FollowHidFormat(oldFormat);
}

void SimulatedReader::FollowHidFormat(Byte oldFormat) {
  const Byte format = HidFormatOf(stream_);
  if (format == oldFormat) return;
  if (IsHidInterface(config_.interfaceType)) {
    config_.interfaceType = format == HID_FORMAT_KALDOR_KEYBOARD ? InterfaceType::UsbHidKb : InterfaceType::UsbHid;
  }
}

ByteString SimulatedReader::ReadSettingsReply(ReplyStyle style) const {
  if (style == ReplyStyle::Keyboard) {
    // The keyboard line's replies carry no direction letter: STX, records, ETX, LRC.
    if (stream_.size() < FRAME_ENVELOPE) return Framed(nullptr, 0);
    return Framed(stream_.data() + 2, stream_.size() - FRAME_ENVELOPE);
  }
  ByteString reply{REPLY_ACK};
  reply.insert(reply.end(), stream_.begin(), stream_.end());
  return reply;
}

ByteString SimulatedReader::VersionReply(ReplyStyle style) const {
  const auto* text = reinterpret_cast<const Byte*>(config_.firmware.data());
  ByteString framed = Framed(text, config_.firmware.size());
  if (style == ReplyStyle::Keyboard) return framed;
  framed.insert(framed.begin(), REPLY_ACK);
  return framed;
}

ByteString SimulatedReader::AcceptReply(ReplyStyle style) {
  return {style == ReplyStyle::Keyboard ? KEYBOARD_ACK : REPLY_ACK};
}

ByteString SimulatedReader::RefuseReply(ReplyStyle style, const std::vector<Byte>& refusedIds) {
  ByteString reply{REPLY_UNKNOWN};
  if (style != ReplyStyle::Keyboard) return reply;
  // On the keyboard line a refusal is followed by a framed reply: one field, identifier
  // 0x16, listing the refused FuncIDs.
  const std::size_t count = std::min<std::size_t>(refusedIds.size(), 0xFF);
  ByteString field{REPLY_UNKNOWN, static_cast<Byte>(count)};
  field.insert(field.end(), refusedIds.begin(), refusedIds.begin() + count);
  ByteString framed = Framed(field.data(), field.size());
  reply.insert(reply.end(), framed.begin(), framed.end());
  return reply;
}

ByteString SimulatedReader::SettingsStream() const {
  std::lock_guard<std::mutex> guard(lock_);
  return stream_;
}

bool SimulatedReader::SetSettingsStream(const ByteString& stream) {
  std::size_t start = 0;
  std::size_t length = 0;
  if (!FindFrame(stream.data(), stream.size(), &start, &length)) return false;
  if (start != 0 || length != stream.size() || length == SHORT_FRAME_LENGTH) return false;
  if (stream[1] != DIR_SET) return false;
  if (Lrc(stream.data(), length - 1) != stream[length - 1]) return false;
  ReaderSettings check;
  if (!DecodeSettings(stream.data(), static_cast<std::uint32_t>(stream.size()), &check)) {
    return false;
  }
  std::lock_guard<std::mutex> guard(lock_);
  const Byte oldFormat = HidFormatOf(stream_);
  stream_ = stream;
  FollowHidFormat(oldFormat);
  return true;
}

std::string SimulatedReader::Firmware() const {
  std::lock_guard<std::mutex> guard(lock_);
  return config_.firmware;
}

void SimulatedReader::SetFirmware(const std::string& firmware) {
  std::lock_guard<std::mutex> guard(lock_);
  config_.firmware = firmware;
}

bool SimulatedReader::InBootLoader() const {
  std::lock_guard<std::mutex> guard(lock_);
  return bootLoader_;
}

Byte SimulatedReader::HidFormat() const {
  std::lock_guard<std::mutex> guard(lock_);
  return HidFormatOf(stream_);
}

InterfaceType SimulatedReader::Interface() const {
  std::lock_guard<std::mutex> guard(lock_);
  return config_.interfaceType;
}

void SimulatedReader::SetInterface(InterfaceType type) {
  std::lock_guard<std::mutex> guard(lock_);
  config_.interfaceType = type;
}

void SimulatedReader::SetSilent(bool silent) {
  std::lock_guard<std::mutex> guard(lock_);
  config_.silent = silent;
}

void SimulatedReader::SetRejectUnknown(bool rejectUnknown) {
  std::lock_guard<std::mutex> guard(lock_);
  config_.rejectUnknown = rejectUnknown;
}

void SimulatedReader::SetUnknownFuncIds(std::vector<Byte> funcIds) {
  std::lock_guard<std::mutex> guard(lock_);
  config_.unknownFuncIds = std::move(funcIds);
}

std::size_t SimulatedReader::CommandCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return commandCount_;
}

}  // namespace tessaron::sim
