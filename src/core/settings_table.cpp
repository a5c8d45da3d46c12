#include "core/settings_table.h"

#include <array>
#include <cstring>

#include "core/firmware.h"

namespace tessaron {

namespace {

using R = ReaderSettings;

// ---- the records, in the order the reader expects them on a write ----

// A one-byte or string record names its member once: the pointer and the printed name are
// both made from it.
#define TESSARON_BYTE_RECORD(funcId, member, page, defaultValue)                                 \
  SettingsRecordInfo {                                                                           \
    funcId, RecordKind::OneByte, RecordPage::page, RecordPage::None, #member, &R::member,        \
        nullptr, defaultValue, nullptr                                                           \
  }
#define TESSARON_STRING_RECORD(funcId, member, page)                                              \
  SettingsRecordInfo {                                                                            \
    funcId, RecordKind::String, RecordPage::page, RecordPage::None, #member, nullptr, &R::member, \
        0, nullptr                                                                                \
  }

constexpr SettingsRecordInfo BlockRecord(Byte funcId, RecordKind kind, const char* name) {
  return SettingsRecordInfo{funcId,  kind,    RecordPage::DataEditing, RecordPage::None, name,
                            nullptr, nullptr, 0,                       nullptr};
}

constexpr SettingsRecordInfo AlsoResetBy(SettingsRecordInfo record, RecordPage page) {
  record.alsoResetBy = page;
  return record;
}

constexpr SettingsRecordInfo AlsoFills(SettingsRecordInfo record, Byte R::*member) {
  record.copyMember = member;
  return record;
}

constexpr SettingsRecordInfo RECORDS[] = {
    TESSARON_BYTE_RECORD(0x10, terminalType, GeneralSettings, '0'),
    TESSARON_BYTE_RECORD(0x11, beepVolume, GeneralSettings, '2'),
    TESSARON_BYTE_RECORD(0x12, interCharDelay, GeneralSettings, '0'),
    TESSARON_BYTE_RECORD(0x44, handshake, Rs232Parameters, '0'),
    TESSARON_BYTE_RECORD(0x45, stopBits, Rs232Parameters, '0'),
    TESSARON_BYTE_RECORD(0x41, baudRate, Rs232Parameters, '5'),
    TESSARON_BYTE_RECORD(0x42, dataBits, Rs232Parameters, '0'),
    TESSARON_BYTE_RECORD(0x43, parity, Rs232Parameters, '0'),
    TESSARON_BYTE_RECORD(0x47, xonChar, Rs232Parameters, 0x11),
    TESSARON_BYTE_RECORD(0x48, xoffChar, Rs232Parameters, 0x13),
    TESSARON_BYTE_RECORD(0x13, trackSelect, TrackSettings, '0'),
    TESSARON_BYTE_RECORD(0x17, trackSeparator, TrackSettings, 0x0D),
    TESSARON_BYTE_RECORD(0x15, dataFormat, OutputFormat, DATA_FORMAT_KALDOR),
    TESSARON_BYTE_RECORD(0x16, formatOptions, OutputFormat, 0x59),
    TESSARON_BYTE_RECORD(0x21, terminator, TrackSettings, 0x0D),
    TESSARON_BYTE_RECORD(0x1B, dataEditMode, DataEditing, DATA_EDIT_DISABLED),
    // Bits 0 to 2 are on the Track Settings page, bit 3 on the Keyboard Settings page. The
    // serial page's "Default Page" restores the whole byte too.
    AlsoResetBy(TESSARON_BYTE_RECORD(0x19, sendOutFormat, TrackSettings, 0x31),
                RecordPage::Rs232Parameters),
    TESSARON_BYTE_RECORD(0x1A, msrReading, GeneralSettings, '1'),
    TESSARON_BYTE_RECORD(0x1D, decodingMethod, GeneralSettings, '1'),
    TESSARON_BYTE_RECORD(0x60, lrcOption, TrackSettings, '0'),
    TESSARON_BYTE_RECORD(FUNC_HID_FORMAT, hidFormat, OutputFormat, HID_FORMAT_KALDOR_DATA),
    TESSARON_BYTE_RECORD(0x61, track1StartSentinel7Bit, PrePostamble, '%'),
    TESSARON_BYTE_RECORD(0x62, track1StartSentinel6Bit, PrePostamble, '%'),
    TESSARON_BYTE_RECORD(0x63, track1StartSentinel5Bit, PrePostamble, ';'),
    TESSARON_BYTE_RECORD(0x64, track2StartSentinel7Bit, PrePostamble, '%'),
    TESSARON_BYTE_RECORD(0x65, track2StartSentinel5Bit, PrePostamble, ';'),
    TESSARON_BYTE_RECORD(0x66, track3StartSentinel7Bit, PrePostamble, '%'),
    TESSARON_BYTE_RECORD(0x67, track3StartSentinel6Bit, PrePostamble, '!'),
    TESSARON_BYTE_RECORD(0x68, track3StartSentinel5Bit, PrePostamble, ';'),
    TESSARON_STRING_RECORD(0xD2, preamble, PrePostamble),
    TESSARON_STRING_RECORD(0xD3, postamble, PrePostamble),
    BlockRecord(0xFA, RecordKind::AddedFields, "addedFields"),
    BlockRecord(0xFB, RecordKind::FieldRules, "lengthLimits/matchStrings/customFields"),
    BlockRecord(0xFC, RecordKind::Formulas, "formulas"),
    // 0x69 fills track1EndSentinel and the report's endSentinel, which is never written.
    AlsoFills(TESSARON_BYTE_RECORD(0x69, track1EndSentinel, PrePostamble, '?'), &R::endSentinel),
    TESSARON_BYTE_RECORD(0x6A, track2EndSentinel, PrePostamble, '?'),
    TESSARON_BYTE_RECORD(0x6B, track3EndSentinel, PrePostamble, '?'),
    TESSARON_BYTE_RECORD(0x14, hidKbPollingInterval, KeyboardSettings, 1),
    TESSARON_BYTE_RECORD(0x24, languageOption, KeyboardSettings, '0'),
    TESSARON_BYTE_RECORD(0x25, option25, None, 0x40),
    TESSARON_STRING_RECORD(0x34, track1Prefix, PrePostamble),
    TESSARON_STRING_RECORD(0x35, track2Prefix, PrePostamble),
    TESSARON_STRING_RECORD(0x36, track3Prefix, PrePostamble),
    TESSARON_STRING_RECORD(0x37, track1Suffix, PrePostamble),
    TESSARON_STRING_RECORD(0x38, track2Suffix, PrePostamble),
    TESSARON_STRING_RECORD(0x39, track3Suffix, PrePostamble),
};

#undef TESSARON_BYTE_RECORD
#undef TESSARON_STRING_RECORD

constexpr std::size_t RECORD_COUNT = sizeof RECORDS / sizeof RECORDS[0];
constexpr std::uint8_t NO_RECORD = 0xFF;
static_assert(RECORD_COUNT < NO_RECORD);

// Position in RECORDS of every FuncID, NO_RECORD where there is none.
constexpr std::array<std::uint8_t, 256> BuildIndex() {
  std::array<std::uint8_t, 256> index{};
  index.fill(NO_RECORD);
  for (std::size_t i = 0; i < RECORD_COUNT; ++i) {
    index[RECORDS[i].funcId] = static_cast<std::uint8_t>(i);
  }
  return index;
}

constexpr std::array<std::uint8_t, 256> INDEX = BuildIndex();

// A FuncID that appeared twice would leave one of its rows unreachable by lookup.
constexpr bool EveryFuncIdOnce() {
  for (std::size_t i = 0; i < RECORD_COUNT; ++i) {
    if (INDEX[RECORDS[i].funcId] != i) return false;
  }
  return true;
}
static_assert(EveryFuncIdOnce(), "a FuncID is listed twice");

// Each kind carries exactly the member pointer it is read and written through.
constexpr bool MembersMatchKinds() {
  for (const SettingsRecordInfo& record : RECORDS) {
    const bool byte = record.byteMember != nullptr;
    const bool string = record.stringMember != nullptr;
    if (byte != (record.kind == RecordKind::OneByte)) return false;
    if (string != (record.kind == RecordKind::String)) return false;
  }
  return true;
}
static_assert(MembersMatchKinds(), "a record's member does not match its kind");

// ---- the controls, page by page ----

// The lines of a setting. The keyboard settings of the General Settings page and the serial
// line's parameters are offered while no line is known too, the keyboard page's are not.
constexpr LineSet PS2_LINE = {InterfaceType::Unknown, InterfaceType::Ps2Keyboard};
constexpr LineSet RS232_LINE = {InterfaceType::Unknown, InterfaceType::Rs232};
constexpr LineSet KEYBOARD_READERS = {InterfaceType::Ps2Keyboard, InterfaceType::UsbHidKb};
constexpr LineSet HID_LINES = {InterfaceType::Unknown, InterfaceType::UsbHidKb,
                               InterfaceType::UsbHid};
// The emulated serial formats belong to a reader read over RS232.
constexpr LineSet EMULATED_FORMAT_LINE = {InterfaceType::Rs232};

// Check boxes name their states "on" and "off".
constexpr const char* ON = "on";
constexpr const char* OFF = "off";

// --- General Settings ---

constexpr ControlOption BEEP[] = {{"OFF", '0', "off"},
                                  {"LOW", '1', "low"},
                                  {"HIGH", '2', "high"},
                                  {"Quick HIGH", '3', "quick-high"},
                                  {"Quick LOW", '4', "quick-low"}};
constexpr ControlOption MSR_READING[] = {{"MSR Reading Disabled", '0', "disabled", "Disabled"},
                                         {"MSR Reading Enabled", '1', "enabled", "Enabled"}};
constexpr ControlOption TERMINAL_TYPE[] = {
    {"IBM PC/AT", '0', "ibm-pc-at"},
    {"NoteBook", '4', "notebook"},
    {"IBM PC/AT, External Keyboard", '5', "ibm-pc-at-external-keyboard"},
    {"IBM PC/AT, NO External Keyboard", '6', "ibm-pc-at-no-external-keyboard"}};
constexpr ControlOption DECODING[] = {
    {"Raw Data", '0', "raw-data", "Raw Data, Not Decoded"},
    {"Decoding In Both Directions", '1', "both-directions", "Decoding In Two Swiping Direction"},
    {"Decoding forward direction only", '2', "forward-only",
     "Magnetic Head Move Along Encoding Way"},
    {"Decoding reverse direction only", '3', "reverse-only",
     "Magnetic Head Move Against Encoding Way"}};
constexpr ControlOption DELAY[] = {{"2 ms", '0', "2ms"},   {"5 ms", '1', "5ms"},
                                   {"10 ms", '2', "10ms"}, {"20 ms", '3', "20ms"},
                                   {"50 ms", '4', "50ms"}, {"100 ms", '5', "100ms"}};

const PageControl GENERAL_CONTROLS[] = {
    {.kind = ControlKind::Choice, .caption = "Beep", .funcId = 0x11, .options = BEEP,
     .name = "beep-volume"},
    {.kind = ControlKind::Choice, .caption = "MSR Reading", .funcId = 0x1A,
     .options = MSR_READING, .name = "msr-reading"},
    // A terminal type no button stands for shows "IBM PC/AT"; the report has no word for it.
    {.kind = ControlKind::Choice, .caption = "Terminal Type", .funcId = 0x10,
     .options = TERMINAL_TYPE, .fallbackOption = 0, .name = "terminal-type", .lines = PS2_LINE},
    {.kind = ControlKind::Choice, .caption = "Decoding Method", .funcId = 0x1D,
     .options = DECODING, .name = "decoding-method"},
    {.kind = ControlKind::Choice, .caption = "Inter-Character Delay", .funcId = 0x12,
     .options = DELAY, .name = "inter-char-delay", .lines = PS2_LINE},
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
    {.kind = ControlKind::Choice, .caption = "Baud Rate(bps)", .funcId = 0x41,
     .options = BAUD_RATE, .name = "baud-rate", .lines = RS232_LINE},
    {.kind = ControlKind::Choice, .caption = "Parity", .funcId = 0x43, .options = PARITY,
     .name = "parity", .lines = RS232_LINE},
    {.kind = ControlKind::Choice, .caption = "Data Bits", .funcId = 0x42, .options = DATA_BITS,
     .name = "data-bits", .lines = RS232_LINE},
    {.kind = ControlKind::Choice, .caption = "Handshaking", .funcId = 0x44,
     .options = HANDSHAKE, .name = "handshake", .lines = RS232_LINE},
    {.kind = ControlKind::Choice, .caption = "Stop Bits", .funcId = 0x45, .options = STOP_BITS,
     .name = "stop-bits", .lines = RS232_LINE},
    {.kind = ControlKind::Number, .caption = "X-On(Decimal):", .funcId = 0x47, .minimum = 0,
     .maximum = 255, .name = "xon-char", .lines = RS232_LINE},
    // X-Off takes any number and keeps its low 8 bits.
    {.kind = ControlKind::Number, .caption = "X-Off(Decimal):", .funcId = 0x48,
     .name = "xoff-char", .lines = RS232_LINE},
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
constexpr ControlOption SENTINELS_SENT[] = {{nullptr, 1, ON, "Send Start/End Sentinel"},
                                            {nullptr, 0, OFF, "NOT Send Start/End Sentinel"}};
constexpr ControlOption ACCOUNT_NUMBER_ONLY[] = {
    {nullptr, 1, ON, "Only Send Account Number For Track2"},
    {nullptr, 0, OFF, "Send All Data For Track2"}};
constexpr ControlOption ERROR_INDICATION[] = {{nullptr, 1, ON, "Send Error Indication"},
                                              {nullptr, 0, OFF, "Not Send Error Indication"}};
constexpr ControlOption LRC_SENT[] = {{nullptr, '1', ON, "Send LRC"},
                                      {nullptr, '0', OFF, "Not Send LRC"}};

const PageControl TRACK_CONTROLS[] = {
    {.kind = ControlKind::Choice, .caption = "Track Select", .funcId = 0x13,
     .options = TRACK_SELECT, .name = "track-select"},
    {.kind = ControlKind::BitCheck, .caption = "Send Start/End Sentinel", .funcId = 0x19,
     .options = SENTINELS_SENT, .mask = 0x01, .name = "send-sentinels"},
    {.kind = ControlKind::BitCheck, .caption = "For Track 2 Only Send Account Number",
     .funcId = 0x19, .options = ACCOUNT_NUMBER_ONLY, .mask = 0x02,
     .name = "track2-account-number-only"},
    {.kind = ControlKind::BitCheck, .caption = "Send Error Indication", .funcId = 0x19,
     .options = ERROR_INDICATION, .mask = 0x04, .name = "send-error-indication"},
    {.kind = ControlKind::Flag, .caption = "Send LRC in Card Data", .funcId = 0x60,
     .options = LRC_SENT, .name = "send-lrc"},
    {.kind = ControlKind::Character, .caption = "Track Separator:", .funcId = 0x17, .limit = 1,
     .name = "track-separator"},
    {.kind = ControlKind::Character, .caption = "Terminator:", .funcId = 0x21, .limit = 1,
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
    {.kind = ControlKind::Choice, .caption = "Language Option", .funcId = 0x24,
     .options = LANGUAGE, .name = "language", .lines = KEYBOARD_READERS},
    {.kind = ControlKind::BitChoice, .caption = "Function Key Output", .funcId = 0x19,
     .options = FUNCTION_KEYS, .mask = 0x08, .name = "function-key-output",
     .lines = KEYBOARD_READERS},
    {.kind = ControlKind::Number,
     .caption = "USB HID KB Polling Interval (Input value is from 1 to 255)",
     .funcId = 0x14,
     .minimum = 1,
     .maximum = 255,
     .limit = 3,
     .name = "hid-kb-polling-interval",
     .lines = KEYBOARD_READERS},
};

// --- Pre/Postamble ---

const PageControl PRE_POSTAMBLE_CONTROLS[] = {
    {.kind = ControlKind::Bytes, .caption = "Track 1 Prefix", .funcId = 0x34, .limit = 6,
     .name = "track1-prefix"},
    {.kind = ControlKind::Bytes, .caption = "Track 1 Suffix", .funcId = 0x37, .limit = 6,
     .name = "track1-suffix"},
    {.kind = ControlKind::Bytes, .caption = "Track 2 Prefix", .funcId = 0x35, .limit = 6,
     .name = "track2-prefix"},
    {.kind = ControlKind::Bytes, .caption = "Track 2 Suffix", .funcId = 0x38, .limit = 6,
     .name = "track2-suffix"},
    {.kind = ControlKind::Bytes, .caption = "Track 3 Prefix", .funcId = 0x36, .limit = 6,
     .name = "track3-prefix"},
    {.kind = ControlKind::Bytes, .caption = "Track 3 Suffix", .funcId = 0x39, .limit = 6,
     .name = "track3-suffix"},
    {.kind = ControlKind::Bytes, .caption = "Preamble", .funcId = 0xD2, .limit = 15,
     .name = "preamble"},
    {.kind = ControlKind::Bytes, .caption = "Postamble", .funcId = 0xD3, .limit = 15,
     .name = "postamble"},
};

// --- Output Format ---

constexpr ControlOption DATA_FORMAT[] = {
    {"Kaldor Format", DATA_FORMAT_KALDOR, "kaldor"},
    {"UIC RS232 Format", DATA_FORMAT_UIC, "uic-rs232", nullptr, EMULATED_FORMAT_LINE},
    {"MagTek RS232 Format", DATA_FORMAT_MAGTEK, "magtek-rs232", nullptr, EMULATED_FORMAT_LINE}};
// A USB HID reader keeps the kind of format its interface stands for (data or keyboard) until
// a firmware takes every format on either interface. The keyboard format's caption ends with
// a blank.
constexpr LineSet DATA_FORMAT_READERS = {InterfaceType::Unknown, InterfaceType::UsbHid};
constexpr LineSet KEYBOARD_FORMAT_READERS = {InterfaceType::Unknown, InterfaceType::UsbHidKb};
constexpr ControlOption HID_FORMAT[] = {
    {"Kaldor USB HID Data Format", HID_FORMAT_KALDOR_DATA, "kaldor-data", nullptr,
     DATA_FORMAT_READERS, {InterfaceType::UsbHidKb}, HID_KB_FORMAT_MIN_VERSION},
    {"MagTek USB HID Data Format", HID_FORMAT_MAGTEK_DATA, "magtek-data",
     "Mag-Tek USB HID Data Format", DATA_FORMAT_READERS, {InterfaceType::UsbHidKb},
     HID_KB_FORMAT_MIN_VERSION},
    {"Kaldor USB HID Keyboard ", HID_FORMAT_KALDOR_KEYBOARD, "kaldor-keyboard",
     "Kaldor USB HID KB Data Format", KEYBOARD_FORMAT_READERS, {InterfaceType::UsbHid},
     HID_KB_FORMAT_MIN_VERSION}};
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
    {.kind = ControlKind::Choice, .caption = "Data Format", .funcId = 0x15,
     .options = DATA_FORMAT, .name = "data-format"},
    {.kind = ControlKind::Choice, .caption = "USB HID Format", .funcId = FUNC_HID_FORMAT,
     .options = HID_FORMAT, .switchesInterface = true, .name = "hid-format", .lines = HID_LINES},
    {.kind = ControlKind::BitChoice, .caption = "UIC LRC Option", .funcId = 0x16,
     .options = UIC_LRC, .mask = 0x01, .name = "uic-lrc", .lines = EMULATED_FORMAT_LINE},
    // The six MagTek pairs share one box; each is named by its "set" caption.
    {.kind = ControlKind::BitChoice, .caption = "Buffered mode", .funcId = 0x16,
     .options = MAGTEK_BUFFER, .mask = 0x02, .group = MAGTEK_GROUP, .name = "magtek-buffer",
     .lines = EMULATED_FORMAT_LINE},
    {.kind = ControlKind::BitChoice, .caption = "+/- command", .funcId = 0x16,
     .options = MAGTEK_COMMAND, .mask = 0x04, .group = MAGTEK_GROUP, .name = "magtek-command",
     .lines = EMULATED_FORMAT_LINE},
    {.kind = ControlKind::BitChoice, .caption = "Not send STX", .funcId = 0x16,
     .options = MAGTEK_STX, .mask = 0x08, .group = MAGTEK_GROUP, .name = "magtek-stx",
     .lines = EMULATED_FORMAT_LINE},
    {.kind = ControlKind::BitChoice, .caption = "Not send ESC", .funcId = 0x16,
     .options = MAGTEK_ESC, .mask = 0x10, .group = MAGTEK_GROUP, .name = "magtek-esc",
     .lines = EMULATED_FORMAT_LINE},
    {.kind = ControlKind::BitChoice, .caption = "Not send CR", .funcId = 0x16,
     .options = MAGTEK_CR, .mask = 0x20, .group = MAGTEK_GROUP, .name = "magtek-cr",
     .lines = EMULATED_FORMAT_LINE},
    {.kind = ControlKind::BitChoice, .caption = "Not send ETX", .funcId = 0x16,
     .options = MAGTEK_ETX, .mask = 0x40, .group = MAGTEK_GROUP, .name = "magtek-etx",
     .lines = EMULATED_FORMAT_LINE},
};

// --- Data Editing: its page shows the mode as two radio groups of its own ---

constexpr ControlOption DATA_EDIT_MODES[] = {{"Disable", DATA_EDIT_DISABLED, "disabled"},
                                             {"Matched", DATA_EDIT_MATCHED, "matched"},
                                             {"Unmatched", DATA_EDIT_UNMATCHED, "unmatched"}};
const PageControl DATA_EDITING_CONTROLS[] = {
    {.kind = ControlKind::Choice, .caption = PageCaption(RecordPage::DataEditing), .funcId = 0x1B,
     .options = DATA_EDIT_MODES, .name = "data-edit-mode"},
};

// --- shown by no page ---

// The reader's setting 0x25: no page shows it and the utility gives it no meaning; any
// byte is carried through as it is.
const PageControl UNSHOWN_CONTROLS[] = {
    {.kind = ControlKind::Number, .caption = "Option 25", .funcId = 0x25, .minimum = 0,
     .maximum = 255, .name = "option-25"},
};

const PageTable GENERAL_TABLE{RecordPage::GeneralSettings, GENERAL_CONTROLS};
const PageTable RS232_TABLE{RecordPage::Rs232Parameters, RS232_CONTROLS};
const PageTable TRACK_TABLE{RecordPage::TrackSettings, TRACK_CONTROLS};
const PageTable KEYBOARD_TABLE{RecordPage::KeyboardSettings, KEYBOARD_CONTROLS};
const PageTable PRE_POSTAMBLE_TABLE{RecordPage::PrePostamble, PRE_POSTAMBLE_CONTROLS};
const PageTable OUTPUT_FORMAT_TABLE{RecordPage::OutputFormat, OUTPUT_FORMAT_CONTROLS};
const PageTable DATA_EDITING_TABLE{RecordPage::DataEditing, DATA_EDITING_CONTROLS};
const PageTable UNSHOWN_TABLE{RecordPage::None, UNSHOWN_CONTROLS};

const PageTable* const TABLES[] = {&GENERAL_TABLE,  &PRE_POSTAMBLE_TABLE, &RS232_TABLE,
                                   &TRACK_TABLE,    &KEYBOARD_TABLE,      &OUTPUT_FORMAT_TABLE,
                                   &DATA_EDITING_TABLE, &UNSHOWN_TABLE};

// Rows: 7, 6 and 5 bits start sentinel, end sentinel; columns: tracks 1 to 3; 0 for no cell.
constexpr Byte SENTINEL_FUNC_IDS[SENTINEL_ROWS][SENTINEL_TRACKS] = {
    {0x61, 0x64, 0x66},
    {0x62, 0x00, 0x67},
    {0x63, 0x65, 0x68},
    {0x69, 0x6A, 0x6B},
};

void ResetRecord(const SettingsRecordInfo& record, ReaderSettings& settings) {
  if (Byte* byte = RecordByte(record, settings)) *byte = record.defaultValue;
  if (ByteString* string = RecordString(record, settings)) string->clear();
  if (record.copyMember != nullptr) settings.*record.copyMember = record.defaultValue;
}

}  // namespace

const char* const SENTINEL_ROW_CAPTIONS[SENTINEL_ROWS] = {
    "7 Bits Start Sentinel", "6 Bits Start Sentinel", "5 Bits Start Sentinel", "End Sentinel"};
const char* const SENTINEL_ROW_NAMES[SENTINEL_ROWS] = {
    "start-sentinel-7bit", "start-sentinel-6bit", "start-sentinel-5bit", "end-sentinel"};

bool IsBlock(RecordKind kind) {
  return kind == RecordKind::AddedFields || kind == RecordKind::FieldRules ||
         kind == RecordKind::Formulas;
}

std::span<const SettingsRecordInfo> SettingsRecords() { return RECORDS; }

const SettingsRecordInfo* FindSettingsRecord(Byte funcId) {
  const std::uint8_t at = INDEX[funcId];
  return at == NO_RECORD ? nullptr : &RECORDS[at];
}

Byte* RecordByte(const SettingsRecordInfo& record, ReaderSettings& settings) {
  return record.byteMember != nullptr ? &(settings.*record.byteMember) : nullptr;
}

const Byte* RecordByte(const SettingsRecordInfo& record, const ReaderSettings& settings) {
  return record.byteMember != nullptr ? &(settings.*record.byteMember) : nullptr;
}

ByteString* RecordString(const SettingsRecordInfo& record, ReaderSettings& settings) {
  return record.stringMember != nullptr ? &(settings.*record.stringMember) : nullptr;
}

const ByteString* RecordString(const SettingsRecordInfo& record,
                               const ReaderSettings& settings) {
  return record.stringMember != nullptr ? &(settings.*record.stringMember) : nullptr;
}

void ResetRecordDefaults(ReaderSettings& settings) {
  for (const SettingsRecordInfo& record : RECORDS) ResetRecord(record, settings);
}

void ResetPageDefaults(RecordPage page, ReaderSettings& settings) {
  for (const SettingsRecordInfo& record : RECORDS) {
    if (record.page == page || record.alsoResetBy == page) ResetRecord(record, settings);
  }
  for (const PageTable* table : TABLES) {
    if (table->page != page) continue;
    for (const PageControl& control : table->controls) {
      const SettingsRecordInfo& record = RecordOf(control);
      if (control.mask == 0 || record.page == page || record.alsoResetBy == page) continue;
      Byte& value = ControlByte(control, settings);
      value = static_cast<Byte>((value & ~control.mask) | (record.defaultValue & control.mask));
    }
  }
}

const PageTable& GeneralSettingsTable() { return GENERAL_TABLE; }
const PageTable& Rs232ParametersTable() { return RS232_TABLE; }
const PageTable& TrackSettingsTable() { return TRACK_TABLE; }
const PageTable& KeyboardSettingsTable() { return KEYBOARD_TABLE; }
const PageTable& PrePostambleTable() { return PRE_POSTAMBLE_TABLE; }
const PageTable& OutputFormatTable() { return OUTPUT_FORMAT_TABLE; }
const PageTable& DataEditingTable() { return DATA_EDITING_TABLE; }
const PageTable& UnshownTable() { return UNSHOWN_TABLE; }

const PageControl* FindControl(const PageTable& table, const char* caption) {
  for (const PageControl& control : table.controls) {
    if (std::strcmp(control.caption, caption) == 0) return &control;
  }
  return nullptr;
}

const PageControl* ControlOf(Byte ReaderSettings::*member, Byte mask) {
  for (const PageTable* table : TABLES) {
    for (const PageControl& control : table->controls) {
      if (RecordOf(control).byteMember == member && control.mask == mask) return &control;
    }
  }
  return nullptr;
}

bool AppliesOn(const PageControl& control, InterfaceType line) { return control.lines.Has(line); }

bool OptionAppliesOn(const PageControl& control, const ControlOption& option, InterfaceType line,
                     double firmware) {
  const LineSet lines = option.lines.Empty() ? control.lines : option.lines;
  return AppliesOn(control, line) &&
         (lines.Has(line) || (option.laterLines.Has(line) && firmware >= option.fromFirmware));
}

LineSet OptionLines(const PageControl& control, const ControlOption& option) {
  return (option.lines.Empty() ? control.lines : option.lines) | option.laterLines;
}

const SettingsRecordInfo& RecordOf(const PageControl& control) {
  return *FindSettingsRecord(control.funcId);
}

Byte& ControlByte(const PageControl& control, ReaderSettings& settings) {
  return *RecordByte(RecordOf(control), settings);
}

Byte ControlByte(const PageControl& control, const ReaderSettings& settings) {
  return *RecordByte(RecordOf(control), settings);
}

ByteString& ControlString(const PageControl& control, ReaderSettings& settings) {
  return *RecordString(RecordOf(control), settings);
}

const ByteString& ControlString(const PageControl& control, const ReaderSettings& settings) {
  return *RecordString(RecordOf(control), settings);
}

const ControlOption* OptionOf(const PageControl& control, const ReaderSettings& settings) {
  const SettingsRecordInfo& record = RecordOf(control);
  if (record.byteMember == nullptr) return nullptr;
  Byte value = settings.*record.byteMember;
  if (control.kind == ControlKind::BitChoice || control.kind == ControlKind::BitCheck) {
    value = (value & control.mask) != 0 ? 1 : 0;
  }
  for (const ControlOption& option : control.options) {
    if (option.value == value) return &option;
  }
  return nullptr;
}

const char* ReportWord(const PageControl& control, const ReaderSettings& settings) {
  const ControlOption* option = OptionOf(control, settings);
  if (option == nullptr) return "";
  return option->reportWord != nullptr ? option->reportWord : option->caption;
}

int SelectedOption(const PageControl& control, const ReaderSettings& settings) {
  if (control.kind != ControlKind::Choice && control.kind != ControlKind::BitChoice) return -1;
  const ControlOption* option = OptionOf(control, settings);
  return option != nullptr ? static_cast<int>(option - control.options.data())
                           : control.fallbackOption;
}

void SelectOption(const PageControl& control, int option, ReaderSettings& settings) {
  if (RecordOf(control).byteMember == nullptr || option < 0 ||
      static_cast<std::size_t>(option) >= control.options.size()) {
    return;
  }
  Byte& value = ControlByte(control, settings);
  const Byte chosen = control.options[static_cast<std::size_t>(option)].value;
  if (control.kind == ControlKind::Choice) {
    // A reader switches its interface once a choice that changes its format is written.
    if (control.switchesInterface && SwitchesInterface(settings.interfaceType, value, chosen)) {
      settings.interfaceSwitchPending = true;
    }
    value = chosen;
  } else if (control.kind == ControlKind::BitChoice) {
    value = chosen == 0 ? static_cast<Byte>(value & ~control.mask)
                        : static_cast<Byte>(value | control.mask);
  }
}

bool IsChecked(const PageControl& control, const ReaderSettings& settings) {
  if (RecordOf(control).byteMember == nullptr) return false;
  if (control.kind == ControlKind::BitCheck) {
    return (ControlByte(control, settings) & control.mask) != 0;
  }
  if (control.kind == ControlKind::Flag) return ControlByte(control, settings) > '0';
  return false;
}

void SetChecked(const PageControl& control, bool checked, ReaderSettings& settings) {
  if (control.kind == ControlKind::BitCheck) {
    Byte& value = ControlByte(control, settings);
    value = checked ? static_cast<Byte>(value | control.mask)
                    : static_cast<Byte>(value & ~control.mask);
  } else if (control.kind == ControlKind::Flag) {
    ControlByte(control, settings) = checked ? '1' : '0';
  }
}

int NumberOf(const PageControl& control, const ReaderSettings& settings) {
  return RecordOf(control).byteMember != nullptr ? ControlByte(control, settings) : 0;
}

NumberCheck SetNumber(const PageControl& control, long number, ReaderSettings& settings) {
  if (RecordOf(control).byteMember == nullptr) return NumberCheck::OutOfRange;
  if (control.maximum != 0 && (number < control.minimum || number > control.maximum)) {
    return NumberCheck::OutOfRange;
  }
  ControlByte(control, settings) = static_cast<Byte>(number & 0xFF);
  return NumberCheck::Ok;
}

const SettingsRecordInfo* SentinelRecord(int row, int track) {
  if (row < 0 || row >= SENTINEL_ROWS || track < 0 || track >= SENTINEL_TRACKS) return nullptr;
  const Byte funcId = SENTINEL_FUNC_IDS[row][track];
  return funcId == 0 ? nullptr : FindSettingsRecord(funcId);
}

}  // namespace tessaron
