#include "core/command_text.h"

#include <array>

#include "core/command_frame.h"

namespace tessaron {

namespace {

constexpr char BACKSLASH = '\\';

char ToCapital(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Value of one hexadecimal digit (already in capitals); false for any other character.
bool DigitValue(char c, Byte* value) {
  if (c >= '0' && c <= '9') {
    *value = static_cast<Byte>(c - '0');
  } else if (c >= 'A' && c <= 'F') {
    *value = static_cast<Byte>(c - 'A' + 10);
  } else {
    return false;
  }
  return true;
}

// One item: "X" and one or two hexadecimal digits. False for anything else: a character
// that is no digit would otherwise be sent as a byte the user never typed.
bool ItemValue(const std::string& text, std::size_t begin, std::size_t end, Byte* value) {
  const std::size_t length = end - begin;
  if (length < 2 || length > 3 || text[begin] != 'X') return false;
  *value = 0;
  for (std::size_t i = begin + 1; i < end; ++i) {
    Byte digit = 0;
    if (!DigitValue(text[i], &digit)) return false;
    *value = static_cast<Byte>((*value << 4) | digit);
  }
  return true;
}

// Where the refused item stands in the text as typed: the parser saw it without blanks.
std::string BadItemText(const std::string& typed, std::size_t offsetWithoutBlanks) {
  std::size_t kept = 0;
  std::size_t position = 0;
  for (; position < typed.size(); ++position) {
    if (typed[position] == ' ' || typed[position] == '\t') continue;
    if (kept++ == offsetWithoutBlanks) break;
  }
  std::string item;
  for (std::size_t i = position; i < typed.size() && item.size() < 8; ++i) {
    if (typed[i] == ' ' || typed[i] == '\t') continue;
    if (i > position && typed[i] == BACKSLASH) break;
    item += typed[i];
  }
  return "\"" + item + "\" at character " + std::to_string(position + 1) +
         " is no byte: write \\x and one or two hexadecimal digits, as in \\x2.";
}

}  // namespace

CommandTextResult ParseCommandText(const std::string& text, Byte* out, std::uint32_t capacity,
                                   std::uint32_t* count, std::size_t* badItem) {
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
    if (!ItemValue(capitals, begin, end, &value)) {
      if (badItem != nullptr) *badItem = begin > 0 ? begin - 1 : 0;
      return CommandTextResult::InvalidValue;
    }
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

ManualCommandCheck PrepareManualCommand(const std::string& text, ByteString* frame,
                                        std::string* problem) {
  if (frame != nullptr) frame->clear();
  const std::string command = RemoveBlanks(text);
  if (command.empty()) return ManualCommandCheck::Empty;

  std::array<Byte, MANUAL_COMMAND_FRAME_MAX> bytes{};
  std::uint32_t count = 0;
  std::size_t bad = 0;
  switch (ParseCommandText(command, bytes.data(), MANUAL_COMMAND_MAX_BYTES, &count, &bad)) {
    case CommandTextResult::Ok:
      break;
    case CommandTextResult::InvalidValue:
      if (problem != nullptr) *problem = BadItemText(text, bad);
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
