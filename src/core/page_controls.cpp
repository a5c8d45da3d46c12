#include "core/page_controls.h"

#include <cstring>

namespace tessaron {

namespace {

using R = ReaderSettings;

// --- General Settings ---

constexpr ControlOption BEEP[] = {
    {"OFF", '0'}, {"LOW", '1'}, {"HIGH", '2'}, {"Quick HIGH", '3'}, {"Quick LOW", '4'}};
constexpr ControlOption MSR_READING[] = {{"MSR Reading Disabled", '0'},
                                         {"MSR Reading Enabled", '1'}};
constexpr ControlOption TERMINAL_TYPE[] = {{"IBM PC/AT", '0'},
                                           {"NoteBook", '4'},
                                           {"IBM PC/AT, External Keyboard", '5'},
                                           {"IBM PC/AT, NO External Keyboard", '6'}};
constexpr ControlOption DECODING[] = {{"Raw Data", '0'},
                                      {"Decoding In Both Directions", '1'},
                                      {"Decoding forward direction only", '2'},
                                      {"Decoding reverse direction only", '3'}};
constexpr ControlOption DELAY[] = {{"2 ms", '0'},  {"5 ms", '1'},  {"10 ms", '2'},
                                   {"20 ms", '3'}, {"50 ms", '4'}, {"100 ms", '5'}};

const PageControl GENERAL_CONTROLS[] = {
    {.kind = ControlKind::Choice, .caption = "Beep", .byteMember = &R::beepVolume, .options = BEEP},
    {.kind = ControlKind::Choice,
     .caption = "MSR Reading",
     .byteMember = &R::msrReading,
     .options = MSR_READING},
    // A terminal type no button stands for shows "IBM PC/AT".
    {.kind = ControlKind::Choice,
     .caption = "Terminal Type",
     .byteMember = &R::terminalType,
     .options = TERMINAL_TYPE,
     .fallbackOption = 0},
    {.kind = ControlKind::Choice,
     .caption = "Decoding Method",
     .byteMember = &R::decodingMethod,
     .options = DECODING},
    {.kind = ControlKind::Choice,
     .caption = "Inter-Character Delay",
     .byteMember = &R::interCharDelay,
     .options = DELAY},
};

// --- RS232 Parameters ---

constexpr ControlOption BAUD_RATE[] = {
    {"2400", '3'}, {"4800", '4'}, {"9600", '5'}, {"19200", '6'}, {"38400", '7'}};
constexpr ControlOption PARITY[] = {
    {"None", '0'}, {"Even", '1'}, {"Odd", '2'}, {"Mark", '3'}, {"Space", '4'}};
constexpr ControlOption DATA_BITS[] = {{"8 Bits", '0'}, {"7 Bits", '1'}};
constexpr ControlOption HANDSHAKE[] = {{"X-On/X-Off", '0'}, {"RTS/CTS", '1'}};
constexpr ControlOption STOP_BITS[] = {{"1 Bit", '0'}, {"2 Bits", '1'}};

const PageControl RS232_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Baud Rate(bps)",
     .byteMember = &R::baudRate,
     .options = BAUD_RATE},
    {.kind = ControlKind::Choice, .caption = "Parity", .byteMember = &R::parity, .options = PARITY},
    {.kind = ControlKind::Choice,
     .caption = "Data Bits",
     .byteMember = &R::dataBits,
     .options = DATA_BITS},
    {.kind = ControlKind::Choice,
     .caption = "Handshaking",
     .byteMember = &R::handshake,
     .options = HANDSHAKE},
    {.kind = ControlKind::Choice,
     .caption = "Stop Bits",
     .byteMember = &R::stopBits,
     .options = STOP_BITS},
    {.kind = ControlKind::Number,
     .caption = "X-On(Decimal):",
     .byteMember = &R::xonChar,
     .minimum = 0,
     .maximum = 255},
    // X-Off takes any number and keeps its low 8 bits.
    {.kind = ControlKind::Number, .caption = "X-Off(Decimal):", .byteMember = &R::xoffChar},
};

// --- Track Settings ---

constexpr ControlOption TRACK_SELECT[] = {
    {"Any Track", '0'},         {"Track1 Only", '1'},       {"Track2 Only", '2'},
    {"Track1 And Track2", '3'}, {"Track3 Only", '4'},       {"Track1 And Track3", '5'},
    {"Track2 And Track3", '6'}, {"All Three Tracks", '7'},  {"Track1 Or Track2", '8'},
    {"Track2 Or Track3", '9'}};

const PageControl TRACK_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Track Select",
     .byteMember = &R::trackSelect,
     .options = TRACK_SELECT},
    {.kind = ControlKind::BitCheck,
     .caption = "Send Start/End Sentinel",
     .byteMember = &R::sendOutFormat,
     .mask = 0x01},
    {.kind = ControlKind::BitCheck,
     .caption = "For Track 2 Only Send Account Number",
     .byteMember = &R::sendOutFormat,
     .mask = 0x02},
    {.kind = ControlKind::BitCheck,
     .caption = "Send Error Indication",
     .byteMember = &R::sendOutFormat,
     .mask = 0x04},
    {.kind = ControlKind::Flag, .caption = "Send LRC in Card Data", .byteMember = &R::lrcOption},
    {.kind = ControlKind::Character,
     .caption = "Track Separator:",
     .byteMember = &R::trackSeparator,
     .limit = 1},
    {.kind = ControlKind::Character, .caption = "Terminator:", .byteMember = &R::terminator, .limit = 1},
};

// --- Keyboard Settings ---

constexpr ControlOption LANGUAGE[] = {
    {"US", '0'},      {"Swiss", '1'},  {"Swedish", '2'}, {"Spanish(Mexico)", '3'},
    {"Norwegian", '4'}, {"Italian", '5'}, {"German", '6'},  {"French", '7'},
    {"Japanese", '8'}, {"UK", '9'},      {"Universal", ':'}};
constexpr ControlOption FUNCTION_KEYS[] = {{"Ctrl Key Output", 0}, {"Alt Key Output", 1}};

const PageControl KEYBOARD_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Language Option",
     .byteMember = &R::languageOption,
     .options = LANGUAGE},
    {.kind = ControlKind::BitChoice,
     .caption = "Function Key Output",
     .byteMember = &R::sendOutFormat,
     .options = FUNCTION_KEYS,
     .mask = 0x08},
    {.kind = ControlKind::Number,
     .caption = "USB HID KB Polling Interval (Input value is from 1 to 255)",
     .byteMember = &R::hidKbPollingInterval,
     .minimum = 1,
     .maximum = 255,
     .limit = 3},
};

// --- Pre/Postamble ---

const PageControl PRE_POSTAMBLE_CONTROLS[] = {
    {.kind = ControlKind::Bytes, .caption = "Track 1 Prefix", .stringMember = &R::track1Prefix, .limit = 6},
    {.kind = ControlKind::Bytes, .caption = "Track 1 Suffix", .stringMember = &R::track1Suffix, .limit = 6},
    {.kind = ControlKind::Bytes, .caption = "Track 2 Prefix", .stringMember = &R::track2Prefix, .limit = 6},
    {.kind = ControlKind::Bytes, .caption = "Track 2 Suffix", .stringMember = &R::track2Suffix, .limit = 6},
    {.kind = ControlKind::Bytes, .caption = "Track 3 Prefix", .stringMember = &R::track3Prefix, .limit = 6},
    {.kind = ControlKind::Bytes, .caption = "Track 3 Suffix", .stringMember = &R::track3Suffix, .limit = 6},
    {.kind = ControlKind::Bytes, .caption = "Preamble", .stringMember = &R::preamble, .limit = 15},
    {.kind = ControlKind::Bytes, .caption = "Postamble", .stringMember = &R::postamble, .limit = 15},
};

// --- Output Format ---

constexpr ControlOption DATA_FORMAT[] = {
    {"Kaldor Format", '0'}, {"UIC RS232 Format", '1'}, {"MagTek RS232 Format", '2'}};
// The keyboard format's caption ends with a blank.
constexpr ControlOption HID_FORMAT[] = {{"Kaldor USB HID Data Format", HID_FORMAT_KALDOR_DATA},
                                        {"MagTek USB HID Data Format", HID_FORMAT_MAGTEK_DATA},
                                        {"Kaldor USB HID Keyboard ", HID_FORMAT_KALDOR_KEYBOARD}};
// Each option of formatOptions is a pair: the bit clear, the bit set. The doubled blanks
// are part of the captions.
constexpr ControlOption UIC_LRC[] = {{"Send  LRC", 0}, {"Do Not Send LRC", 1}};
constexpr ControlOption MAGTEK_BUFFER[] = {{"Unbuffered mode", 0}, {"Buffered mode", 1}};
constexpr ControlOption MAGTEK_COMMAND[] = {{"I/R command", 0}, {"+/- command", 1}};
constexpr ControlOption MAGTEK_STX[] = {{"Send STX", 0}, {"Not send STX", 1}};
constexpr ControlOption MAGTEK_ESC[] = {{"Send  ESC", 0}, {"Not send ESC", 1}};
constexpr ControlOption MAGTEK_CR[] = {{"Send CR", 0}, {"Not send CR", 1}};
constexpr ControlOption MAGTEK_ETX[] = {{"Send ETX", 0}, {"Not send ETX", 1}};

constexpr const char* MAGTEK_GROUP = "MagTek Options";

const PageControl OUTPUT_FORMAT_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Data Format",
     .byteMember = &R::dataFormat,
     .options = DATA_FORMAT},
    {.kind = ControlKind::Choice,
     .caption = "USB HID Format",
     .byteMember = &R::hidFormat,
     .options = HID_FORMAT,
     .switchesInterface = true},
    {.kind = ControlKind::BitChoice,
     .caption = "UIC LRC Option",
     .byteMember = &R::formatOptions,
     .options = UIC_LRC,
     .mask = 0x01},
    // The six MagTek pairs share one box; each is named by its "set" caption.
    {.kind = ControlKind::BitChoice, .caption = "Buffered mode", .byteMember = &R::formatOptions,
     .options = MAGTEK_BUFFER, .mask = 0x02, .group = MAGTEK_GROUP},
    {.kind = ControlKind::BitChoice, .caption = "+/- command", .byteMember = &R::formatOptions,
     .options = MAGTEK_COMMAND, .mask = 0x04, .group = MAGTEK_GROUP},
    {.kind = ControlKind::BitChoice, .caption = "Not send STX", .byteMember = &R::formatOptions,
     .options = MAGTEK_STX, .mask = 0x08, .group = MAGTEK_GROUP},
    {.kind = ControlKind::BitChoice, .caption = "Not send ESC", .byteMember = &R::formatOptions,
     .options = MAGTEK_ESC, .mask = 0x10, .group = MAGTEK_GROUP},
    {.kind = ControlKind::BitChoice, .caption = "Not send CR", .byteMember = &R::formatOptions,
     .options = MAGTEK_CR, .mask = 0x20, .group = MAGTEK_GROUP},
    {.kind = ControlKind::BitChoice, .caption = "Not send ETX", .byteMember = &R::formatOptions,
     .options = MAGTEK_ETX, .mask = 0x40, .group = MAGTEK_GROUP},
};

const PageTable GENERAL_TABLE{"General Settings", GENERAL_CONTROLS, &R::ResetGeneralDefaults};
const PageTable RS232_TABLE{"RS232 Parameters", RS232_CONTROLS, &R::ResetSerialDefaults};
const PageTable TRACK_TABLE{"Track Settings", TRACK_CONTROLS, &R::ResetTrackDefaults};
const PageTable KEYBOARD_TABLE{"Keyboard Settings", KEYBOARD_CONTROLS, &R::ResetKeyboardDefaults};
const PageTable PRE_POSTAMBLE_TABLE{"Pre/Postamble", PRE_POSTAMBLE_CONTROLS,
                                    &R::ResetSentinelDefaults};
const PageTable OUTPUT_FORMAT_TABLE{"Output Format", OUTPUT_FORMAT_CONTROLS,
                                    &R::ResetFormatDefaults};

// Rows: 7, 6 and 5 bits start sentinel, end sentinel; columns: tracks 1 to 3.
constexpr Byte ReaderSettings::*SENTINELS[SENTINEL_ROWS][SENTINEL_TRACKS] = {
    {&R::track1StartSentinel7Bit, &R::track2StartSentinel7Bit, &R::track3StartSentinel7Bit},
    {&R::track1StartSentinel6Bit, nullptr, &R::track3StartSentinel6Bit},
    {&R::track1StartSentinel5Bit, &R::track2StartSentinel5Bit, &R::track3StartSentinel5Bit},
    {&R::track1EndSentinel, &R::track2EndSentinel, &R::track3EndSentinel},
};

}  // namespace

const char* const SENTINEL_ROW_CAPTIONS[SENTINEL_ROWS] = {
    "7 Bits Start Sentinel", "6 Bits Start Sentinel", "5 Bits Start Sentinel", "End Sentinel"};

const PageTable& GeneralSettingsTable() { return GENERAL_TABLE; }
const PageTable& Rs232ParametersTable() { return RS232_TABLE; }
const PageTable& TrackSettingsTable() { return TRACK_TABLE; }
const PageTable& KeyboardSettingsTable() { return KEYBOARD_TABLE; }
const PageTable& PrePostambleTable() { return PRE_POSTAMBLE_TABLE; }
const PageTable& OutputFormatTable() { return OUTPUT_FORMAT_TABLE; }

const PageControl* FindControl(const PageTable& table, const char* caption) {
  for (const PageControl& control : table.controls) {
    if (std::strcmp(control.caption, caption) == 0) return &control;
  }
  return nullptr;
}

int SelectedOption(const PageControl& control, const ReaderSettings& settings) {
  if (control.byteMember == nullptr) return -1;
  const Byte value = settings.*control.byteMember;
  if (control.kind == ControlKind::BitChoice) return (value & control.mask) != 0 ? 1 : 0;
  if (control.kind != ControlKind::Choice) return -1;
  for (std::size_t i = 0; i < control.options.size(); ++i) {
    if (control.options[i].value == value) return static_cast<int>(i);
  }
  return control.fallbackOption;
}

void SelectOption(const PageControl& control, int option, ReaderSettings& settings) {
  if (control.byteMember == nullptr || option < 0 ||
      static_cast<std::size_t>(option) >= control.options.size()) {
    return;
  }
  Byte& value = settings.*control.byteMember;
  if (control.kind == ControlKind::Choice && control.switchesInterface) {
    // Every choice raises the switch, the one already chosen too.
    settings.SelectHidFormat(control.options[static_cast<std::size_t>(option)].value);
  } else if (control.kind == ControlKind::Choice) {
    value = control.options[static_cast<std::size_t>(option)].value;
  } else if (control.kind == ControlKind::BitChoice) {
    value = option == 0 ? static_cast<Byte>(value & ~control.mask)
                        : static_cast<Byte>(value | control.mask);
  }
}

bool IsChecked(const PageControl& control, const ReaderSettings& settings) {
  if (control.byteMember == nullptr) return false;
  const Byte value = settings.*control.byteMember;
  if (control.kind == ControlKind::BitCheck) return (value & control.mask) != 0;
  if (control.kind == ControlKind::Flag) return value > '0';
  return false;
}

void SetChecked(const PageControl& control, bool checked, ReaderSettings& settings) {
  if (control.byteMember == nullptr) return;
  Byte& value = settings.*control.byteMember;
  if (control.kind == ControlKind::BitCheck) {
    value = checked ? static_cast<Byte>(value | control.mask)
                    : static_cast<Byte>(value & ~control.mask);
  } else if (control.kind == ControlKind::Flag) {
    value = checked ? '1' : '0';
  }
}

int NumberOf(const PageControl& control, const ReaderSettings& settings) {
  return control.byteMember == nullptr ? 0 : settings.*control.byteMember;
}

NumberCheck SetNumber(const PageControl& control, long number, ReaderSettings& settings) {
  if (control.byteMember == nullptr) return NumberCheck::OutOfRange;
  if (control.maximum != 0 && (number < control.minimum || number > control.maximum)) {
    return NumberCheck::OutOfRange;
  }
  settings.*control.byteMember = static_cast<Byte>(number & 0xFF);
  return NumberCheck::Ok;
}

Byte ReaderSettings::*SentinelMember(int row, int track) {
  if (row < 0 || row >= SENTINEL_ROWS || track < 0 || track >= SENTINEL_TRACKS) return nullptr;
  return SENTINELS[row][track];
}

}  // namespace tessaron
