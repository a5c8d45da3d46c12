#pragma once
// Words for the values of the one-byte settings and for the option bits of the two bit
// bytes. Settings are held as raw stream bytes; these tables turn a stored byte into the
// word the report prints and the caption a settings page shows. Every lookup takes any
// byte: a value that no table knows gives an empty text, never a read outside a table.

#include <cstdint>
#include <span>

#include "core/byte_string.h"

namespace tessaron {

// The one-byte settings whose values have words.
enum class ValueTable {
  TerminalType,    // 0x10
  BeepVolume,      // 0x11
  InterCharDelay,  // 0x12
  TrackSelect,     // 0x13
  DataFormat,      // 0x15
  MsrReading,      // 0x1A
  DecodingMethod,  // 0x1D
  HidFormat,       // 0x23
  LanguageOption,  // 0x24
  BaudRate,        // 0x41
  DataBits,        // 0x42
  Parity,          // 0x43
  Handshake,       // 0x44
  StopBits,        // 0x45
  LrcOption,       // 0x60
};

// One known value of a setting: the stored byte, the report's word and the page's caption
// (the same text as the word where the page does not name the choice differently).
struct ValueWordEntry {
  Byte value;
  const char* word;
  const char* caption;
};

// Every known value of a setting, in the order of its page's buttons.
std::span<const ValueWordEntry> ValueWords(ValueTable table);

// The report's word for a stored value; "" for a value without a word.
const char* ValueWord(ValueTable table, Byte value);
// The page's caption for a stored value; "" for a value without one.
const char* ValueCaption(ValueTable table, Byte value);

// The three USB HID format words, in the positions HidFormatIndex gives.
constexpr int HID_FORMAT_WORD_COUNT = 3;
// The word at a HidFormatIndex position; "" for a position outside 0 to 2 (such as -1).
const char* HidFormatWord(std::int32_t index);

// One option bit of a bit byte: its mask and the words for the bit clear and set.
struct OptionBitEntry {
  Byte mask;
  const char* clearWord;
  const char* setWord;
};

// formatOptions (0x16): bits 0 to 6 in order; bit 0 is the UIC LRC option, bits 1 to 6
// the MagTek options. Bit 7 is unused.
std::span<const OptionBitEntry> FormatOptionBits();
// sendOutFormat (0x19): bits 0 to 3 in order (sentinels, track 2 account number, error
// indication, function key output).
std::span<const OptionBitEntry> SendOutFormatBits();

// The word that describes the bit's state in value.
const char* OptionBitWord(const OptionBitEntry& bit, Byte value);

}  // namespace tessaron
