#include "core/command_text.h"

#include <array>

#include "core/command_frame.h"

namespace tessaron {

namespace {

constexpr char BACKSLASH = '\\';

char ToCapital(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Value of one hexadecimal digit (already in capitals); any other character counts as 0.
Byte DigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<Byte>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<Byte>(c - 'A' + 10);
  return 0;
}

// One item: "X" and one or two characters. False for anything else.
bool ItemValue(const std::string& text, std::size_t begin, std::size_t end, Byte* value) {
  const std::size_t length = end - begin;
  if (length < 2 || length > 3 || text[begin] != 'X') return false;
  if (length == 2) {
    *value = DigitValue(text[begin + 1]);
  } else {
    *value = static_cast<Byte>((DigitValue(text[begin + 1]) << 4) | DigitValue(text[begin + 2]));
  }
  return true;
}

}  // namespace

CommandTextResult ParseCommandText(const std::string& text, Byte* out, std::uint32_t capacity,
                                   std::uint32_t* count) {
  if (count != nullptr) *count = 0;
  std::string capitals = text;
  for (char& c : capitals) c = ToCapital(c);

  // Characters before the first backslash are skipped; with none the whole text is one item.
  const std::size_t first = capitals.find(BACKSLASH);
  std::size_t begin = first == std::string::npos ? 0 : first + 1;

  std::uint32_t stored = 0;
  while (true) {
    std::size_t end = capitals.find(BACKSLASH, begin);
    if (end == std::string::npos) end = capitals.size();
    Byte value = 0;
    if (!ItemValue(capitals, begin, end, &value)) return CommandTextResult::InvalidValue;
    if (out == nullptr || stored >= capacity) return CommandTextResult::TooLong;
    out[stored++] = value;
    if (end == capitals.size()) break;
    begin = end + 1;
  }
  if (count != nullptr) *count = stored;
  return CommandTextResult::Ok;
}

std::string RemoveBlanks(const std::string& text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t') kept += c;
  }
  return kept;
}

ManualCommandCheck PrepareManualCommand(const std::string& text, ByteString* frame) {
  if (frame != nullptr) frame->clear();
  const std::string command = RemoveBlanks(text);
  if (command.empty()) return ManualCommandCheck::Empty;

  std::array<Byte, MANUAL_COMMAND_FRAME_MAX> bytes{};
  std::uint32_t count = 0;
  switch (ParseCommandText(command, bytes.data(), MANUAL_COMMAND_MAX_BYTES, &count)) {
    case CommandTextResult::Ok:
      break;
    case CommandTextResult::InvalidValue:
      return ManualCommandCheck::InvalidValue;
    case CommandTextResult::TooLong:
      return ManualCommandCheck::TooLong;
  }
  if (count == 0 || bytes[0] != STX || bytes[count - 1] != ETX) {
    return ManualCommandCheck::NotFramed;
  }
  bytes[count] = ComputeLrc(bytes.data(), count);
  if (frame != nullptr) frame->assign(bytes.begin(), bytes.begin() + count + 1);
  return ManualCommandCheck::Ok;
}

}  // namespace tessaron
