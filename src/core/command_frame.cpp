#include "core/command_frame.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

namespace tessaron {

namespace {

// Room every frame needs beyond its data: STX, letter, FuncID, length, ETX, LRC.
constexpr std::uint32_t FRAME_OVERHEAD = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

std::string FirmwareVersionText(std::span<const Byte> reply) {
  std::string text;
  if (reply.size() <= 4) return text;
  const auto stx = std::find(reply.begin(), reply.end(), STX);
  if (stx == reply.end()) return text;
  const auto limit = reply.end() - 2;
  for (auto at = stx + 1; at < limit && *at != ETX; ++at) text.push_back(static_cast<char>(*at));
  return text;
}

double ParseVersionNumber(const std::string& text) {
  enum State { SEARCHING, INTEGER_DIGITS, AFTER_POINT, FRACTION_DIGITS };

  State state = SEARCHING;
  std::size_t start = 0;
  std::size_t end = text.size();
  bool complete = false;

  for (std::size_t i = 0; i < text.size() && !complete; ++i) {
    const char c = text[i];
    switch (state) {
      case SEARCHING:
        if (IsDigit(c)) {
          start = i;
          state = INTEGER_DIGITS;
        }
        break;
      case INTEGER_DIGITS:
        if (c == '.') {
          state = AFTER_POINT;
        } else if (!IsDigit(c)) {
          state = SEARCHING;
        }
        break;
      case AFTER_POINT:
        state = IsDigit(c) ? FRACTION_DIGITS : SEARCHING;
        break;
      case FRACTION_DIGITS:
        if (!IsDigit(c)) {
          end = i;
          complete = true;
        }
        break;
    }
  }
  // The end of the text also ends a run of fraction digits.
  if (!complete && state != FRACTION_DIGITS) return 0.0;

  // from_chars reads '.' whatever the process locale is.
  double value = 0.0;
  const char* first = text.data() + start;
  const char* last = text.data() + end;
  const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
  if (result.ec != std::errc() || result.ptr != last) return 0.0;
  return value;
}

}  // namespace tessaron
