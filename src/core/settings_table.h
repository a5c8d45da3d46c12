#pragma once
// The one table of reader settings. Each fact about a setting is written here once:
// - the records (SettingsRecords): every FuncID the settings stream carries, in the order the
//   encoder writes them, with the form of its record, the member of ReaderSettings it fills,
//   its default and the page whose "Default Page" restores it;
// - the controls (the page tables): every control that shows a setting, in its page's order,
//   with the FuncID of its record, its caption, how it maps onto the stored byte, its options
//   (the stored value, the page's caption, the report's word and the command line's word) and
//   the setting's command-line name.
// The codec, the frame length, the stream listing, the simulated reader, the report, the
// pages and the named settings (setting_names.h) read these rows; nothing else lists a setting.

#include <cstddef>
#include <span>

#include "core/byte_string.h"
#include "core/reader_settings.h"

namespace tessaron {

// How a record is laid out in the stream.
enum class RecordKind {
  OneByte,      // FuncID, 0x01, value
  String,       // FuncID, n + 1, n, then the n bytes
  AddedFields,  // FuncID, L, one 9-byte slot per added field
  FieldRules,   // FuncID, L, tagged length limits, match strings and custom fields
  Formulas,     // FuncID, L, one item per card kind
};

// The bytes a record takes besides its value, and the most its one length byte can tell.
constexpr std::size_t RECORD_HEAD = 2;                            // FuncID, length byte
constexpr std::size_t ONE_BYTE_RECORD_LENGTH = RECORD_HEAD + 1;  // and the value
constexpr std::size_t STRING_RECORD_OVERHEAD = RECORD_HEAD + 1;  // and the count byte n
constexpr std::size_t MAX_STRING_BYTES = 254;                    // n + 1 fits one byte
constexpr std::size_t MAX_BLOCK_CONTENT = 255;

bool IsBlock(RecordKind kind);

// The USB HID format's record: the one setting that makes a USB reader change its interface.
constexpr Byte FUNC_HID_FORMAT = 0x23;

// The settings page that shows a setting.
enum class RecordPage {
  None,  // shown by no page; the value is carried through unchanged
  GeneralSettings,
  PrePostamble,
  Rs232Parameters,
  TrackSettings,
  KeyboardSettings,
  OutputFormat,
  DataEditing,
};

// The page's tab caption ("" for None).
constexpr const char* PageCaption(RecordPage page) {
  switch (page) {
    case RecordPage::None: break;
    case RecordPage::GeneralSettings: return "General Settings";
    case RecordPage::PrePostamble: return "Pre/Postamble";
    case RecordPage::Rs232Parameters: return "RS232 Parameters";
    case RecordPage::TrackSettings: return "Track Settings";
    case RecordPage::KeyboardSettings: return "Keyboard Settings";
    case RecordPage::OutputFormat: return "Output Format";
    case RecordPage::DataEditing: return "Data Editing";
  }
  return "";
}

struct SettingsRecordInfo {
  Byte funcId;
  RecordKind kind;
  // The page whose "Default Page" restores the record; a second one that restores it too.
  RecordPage page;
  RecordPage alsoResetBy;
  // The member's name as the stream listing prints it ("beepVolume"); a block that fills
  // several members names them all.
  const char* memberName;
  // The member a one-byte record fills; nullptr for the other kinds.
  Byte ReaderSettings::*byteMember;
  // The member a string record fills; nullptr for the other kinds.
  ByteString ReaderSettings::*stringMember;
  // A one-byte record's default (strings and blocks start empty).
  Byte defaultValue;
  // A member that takes the same byte whenever the record's member is read or set by name,
  // and is restored with it; nullptr for none.
  Byte ReaderSettings::*copyMember;
};

// Every settings record, in the order the encoder writes them.
std::span<const SettingsRecordInfo> SettingsRecords();

// The record of a FuncID; nullptr for a FuncID that carries no setting.
const SettingsRecordInfo* FindSettingsRecord(Byte funcId);

// The byte a one-byte record fills in settings; nullptr when the record is of another kind.
Byte* RecordByte(const SettingsRecordInfo& record, ReaderSettings& settings);
const Byte* RecordByte(const SettingsRecordInfo& record, const ReaderSettings& settings);

// The byte string a string record fills in settings; nullptr when the record is of another kind.
ByteString* RecordString(const SettingsRecordInfo& record, ReaderSettings& settings);
const ByteString* RecordString(const SettingsRecordInfo& record, const ReaderSettings& settings);

// Every one-byte and string setting to its default; the data-edit lists are the record's own.
void ResetRecordDefaults(ReaderSettings& settings);
// "Default Page": the records the page restores, and on another page's record the bits
// the page's own controls switch.
void ResetPageDefaults(RecordPage page, ReaderSettings& settings);

enum class ControlKind {
  Choice,     // a group of radio buttons; the chosen option's byte goes into the setting
  BitChoice,  // a pair of radio buttons over one bit: the first clears it, the second sets it
  BitCheck,   // a check box that sets or clears one bit of the setting
  Flag,       // a check box: '1' when checked, '0' when not; shown checked above '0'
  Number,     // a decimal field whose number is stored as one binary byte
  Character,  // a one-character field holding any byte (0 when empty)
  Bytes,      // a field holding a byte string of at most limit bytes
};

// One value of a setting. Choice and Flag: value is the stored byte; BitChoice and BitCheck:
// the bit, 0 clear or 1 set.
struct ControlOption {
  // The radio button's caption; nullptr for the states of a check box.
  const char* caption;
  Byte value;
  // The command line's word: lower case, words joined by dashes ("quick-high").
  const char* word;
  // The report's word where it is not the caption.
  const char* reportWord = nullptr;
  // The lines on which the option may be chosen on any firmware; none: those of its setting.
  LineSet lines = {};
  // The lines on which it may be chosen too from firmware number fromFirmware on.
  LineSet laterLines = {};
  double fromFirmware = 0;
};

struct PageControl {
  ControlKind kind;
  // The caption of the radio group or of the control itself.
  const char* caption;
  // The record of the setting: a one-byte record, or (Bytes) a string record.
  Byte funcId;
  // Choice and BitChoice: the options in button order (BitChoice: clear, then set). Flag and
  // BitCheck: on, then off.
  std::span<const ControlOption> options = {};
  // BitChoice and BitCheck: the bit.
  Byte mask = 0;
  // Choice: the option shown for a value that no option has; -1 shows none.
  int fallbackOption = -1;
  // Number: the accepted range; a maximum of 0 takes any number and keeps its low 8 bits.
  int minimum = 0;
  int maximum = 0;
  // Number: digits the field takes (0: no limit); Character and Bytes: the byte limit.
  std::size_t limit = 0;
  // The box several controls share on the page ("MagTek Options"); nullptr for none.
  const char* group = nullptr;
  // Choice: a new option makes the reader change its USB interface once written (the USB
  // HID format): choosing one that switches the interface of the record's line (firmware.h)
  // raises the record's interface switch.
  bool switchesInterface = false;
  // The setting's stable name: lower case, words joined by dashes ("beep-volume").
  const char* name = nullptr;
  // The lines on which the setting applies: the pages offer it there, the report shows it
  // for a reader of such a line, the command line sets and gets it there only. Unknown among
  // them: the pages offer it too while no line is known.
  LineSet lines = LineSet::Any();
};

// The controls of one page.
struct PageTable {
  RecordPage page;
  std::span<const PageControl> controls;
};

const PageTable& GeneralSettingsTable();
const PageTable& Rs232ParametersTable();
const PageTable& TrackSettingsTable();
const PageTable& KeyboardSettingsTable();
// The byte strings of the Pre/Postamble page; its sentinels are the grid below.
const PageTable& PrePostambleTable();
// The Output Format page of the advanced sheet.
const PageTable& OutputFormatTable();
// The mode of the Data Editing page (its other settings are the data-edit lists).
const PageTable& DataEditingTable();
// What no page shows: carried through as it is.
const PageTable& UnshownTable();

// The control of a table with this caption; nullptr when it has none.
const PageControl* FindControl(const PageTable& table, const char* caption);
// The control of any table over a one-byte record's member (and its bit, for the bit
// controls); nullptr when none shows it.
const PageControl* ControlOf(Byte ReaderSettings::*member, Byte mask = 0);

// Whether the setting applies on the line (Unknown: while no line is known).
bool AppliesOn(const PageControl& control, InterfaceType line);
// Whether the option may be chosen on the line, for a reader of that firmware number (0: not
// known, which no firmware rule takes).
bool OptionAppliesOn(const PageControl& control, const ControlOption& option, InterfaceType line,
                     double firmware);
// The lines on which the option may be chosen on some firmware.
LineSet OptionLines(const PageControl& control, const ControlOption& option);

// The setting's record, and the byte or byte string it fills.
const SettingsRecordInfo& RecordOf(const PageControl& control);
Byte& ControlByte(const PageControl& control, ReaderSettings& settings);
Byte ControlByte(const PageControl& control, const ReaderSettings& settings);
ByteString& ControlString(const PageControl& control, ReaderSettings& settings);
const ByteString& ControlString(const PageControl& control, const ReaderSettings& settings);

// The option that the stored value stands for (by its byte, or by its bit), nullptr for none.
const ControlOption* OptionOf(const PageControl& control, const ReaderSettings& settings);
// The report's word for the stored value; "" when no option stands for it.
const char* ReportWord(const PageControl& control, const ReaderSettings& settings);

// Choice and BitChoice: the option the stored value selects, or -1 for none.
int SelectedOption(const PageControl& control, const ReaderSettings& settings);
// Choice and BitChoice: stores the option (an index outside the options changes nothing),
// raising the interface switch where the choice switches it.
void SelectOption(const PageControl& control, int option, ReaderSettings& settings);
// BitCheck and Flag: whether the box shows checked, and setting it.
bool IsChecked(const PageControl& control, const ReaderSettings& settings);
void SetChecked(const PageControl& control, bool checked, ReaderSettings& settings);

enum class NumberCheck { Ok, OutOfRange };
// Number: the stored byte as a number, and storing a typed number. A number outside the
// range is refused (OutOfRange, nothing stored); without a range its low 8 bits are stored.
int NumberOf(const PageControl& control, const ReaderSettings& settings);
NumberCheck SetNumber(const PageControl& control, long number, ReaderSettings& settings);

// The sentinel grid of the Pre/Postamble page: four rows (7, 6 and 5 bits start sentinel,
// end sentinel) by three tracks. A cell without a setting (track 2 has no 6-bit start
// sentinel) has no record.
constexpr int SENTINEL_ROWS = 4;
constexpr int SENTINEL_TRACKS = 3;
extern const char* const SENTINEL_ROW_CAPTIONS[SENTINEL_ROWS];
// The rows' part of a sentinel's name, which is "track1-" ... "track3-" followed by it.
extern const char* const SENTINEL_ROW_NAMES[SENTINEL_ROWS];
// The record of a cell; nullptr for a cell without a setting or outside the grid.
const SettingsRecordInfo* SentinelRecord(int row, int track);

}  // namespace tessaron
