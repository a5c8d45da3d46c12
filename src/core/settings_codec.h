#pragma once
// The settings stream: STX, 0x53, one record per FuncID, ETX, LRC.

#include <cstdint>

#include "core/byte_string.h"
#include "core/reader_settings.h"
#include "core/settings_table.h"

namespace tessaron {

// Smallest capacity EncodeSettings accepts is this + 1.
constexpr std::uint32_t ENCODE_MIN_CAPACITY_EXCLUSIVE = 608;
// Length of the stream of a record whose lists, strings and formulas are all empty.
constexpr std::uint32_t DEFAULT_STREAM_LENGTH = 147;

// Writes the whole record in the fixed order. length: capacity on entry, stream length on
// return (0 on failure). Fails, without writing past the buffer, when the stream would not fit.
bool EncodeSettings(const ReaderSettings& settings, Byte* buffer, std::uint32_t* length);

// Bytes the record takes in the stream of settings, FuncID and length byte included. Strings
// and blocks count at their true size, also where the encoder refuses them (a string over 254
// bytes, a block content over 255, an added field over 8 bytes).
std::uint64_t EncodedRecordLength(const SettingsRecordInfo& record, const ReaderSettings& settings);

enum class DecodeStatus {
  Ok,           // the stream ended with its ETX and a correct check byte
  NoStream,     // no bytes, or no record to fill
  NoStx,        // no STX at the start (after an optional 0x06 or 0xFA lead-in)
  BadChecksum,  // the check byte after the ETX does not match
  CutOff,       // the bytes end before the ETX and its check byte
};

// Resets settings to defaults and fills it from bytes[0..count), record by record as
// SettingsStreamWalker delimits them. Every status but Ok is a failed decode: the record then
// holds defaults overwritten by the whole records read before the failure, which is no state
// to write to a reader or a file. Never reads past count. Without bytes or record, the record
// is left alone.
DecodeStatus DecodeSettingsStatus(const Byte* bytes, std::uint32_t count, ReaderSettings* settings);

// DecodeSettingsStatus(...) == DecodeStatus::Ok.
bool DecodeSettings(const Byte* bytes, std::uint32_t count, ReaderSettings* settings);

}  // namespace tessaron
