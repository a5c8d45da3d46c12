#include "core/page_controls.h"

#include <cstring>

namespace tessaron {

namespace {

using R = ReaderSettings;

// --- General Settings ---

constexpr ControlOption BEEP[] = {{"OFF", '0', "off"},
                                  {"LOW", '1', "low"},
                                  {"HIGH", '2', "high"},
                                  {"Quick HIGH", '3', "quick-high"},
                                  {"Quick LOW", '4', "quick-low"}};
constexpr ControlOption MSR_READING[] = {{"MSR Reading Disabled", '0', "disabled"},
                                         {"MSR Reading Enabled", '1', "enabled"}};
constexpr ControlOption TERMINAL_TYPE[] = {
    {"IBM PC/AT", '0', "ibm-pc-at"},
    {"NoteBook", '4', "notebook"},
    {"IBM PC/AT, External Keyboard", '5', "ibm-pc-at-external-keyboard"},
    {"IBM PC/AT, NO External Keyboard", '6', "ibm-pc-at-no-external-keyboard"}};
constexpr ControlOption DECODING[] = {{"Raw Data", '0', "raw-data"},
                                      {"Decoding In Both Directions", '1', "both-directions"},
                                      {"Decoding forward direction only", '2', "forward-only"},
                                      {"Decoding reverse direction only", '3', "reverse-only"}};
constexpr ControlOption DELAY[] = {{"2 ms", '0', "2ms"},   {"5 ms", '1', "5ms"},
                                   {"10 ms", '2', "10ms"}, {"20 ms", '3', "20ms"},
                                   {"50 ms", '4', "50ms"}, {"100 ms", '5', "100ms"}};

const PageControl GENERAL_CONTROLS[] = {
    {.kind = ControlKind::Choice, .caption = "Beep", .byteMember = &R::beepVolume, .options = BEEP,
     .name = "beep-volume"},
    {.kind = ControlKind::Choice,
     .caption = "MSR Reading",
     .byteMember = &R::msrReading,
     .options = MSR_READING, .name = "msr-reading"},
    // A terminal type no button stands for shows "IBM PC/AT".
    {.kind = ControlKind::Choice,
     .caption = "Terminal Type",
     .byteMember = &R::terminalType,
     .options = TERMINAL_TYPE,
     .fallbackOption = 0, .name = "terminal-type"},
    {.kind = ControlKind::Choice,
     .caption = "Decoding Method",
     .byteMember = &R::decodingMethod,
     .options = DECODING, .name = "decoding-method"},
    {.kind = ControlKind::Choice,
     .caption = "Inter-Character Delay",
     .byteMember = &R::interCharDelay,
     .options = DELAY, .name = "inter-char-delay"},
};

// --- RS232 Parameters ---

constexpr ControlOption BAUD_RATE[] = {{"2400", '3', "2400"},
                                       {"4800", '4', "4800"},
                                       {"9600", '5', "9600"},
                                       {"19200", '6', "19200"},
                                       {"38400", '7', "38400"}};
constexpr ControlOption PARITY[] = {{"None", '0', "none"},
                                    {"Even", '1', "even"},
                                    {"Odd", '2', "odd"},
                                    {"Mark", '3', "mark"},
                                    {"Space", '4', "space"}};
constexpr ControlOption DATA_BITS[] = {{"8 Bits", '0', "8-bits"}, {"7 Bits", '1', "7-bits"}};
constexpr ControlOption HANDSHAKE[] = {{"X-On/X-Off", '0', "xon-xoff"},
                                       {"RTS/CTS", '1', "rts-cts"}};
constexpr ControlOption STOP_BITS[] = {{"1 Bit", '0', "1-bit"}, {"2 Bits", '1', "2-bits"}};

const PageControl RS232_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Baud Rate(bps)",
     .byteMember = &R::baudRate,
     .options = BAUD_RATE, .name = "baud-rate"},
    {.kind = ControlKind::Choice, .caption = "Parity", .byteMember = &R::parity, .options = PARITY,
     .name = "parity"},
    {.kind = ControlKind::Choice,
     .caption = "Data Bits",
     .byteMember = &R::dataBits,
     .options = DATA_BITS, .name = "data-bits"},
    {.kind = ControlKind::Choice,
     .caption = "Handshaking",
     .byteMember = &R::handshake,
     .options = HANDSHAKE, .name = "handshake"},
    {.kind = ControlKind::Choice,
     .caption = "Stop Bits",
     .byteMember = &R::stopBits,
     .options = STOP_BITS, .name = "stop-bits"},
    {.kind = ControlKind::Number,
     .caption = "X-On(Decimal):",
     .byteMember = &R::xonChar,
     .minimum = 0,
     .maximum = 255, .name = "xon-char"},
    // X-Off takes any number and keeps its low 8 bits.
    {.kind = ControlKind::Number, .caption = "X-Off(Decimal):", .byteMember = &R::xoffChar,
     .name = "xoff-char"},
};

// --- Track Settings ---

constexpr ControlOption TRACK_SELECT[] = {{"Any Track", '0', "any-track"},
                                          {"Track1 Only", '1', "track1-only"},
                                          {"Track2 Only", '2', "track2-only"},
                                          {"Track1 And Track2", '3', "track1-and-track2"},
                                          {"Track3 Only", '4', "track3-only"},
                                          {"Track1 And Track3", '5', "track1-and-track3"},
                                          {"Track2 And Track3", '6', "track2-and-track3"},
                                          {"All Three Tracks", '7', "all-three-tracks"},
                                          {"Track1 Or Track2", '8', "track1-or-track2"},
                                          {"Track2 Or Track3", '9', "track2-or-track3"}};

const PageControl TRACK_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Track Select",
     .byteMember = &R::trackSelect,
     .options = TRACK_SELECT, .name = "track-select"},
    {.kind = ControlKind::BitCheck,
     .caption = "Send Start/End Sentinel",
     .byteMember = &R::sendOutFormat,
     .mask = 0x01, .name = "send-sentinels"},
    {.kind = ControlKind::BitCheck,
     .caption = "For Track 2 Only Send Account Number",
     .byteMember = &R::sendOutFormat,
     .mask = 0x02, .name = "track2-account-number-only"},
    {.kind = ControlKind::BitCheck,
     .caption = "Send Error Indication",
     .byteMember = &R::sendOutFormat,
     .mask = 0x04, .name = "send-error-indication"},
    {.kind = ControlKind::Flag, .caption = "Send LRC in Card Data", .byteMember = &R::lrcOption,
     .name = "send-lrc"},
    {.kind = ControlKind::Character,
     .caption = "Track Separator:",
     .byteMember = &R::trackSeparator,
     .limit = 1, .name = "track-separator"},
    {.kind = ControlKind::Character, .caption = "Terminator:", .byteMember = &R::terminator, .limit = 1,
     .name = "terminator"},
};

// --- Keyboard Settings ---

constexpr ControlOption LANGUAGE[] = {{"US", '0', "us"},
                                      {"Swiss", '1', "swiss"},
                                      {"Swedish", '2', "swedish"},
                                      {"Spanish(Mexico)", '3', "spanish-mexico"},
                                      {"Norwegian", '4', "norwegian"},
                                      {"Italian", '5', "italian"},
                                      {"German", '6', "german"},
                                      {"French", '7', "french"},
                                      {"Japanese", '8', "japanese"},
                                      {"UK", '9', "uk"},
                                      {"Universal", ':', "universal"}};
constexpr ControlOption FUNCTION_KEYS[] = {{"Ctrl Key Output", 0, "ctrl"},
                                           {"Alt Key Output", 1, "alt"}};

const PageControl KEYBOARD_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Language Option",
     .byteMember = &R::languageOption,
     .options = LANGUAGE, .name = "language"},
    {.kind = ControlKind::BitChoice,
     .caption = "Function Key Output",
     .byteMember = &R::sendOutFormat,
     .options = FUNCTION_KEYS,
     .mask = 0x08, .name = "function-key-output"},
    {.kind = ControlKind::Number,
     .caption = "USB HID KB Polling Interval (Input value is from 1 to 255)",
     .byteMember = &R::hidKbPollingInterval,
     .minimum = 1,
     .maximum = 255,
     .limit = 3, .name = "hid-kb-polling-interval"},
};

// --- Pre/Postamble ---

const PageControl PRE_POSTAMBLE_CONTROLS[] = {
    {.kind = ControlKind::Bytes, .caption = "Track 1 Prefix", .stringMember = &R::track1Prefix, .limit = 6,
     .name = "track1-prefix"},
    {.kind = ControlKind::Bytes, .caption = "Track 1 Suffix", .stringMember = &R::track1Suffix, .limit = 6,
     .name = "track1-suffix"},
    {.kind = ControlKind::Bytes, .caption = "Track 2 Prefix", .stringMember = &R::track2Prefix, .limit = 6,
     .name = "track2-prefix"},
    {.kind = ControlKind::Bytes, .caption = "Track 2 Suffix", .stringMember = &R::track2Suffix, .limit = 6,
     .name = "track2-suffix"},
    {.kind = ControlKind::Bytes, .caption = "Track 3 Prefix", .stringMember = &R::track3Prefix, .limit = 6,
     .name = "track3-prefix"},
    {.kind = ControlKind::Bytes, .caption = "Track 3 Suffix", .stringMember = &R::track3Suffix, .limit = 6,
     .name = "track3-suffix"},
    {.kind = ControlKind::Bytes, .caption = "Preamble", .stringMember = &R::preamble, .limit = 15,
     .name = "preamble"},
    {.kind = ControlKind::Bytes, .caption = "Postamble", .stringMember = &R::postamble, .limit = 15,
     .name = "postamble"},
};

// --- Output Format ---

constexpr ControlOption DATA_FORMAT[] = {{"Kaldor Format", '0', "kaldor"},
                                         {"UIC RS232 Format", '1', "uic-rs232"},
                                         {"MagTek RS232 Format", '2', "magtek-rs232"}};
// The keyboard format's caption ends with a blank.
constexpr ControlOption HID_FORMAT[] = {
    {"Kaldor USB HID Data Format", HID_FORMAT_KALDOR_DATA, "kaldor-data"},
    {"MagTek USB HID Data Format", HID_FORMAT_MAGTEK_DATA, "magtek-data"},
    {"Kaldor USB HID Keyboard ", HID_FORMAT_KALDOR_KEYBOARD, "kaldor-keyboard"}};
// Each option of formatOptions is a pair: the bit clear, the bit set. The doubled blanks
// are part of the captions.
constexpr ControlOption UIC_LRC[] = {{"Send  LRC", 0, "send"},
                                     {"Do Not Send LRC", 1, "do-not-send"}};
constexpr ControlOption MAGTEK_BUFFER[] = {{"Unbuffered mode", 0, "unbuffered"},
                                           {"Buffered mode", 1, "buffered"}};
constexpr ControlOption MAGTEK_COMMAND[] = {{"I/R command", 0, "i-r"},
                                            {"+/- command", 1, "plus-minus"}};
constexpr ControlOption MAGTEK_STX[] = {{"Send STX", 0, "send"}, {"Not send STX", 1, "not-send"}};
constexpr ControlOption MAGTEK_ESC[] = {{"Send  ESC", 0, "send"}, {"Not send ESC", 1, "not-send"}};
constexpr ControlOption MAGTEK_CR[] = {{"Send CR", 0, "send"}, {"Not send CR", 1, "not-send"}};
constexpr ControlOption MAGTEK_ETX[] = {{"Send ETX", 0, "send"}, {"Not send ETX", 1, "not-send"}};

constexpr const char* MAGTEK_GROUP = "MagTek Options";

const PageControl OUTPUT_FORMAT_CONTROLS[] = {
    {.kind = ControlKind::Choice,
     .caption = "Data Format",
     .byteMember = &R::dataFormat,
     .options = DATA_FORMAT, .name = "data-format"},
    {.kind = ControlKind::Choice,
     .caption = "USB HID Format",
     .byteMember = &R::hidFormat,
     .options = HID_FORMAT,
     .switchesInterface = true, .name = "hid-format"},
    {.kind = ControlKind::BitChoice,
     .caption = "UIC LRC Option",
     .byteMember = &R::formatOptions,
     .options = UIC_LRC,
     .mask = 0x01, .name = "uic-lrc"},
    // The six MagTek pairs share one box; each is named by its "set" caption.
    {.kind = ControlKind::BitChoice, .caption = "Buffered mode", .byteMember = &R::formatOptions,
     .options = MAGTEK_BUFFER, .mask = 0x02, .group = MAGTEK_GROUP, .name = "magtek-buffer"},
    {.kind = ControlKind::BitChoice, .caption = "+/- command", .byteMember = &R::formatOptions,
     .options = MAGTEK_COMMAND, .mask = 0x04, .group = MAGTEK_GROUP, .name = "magtek-command"},
    {.kind = ControlKind::BitChoice, .caption = "Not send STX", .byteMember = &R::formatOptions,
     .options = MAGTEK_STX, .mask = 0x08, .group = MAGTEK_GROUP, .name = "magtek-stx"},
    {.kind = ControlKind::BitChoice, .caption = "Not send ESC", .byteMember = &R::formatOptions,
     .options = MAGTEK_ESC, .mask = 0x10, .group = MAGTEK_GROUP, .name = "magtek-esc"},
    {.kind = ControlKind::BitChoice, .caption = "Not send CR", .byteMember = &R::formatOptions,
     .options = MAGTEK_CR, .mask = 0x20, .group = MAGTEK_GROUP, .name = "magtek-cr"},
    {.kind = ControlKind::BitChoice, .caption = "Not send ETX", .byteMember = &R::formatOptions,
     .options = MAGTEK_ETX, .mask = 0x40, .group = MAGTEK_GROUP, .name = "magtek-etx"},
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
const char* const SENTINEL_ROW_NAMES[SENTINEL_ROWS] = {
    "start-sentinel-7bit", "start-sentinel-6bit", "start-sentinel-5bit", "end-sentinel"};

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
