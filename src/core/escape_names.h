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

// The exact text form of a byte string, which TextToBytes reads back byte for byte: a
// printable character stands for itself and the backslash is doubled ("\\"); a byte with a
// name is written by it ("\cr") where the name reads back as that byte; every other byte as
// "\x" and two hexadecimal digits ("\x97": the keyboard key that shares the name "\esc"
// with 0x1B, or a character after a name that would run on into a longer name, as the "_"
// of 0x0D "_lf", which would read as "\cr_lf").
std::string BytesToExactText(const ByteString& bytes);
// Reads that form. A backslash starts the longest name that matches, "\\" or "\xHH" (either
// letter case); any other byte stands for itself. False, with a message that quotes the
// spot, for a backslash that starts none of these.
bool TextToBytes(const std::string& text, ByteString* bytes, std::string* error);

}  // namespace tessaron
