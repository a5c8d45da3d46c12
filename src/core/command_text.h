#pragma once
// Commands typed as text in the manual-command notation "\x2\x52\x22\x3": each byte is a
// backslash, an X (either case) and one or two hexadecimal digits. Used by the manual
// command page and by "tessaron send".

#include <cstdint>
#include <string>

#include "core/byte_string.h"

namespace tessaron {

// Bytes of one typed command, without the LRC that is added before sending.
constexpr std::uint32_t MANUAL_COMMAND_MAX_BYTES = 513;
// The typed command plus its LRC.
constexpr std::uint32_t MANUAL_COMMAND_FRAME_MAX = MANUAL_COMMAND_MAX_BYTES + 1;
// Reply buffer of a manual command.
constexpr std::uint32_t MANUAL_COMMAND_REPLY_BUFFER_SIZE = 1024;

enum class CommandTextResult {
  Ok,
  InvalidValue,  // an empty item, an item without X, no digit, more than two digits after
                 // the X, or a character that is no hexadecimal digit
  TooLong,       // more items than the buffer holds
};

// Turns the text into bytes. The text is read in capitals; everything before the first
// backslash is skipped (without any backslash the whole text is one item). Each item runs
// to the next backslash or the end and must be X followed by one or two hexadecimal digits:
// one gives the value 0 to 15, two give the high and low four bits. count receives the
// number of bytes (0 on failure); on InvalidValue, badItem (when given) receives the
// offset in text of the refused item's backslash (of the item itself where none precedes
// it). Blanks are not removed here: the caller strips them first.
// On InvalidValue the caller tells the user that a value is invalid; TooLong has no text
// of its own.
CommandTextResult ParseCommandText(const std::string& text, Byte* out, std::uint32_t capacity,
                                   std::uint32_t* count, std::size_t* badItem = nullptr);

// The text without its blanks and tab characters.
std::string RemoveBlanks(const std::string& text);

enum class ManualCommandCheck {
  Ok,
  Empty,         // nothing left after removing the blanks
  InvalidValue,  // the parser refused an item
  TooLong,       // more than MANUAL_COMMAND_MAX_BYTES bytes
  NotFramed,     // does not begin with STX or does not end with ETX
};

// The steps of "Send Command" before anything is sent: removes the blanks, parses the text
// (at most MANUAL_COMMAND_MAX_BYTES bytes), checks STX and ETX and appends the LRC.
// frame receives the bytes to send (empty unless Ok). On InvalidValue, problem (when
// given) receives which item of the text as typed is wrong and where ("\xZZ" at
// character 5 ...).
ManualCommandCheck PrepareManualCommand(const std::string& text, ByteString* frame,
                                        std::string* problem = nullptr);

}  // namespace tessaron
