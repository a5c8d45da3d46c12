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

// Bytes of a settings frame around its records: STX, 0x53 at the front; ETX, LRC at the end.
constexpr std::uint32_t SETTINGS_FRAME_ENVELOPE = 4;

constexpr Byte CMD_SET_DEFAULTS = 0x18;
constexpr Byte CMD_READ_SETTINGS = 0x1F;
constexpr Byte CMD_GET_FIRMWARE_VERSION = 0x22;
constexpr Byte CMD_ENTER_BOOT_LOADER = 0x70;

constexpr Byte REPLY_ACK = 0x06;
constexpr Byte KEYBOARD_ACK = 0xFA;
constexpr Byte REPLY_UNKNOWN = 0x16;

// Firmware from which a "USB-HID-KB" reader accepts the USB HID format "8".
constexpr double HID_KB_FORMAT_MIN_VERSION = 1.89;

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

// Decimal value of the first run digits-point-digits in text; 0 when there is none.
double ParseVersionNumber(const std::string& text);

}  // namespace tessaron
