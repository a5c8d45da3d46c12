#include "core/command_frame.h"

#include <cstddef>

namespace tessaron {

namespace {

// Room every frame needs beyond its data: STX, letter, FuncID, length, ETX, LRC.
constexpr std::uint32_t FRAME_OVERHEAD = 6;

}  // namespace

Byte ComputeLrc(const Byte* bytes, std::uint32_t count) {
  Byte lrc = 0;
  if (bytes == nullptr) return lrc;
  for (std::uint32_t i = 0; i < count; ++i) lrc ^= bytes[i];
  return lrc;
}

bool BuildCommandFrame(Byte funcId, Byte dataLength, const Byte* data, Byte* out,
                       std::uint32_t* length) {
  if (length == nullptr) return false;

  // The short forms need the same room as the long one: the check uses the caller's
  // data length whatever the FuncID.
  if (out == nullptr || *length < static_cast<std::uint32_t>(dataLength) + FRAME_OVERHEAD) {
    *length = 0;
    return false;
  }

  const bool shortForm = IsShortFormCommand(funcId);
  const bool shortQuery = shortForm && funcId != CMD_SET_DEFAULTS;

  // A long frame that announces data it was not given would copy from nowhere.
  if (!shortForm && dataLength > 0 && data == nullptr) {
    *length = 0;
    return false;
  }

  out[0] = STX;
  out[1] = shortQuery ? DIR_READ : DIR_SET;
  out[2] = funcId;

  std::uint32_t body = 0;
  if (shortForm) {
    out[3] = ETX;
    body = SHORT_FRAME_LENGTH - 1;
  } else {
    out[3] = dataLength;
    for (std::uint32_t i = 0; i < dataLength; ++i) out[4 + i] = data[i];
    out[4 + dataLength] = ETX;
    body = static_cast<std::uint32_t>(dataLength) + 5;
  }

  out[body] = ComputeLrc(out, body);
  *length = body + 1;
  return true;
}

bool IsReaderCommandFrame(const Byte* bytes, std::uint32_t length) {
  if (bytes == nullptr || length < SHORT_FRAME_LENGTH || length > LONGEST_COMMAND_FRAME) {
    return false;
  }
  const std::uint32_t etx = length - 2;
  if (bytes[0] != STX || bytes[etx] != ETX || bytes[etx + 1] != ComputeLrc(bytes, etx + 1)) {
    return false;
  }
  const Byte funcId = bytes[2];
  if (length == SHORT_FRAME_LENGTH && IsShortFormCommand(funcId)) {
    return bytes[1] == (funcId == CMD_SET_DEFAULTS ? DIR_SET : DIR_READ);
  }
  if (bytes[1] != DIR_SET) return false;
  // FuncID and length byte, then the record's bytes.
  std::uint32_t at = 2;
  while (at < etx && etx - at >= 2) at += 2 + bytes[at + 1];
  return at == etx;
}

}  // namespace tessaron
