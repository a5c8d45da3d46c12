#include "core/settings_words.h"

#include <iterator>

namespace tessaron {

namespace {

// Entries whose page caption is the report word itself.
#define SAME(value, text) {value, text, text}

constexpr ValueWordEntry TERMINAL_TYPE_WORDS[] = {
    SAME('0', "IBM PC/AT"),
    SAME('4', "NoteBook"),
    SAME('5', "IBM PC/AT, External Keyboard"),
    SAME('6', "IBM PC/AT, NO External Keyboard"),
};

constexpr ValueWordEntry BEEP_VOLUME_WORDS[] = {
    SAME('0', "OFF"), SAME('1', "LOW"), SAME('2', "HIGH"),
    SAME('3', "Quick HIGH"), SAME('4', "Quick LOW"),
};

constexpr ValueWordEntry INTER_CHAR_DELAY_WORDS[] = {
    SAME('0', "2 ms"),  SAME('1', "5 ms"),  SAME('2', "10 ms"),
    SAME('3', "20 ms"), SAME('4', "50 ms"), SAME('5', "100 ms"),
};

constexpr ValueWordEntry TRACK_SELECT_WORDS[] = {
    SAME('0', "Any Track"),         SAME('1', "Track1 Only"),
    SAME('2', "Track2 Only"),       SAME('3', "Track1 And Track2"),
    SAME('4', "Track3 Only"),       SAME('5', "Track1 And Track3"),
    SAME('6', "Track2 And Track3"), SAME('7', "All Three Tracks"),
    SAME('8', "Track1 Or Track2"),  SAME('9', "Track2 Or Track3"),
};

constexpr ValueWordEntry DATA_FORMAT_WORDS[] = {
    SAME('0', "Kaldor Format"),
    SAME('1', "UIC RS232 Format"),
    SAME('2', "MagTek RS232 Format"),
};

constexpr ValueWordEntry MSR_READING_WORDS[] = {
    {'0', "Disabled", "MSR Reading Disabled"},
    {'1', "Enabled", "MSR Reading Enabled"},
};

constexpr ValueWordEntry DECODING_METHOD_WORDS[] = {
    {'0', "Raw Data, Not Decoded", "Raw Data"},
    {'1', "Decoding In Two Swiping Direction", "Decoding In Both Directions"},
    {'2', "Magnetic Head Move Along Encoding Way", "Decoding forward direction only"},
    {'3', "Magnetic Head Move Against Encoding Way", "Decoding reverse direction only"},
};

constexpr ValueWordEntry HID_FORMAT_WORDS[] = {
    {'0', "Kaldor USB HID Data Format", "Kaldor USB HID Data Format"},
    {'1', "Mag-Tek USB HID Data Format", "MagTek USB HID Data Format"},
    {'8', "Kaldor USB HID KB Data Format", "Kaldor USB HID Keyboard "},
};

constexpr ValueWordEntry LANGUAGE_OPTION_WORDS[] = {
    SAME('0', "US"),        SAME('1', "Swiss"),   SAME('2', "Swedish"),
    SAME('3', "Spanish(Mexico)"), SAME('4', "Norwegian"), SAME('5', "Italian"),
    SAME('6', "German"),    SAME('7', "French"),  SAME('8', "Japanese"),
    SAME('9', "UK"),        SAME(':', "Universal"),
};

constexpr ValueWordEntry BAUD_RATE_WORDS[] = {
    SAME('3', "2400"), SAME('4', "4800"), SAME('5', "9600"),
    SAME('6', "19200"), SAME('7', "38400"),
};

constexpr ValueWordEntry DATA_BITS_WORDS[] = {SAME('0', "8 Bits"), SAME('1', "7 Bits")};

constexpr ValueWordEntry PARITY_WORDS[] = {
    SAME('0', "None"), SAME('1', "Even"), SAME('2', "Odd"),
    SAME('3', "Mark"), SAME('4', "Space"),
};

constexpr ValueWordEntry HANDSHAKE_WORDS[] = {SAME('0', "X-On/X-Off"), SAME('1', "RTS/CTS")};

constexpr ValueWordEntry STOP_BITS_WORDS[] = {SAME('0', "1 Bit"), SAME('1', "2 Bits")};

constexpr ValueWordEntry LRC_OPTION_WORDS[] = {SAME('0', "Not Send LRC"), SAME('1', "Send LRC")};

#undef SAME

// The doubled blanks in "Send  LRC" and "Send  ESC" belong to the texts.
constexpr OptionBitEntry FORMAT_OPTION_BITS[] = {
    {0x01, "Send  LRC", "Do Not Send LRC"},
    {0x02, "Unbuffered mode", "Buffered mode"},
    {0x04, "I/R command", "+/- command"},
    {0x08, "Send STX", "Not send STX"},
    {0x10, "Send  ESC", "Not send ESC"},
    {0x20, "Send CR", "Not send CR"},
    {0x40, "Send ETX", "Not send ETX"},
};

constexpr OptionBitEntry SEND_OUT_FORMAT_BITS[] = {
    {0x01, "NOT Send Start/End Sentinel", "Send Start/End Sentinel"},
    {0x02, "Send All Data For Track2", "Only Send Account Number For Track2"},
    {0x04, "Not Send Error Indication", "Send Error Indication"},
    {0x08, "Ctrl Key Output", "Alt Key Output"},
};

static_assert(std::size(HID_FORMAT_WORDS) == HID_FORMAT_WORD_COUNT);

const ValueWordEntry* FindValue(ValueTable table, Byte value) {
  for (const ValueWordEntry& entry : ValueWords(table)) {
    if (entry.value == value) return &entry;
  }
  return nullptr;
}

}  // namespace

std::span<const ValueWordEntry> ValueWords(ValueTable table) {
  switch (table) {
    case ValueTable::TerminalType: return TERMINAL_TYPE_WORDS;
    case ValueTable::BeepVolume: return BEEP_VOLUME_WORDS;
    case ValueTable::InterCharDelay: return INTER_CHAR_DELAY_WORDS;
    case ValueTable::TrackSelect: return TRACK_SELECT_WORDS;
    case ValueTable::DataFormat: return DATA_FORMAT_WORDS;
    case ValueTable::MsrReading: return MSR_READING_WORDS;
    case ValueTable::DecodingMethod: return DECODING_METHOD_WORDS;
    case ValueTable::HidFormat: return HID_FORMAT_WORDS;
    case ValueTable::LanguageOption: return LANGUAGE_OPTION_WORDS;
    case ValueTable::BaudRate: return BAUD_RATE_WORDS;
    case ValueTable::DataBits: return DATA_BITS_WORDS;
    case ValueTable::Parity: return PARITY_WORDS;
    case ValueTable::Handshake: return HANDSHAKE_WORDS;
    case ValueTable::StopBits: return STOP_BITS_WORDS;
    case ValueTable::LrcOption: return LRC_OPTION_WORDS;
  }
  return {};
}

const char* ValueWord(ValueTable table, Byte value) {
  const ValueWordEntry* entry = FindValue(table, value);
  return entry ? entry->word : "";
}

const char* ValueCaption(ValueTable table, Byte value) {
  const ValueWordEntry* entry = FindValue(table, value);
  return entry ? entry->caption : "";
}

const char* HidFormatWord(std::int32_t index) {
  if (index < 0 || index >= HID_FORMAT_WORD_COUNT) return "";
  return HID_FORMAT_WORDS[index].word;
}

std::span<const OptionBitEntry> FormatOptionBits() { return FORMAT_OPTION_BITS; }

std::span<const OptionBitEntry> SendOutFormatBits() { return SEND_OUT_FORMAT_BITS; }

const char* OptionBitWord(const OptionBitEntry& bit, Byte value) {
  return (value & bit.mask) ? bit.setWord : bit.clearWord;
}

}  // namespace tessaron
