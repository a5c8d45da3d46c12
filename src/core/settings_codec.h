#pragma once
// The settings stream: STX, 0x53, one record per FuncID, ETX, LRC.

#include <cstdint>

#include "core/byte_string.h"
#include "core/reader_settings.h"

namespace tessaron {

// Smallest capacity EncodeSettings accepts is this + 1.
constexpr std::uint32_t ENCODE_MIN_CAPACITY_EXCLUSIVE = 608;
// Length of the stream of a record whose lists, strings and formulas are all empty.
constexpr std::uint32_t DEFAULT_STREAM_LENGTH = 147;

// Writes the whole record in the fixed order. length: capacity on entry, stream length on
// return (0 on failure). Fails, without writing past the buffer, when the stream would not fit.
bool EncodeSettings(const ReaderSettings& settings, Byte* buffer, std::uint32_t* length);

// Resets settings to defaults and fills it from bytes[0..count). True when the stream ended
// with a correct LRC or ran to its end without an ETX. Never reads past count.
bool DecodeSettings(const Byte* bytes, std::uint32_t count, ReaderSettings* settings);

}  // namespace tessaron
