#pragma once
// Command frames: STX, direction letter, FuncID, [length, data,] ETX, LRC.

#include <cstdint>
#include <string>

#include "core/byte_string.h"

namespace tessaron {

constexpr Byte STX = 0x02;
constexpr Byte ETX = 0x03;
constexpr Byte DIR_READ = 0x52;  // 'R', a query
constexpr Byte DIR_SET = 0x53;   // 'S', a command or settings
// Further command codes that the keyboard line treats as set-type commands, as DIR_SET.
constexpr Byte DIR_SET_P = 0x50;  // 'P'
constexpr Byte DIR_SET_Q = 0x51;  // 'Q'
constexpr Byte DIR_SET_M = 0x4D;  // 'M'

// Set-type command codes (the second frame byte): answered by a single acknowledgement on
// the keyboard line. DIR_SET, DIR_SET_P, DIR_SET_Q and DIR_SET_M.
constexpr bool IsSetTypeCommand(Byte commandCode) {
  return commandCode == DIR_SET || commandCode == DIR_SET_P || commandCode == DIR_SET_Q ||
         commandCode == DIR_SET_M;
}

// The bytes around a long-form or settings frame's records: STX and the direction letter
// at the front, ETX and LRC at the end.
constexpr std::uint32_t FRAME_ENVELOPE = 4;
// STX, letter, FuncID, ETX, LRC.
constexpr std::uint32_t SHORT_FRAME_LENGTH = 5;

constexpr Byte CMD_SET_DEFAULTS = 0x18;
constexpr Byte CMD_READ_SETTINGS = 0x1F;
constexpr Byte CMD_GET_FIRMWARE_VERSION = 0x22;
constexpr Byte CMD_ENTER_BOOT_LOADER = 0x70;
// The one data byte of CMD_ENTER_BOOT_LOADER: without it the reader stays as it is.
constexpr Byte ENTER_BOOT_LOADER_KEY = 0xFF;

// The commands that travel in the short form: 0x18 as a set, 0x1F and 0x22 as queries.
constexpr bool IsShortFormCommand(Byte funcId) {
  return funcId == CMD_SET_DEFAULTS || funcId == CMD_READ_SETTINGS ||
         funcId == CMD_GET_FIRMWARE_VERSION;
}

constexpr Byte REPLY_ACK = 0x06;
constexpr Byte KEYBOARD_ACK = 0xFA;
constexpr Byte REPLY_UNKNOWN = 0x16;
// Byte 1 of a USB HID report that says the reader has nothing more to send (every later
// byte is 0).
constexpr Byte HID_IDLE_REPORT_MARKER = 0x15;

// The longest frame the programs send: a typed command of 513 bytes and its LRC (a
// settings frame is at most 400 bytes).
constexpr std::uint32_t LONGEST_COMMAND_FRAME = 514;

// Fixed buffer sizes of the transactions.
constexpr std::uint32_t COMMAND_BUFFER_SIZE = 16;
constexpr std::uint32_t SETTINGS_BUFFER_SIZE = 1024;
constexpr std::uint32_t WRITE_REPLY_BUFFER_SIZE = 64;
constexpr std::uint32_t VERSION_REPLY_BUFFER_SIZE = 128;

// XOR of the count bytes at bytes; 0 for a count of 0.
Byte ComputeLrc(const Byte* bytes, std::uint32_t count);

// Builds a frame for funcId into out. length holds the capacity of out on entry and the
// frame length on return (0 on failure). 0x18 gives the short set form, 0x1F and 0x22 the
// short query form (data ignored); every other FuncID the long form with dataLength bytes.
bool BuildCommandFrame(Byte funcId, Byte dataLength, const Byte* data, Byte* out,
                       std::uint32_t* length);

// Whether bytes[0..length) are one whole command frame of a kind the programs send, with
// ETX and the right LRC, of at most LONGEST_COMMAND_FRAME bytes: a short form (0x1F and 0x22
// as queries, 0x18 as a set), or a set frame of records (FuncID, length, that many bytes)
// that end exactly at the ETX, which covers the long form and the settings frame.
bool IsReaderCommandFrame(const Byte* bytes, std::uint32_t length);

}  // namespace tessaron
