#include "core/settings_transactions.h"

#include <algorithm>
#include <utility>

#include "core/command_frame.h"
#include "core/settings_codec.h"
#include "core/settings_table.h"

namespace tessaron {

std::uint64_t SettingsFrameLength(const ReaderSettings& settings) {
  std::uint64_t length = FRAME_ENVELOPE;
  for (const SettingsRecordInfo& record : SettingsRecords()) {
    length += EncodedRecordLength(record, settings);
  }
  return length;
}

std::uint64_t LongestSettingsBlock(const ReaderSettings& settings) {
  std::uint64_t longest = 0;
  for (const SettingsRecordInfo& record : SettingsRecords()) {
    if (!IsBlock(record.kind)) continue;
    longest = std::max(longest, EncodedRecordLength(record, settings) - RECORD_HEAD);
  }
  return longest;
}

bool ReadFromReader(ReaderSettings& settings, ReaderPort* port) {
  if (port == nullptr || !port->IsOpen()) return false;

  Byte command[COMMAND_BUFFER_SIZE] = {};
  Byte reply[SETTINGS_BUFFER_SIZE] = {};

  // The record names the interface it was read over even when the read fails later on.
  settings.interfaceType = port->GetInterfaceType();

  std::uint32_t commandLength = COMMAND_BUFFER_SIZE;
  if (!BuildCommandFrame(CMD_READ_SETTINGS, 0, nullptr, command, &commandLength)) return false;

  const PortReply answer = port->Transact(std::span(command, commandLength), reply);
  if (!answer.ok) return false;
  // Decoded into a copy, so that a reply that fails to decode (cut off, wrong check byte)
  // leaves no half-filled record behind for a later write or save to pass on.
  ReaderSettings decoded(settings);
  if (!DecodeSettings(answer.bytes.data(), static_cast<std::uint32_t>(answer.bytes.size()),
                      &decoded)) {
    return false;
  }
  settings = std::move(decoded);
  return true;
}

WriteResult WriteToReader(ReaderSettings& settings, ReaderPort* port) {
  if (port == nullptr || !port->IsOpen()) return WriteFailed;

  // A block whose content does not fit its length byte would reach the reader with a
  // wrapped length and be read as garbage, even when the whole frame stays under the
  // limit (long formulas can do that at 396 bytes). It is refused as too long: it is the
  // same remedy for the user, fewer fields.
  if (LongestSettingsBlock(settings) > MAX_BLOCK_CONTENT) return WriteTooLong;

  Byte frame[SETTINGS_BUFFER_SIZE] = {};
  Byte reply[WRITE_REPLY_BUFFER_SIZE] = {};

  std::uint32_t frameLength = SETTINGS_BUFFER_SIZE;
  if (!EncodeSettings(settings, frame, &frameLength)) {
    // The encoder also refuses strings over 254 bytes, frames that outgrow the buffer and
    // added fields over 8 bytes. A record whose frame would pass the limit anyway is too
    // long (every string or buffer overflow is); anything else is a frame that could not
    // be built.
    return SettingsFrameLength(settings) > MAX_SETTINGS_FRAME ? WriteTooLong : WriteFailed;
  }
  if (frameLength > MAX_SETTINGS_FRAME) return WriteTooLong;

  const PortReply answer = port->Transact(std::span(frame, frameLength), reply);

  // The reader has seen the frame (or had the chance to): a pending interface switch is
  // either done now or abandoned.
  settings.interfaceSwitchPending = false;

  if (answer.ok) return WriteOk;
  if (!answer.bytes.empty() && answer.bytes[0] == REPLY_UNKNOWN) return WriteRejected;
  return WriteFailed;
}

namespace {

// A command of at most one data byte, acknowledged by the reader.
bool Acknowledged(ReaderPort* port, Byte funcId, std::span<const Byte> data) {
  if (port == nullptr || !port->IsOpen()) return false;
  Byte command[COMMAND_BUFFER_SIZE] = {};
  Byte reply[WRITE_REPLY_BUFFER_SIZE] = {};
  std::uint32_t commandLength = COMMAND_BUFFER_SIZE;
  if (!BuildCommandFrame(funcId, static_cast<Byte>(data.size()), data.data(), command,
                         &commandLength)) {
    return false;
  }
  return port->Transact(std::span(command, commandLength), reply).ok;
}

}  // namespace

bool RestoreFactorySettings(ReaderPort* port) { return Acknowledged(port, CMD_SET_DEFAULTS, {}); }

bool EnterBootLoaderMode(ReaderPort* port) {
  const Byte key[] = {ENTER_BOOT_LOADER_KEY};
  return Acknowledged(port, CMD_ENTER_BOOT_LOADER, key);
}

}  // namespace tessaron
