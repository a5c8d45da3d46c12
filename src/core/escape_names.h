#pragma once
// Names of non-printable bytes and keyboard key codes ("\cr", "\esc", "\f1", ...).

#include <cstdint>
#include <string>

#include "core/byte_string.h"

namespace tessaron {

struct CharNameEntry {
  std::uint32_t code;  // only the low byte is compared
  const char* name;    // starts with a backslash
  std::int32_t nameLength;
};

constexpr int CHAR_NAME_COUNT = 111;

// Row index of the first row whose code's low byte equals value; false when none.
bool FindCharName(Byte value, int* row);
std::int32_t CharNameLength(int row);  // 0 for a row outside the table
const char* CharNameAt(int row);       // "" for a row outside the table
Byte CharCodeAt(int row);              // 0 for a row outside the table
int CharNameCount();

// The name when the byte has one, else the byte itself as a one-character text.
std::string CharToText(Byte value);
// Every byte by its name or as itself, no separators.
std::string BytesToText(const ByteString& bytes);

}  // namespace tessaron
