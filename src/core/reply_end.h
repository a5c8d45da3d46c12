#pragma once
// When a reply is whole. A reader answers a set command with one byte first (0x06 taken,
// 0x16 refused) and a query with a data frame from STX to ETX and its check byte, mostly
// after a 0x06. A port in fast mode ends the exchange as soon as the bytes received so far
// are such a reply instead of waiting for the line to fall silent.

#include <cstddef>

#include "core/byte_string.h"

namespace tessaron {

// True when reply[0..count) is the whole reply to command[0..commandLength): the first byte
// of the answer to a set command, or the whole data frame of a query with its right check
// byte (a settings frame ends where its records say, so an ETX value inside a record does
// not end it). A refused query and a command of neither direction have no known end: their
// exchanges end by the line's own rules.
bool IsWholeReply(const Byte* command, std::size_t commandLength, const Byte* reply,
                  std::size_t count);

}  // namespace tessaron
