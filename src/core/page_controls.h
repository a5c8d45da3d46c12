#pragma once
// The controls of the settings pages as plain data: for each control, the setting it edits,
// how a choice or a bit maps onto the stored byte, its caption, how it reads back, and the
// stable name and words by which the command line and the settings files name the setting
// and its choices. The windows build their pages from these tables; the named settings
// (setting_names.h) are made from the same rows, so a page and a name never disagree.

#include <cstddef>
#include <span>

#include "core/byte_string.h"
#include "core/reader_settings.h"

namespace tessaron {

enum class ControlKind {
  Choice,     // a group of radio buttons; the chosen option's byte goes into the setting
  BitChoice,  // a pair of radio buttons over one bit: the first clears it, the second sets it
  BitCheck,   // a check box that sets or clears one bit of the setting
  Flag,       // a check box: '1' when checked, '0' when not; shown checked above '0'
  Number,     // a decimal field whose number is stored as one binary byte
  Character,  // a one-character field holding any byte (0 when empty)
  Bytes,      // a field holding a byte string of at most limit bytes
};

struct ControlOption {
  const char* caption;
  Byte value;
  // The choice's stable word: lower case, words joined by dashes ("quick-high").
  const char* word;
};

struct PageControl {
  ControlKind kind;
  // The caption of the radio group or of the control itself.
  const char* caption;
  // The setting: a one-byte member, or (Bytes) a byte-string member.
  Byte ReaderSettings::*byteMember = nullptr;
  ByteString ReaderSettings::*stringMember = nullptr;
  // Choice and BitChoice: the options in button order (BitChoice: clear, then set).
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
  // HID format): choosing one raises the record's interface switch.
  bool switchesInterface = false;
  // The setting's stable name: lower case, words joined by dashes ("beep-volume").
  const char* name = nullptr;
};

// One page of the basic sheet.
struct PageTable {
  const char* caption;  // the tab's caption
  std::span<const PageControl> controls;
  // "Default Page": the record's reset of this page's settings.
  void (ReaderSettings::*resetDefaults)();
};

const PageTable& GeneralSettingsTable();
const PageTable& Rs232ParametersTable();
const PageTable& TrackSettingsTable();
const PageTable& KeyboardSettingsTable();
const PageTable& PrePostambleTable();
// The Output Format page of the advanced sheet.
const PageTable& OutputFormatTable();

// The control of a table with this caption; nullptr when it has none.
const PageControl* FindControl(const PageTable& table, const char* caption);

// Choice and BitChoice: the option the stored value selects, or -1 for none.
int SelectedOption(const PageControl& control, const ReaderSettings& settings);
// Choice and BitChoice: stores the option (an index outside the options changes nothing).
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
// sentinel) holds nullptr.
constexpr int SENTINEL_ROWS = 4;
constexpr int SENTINEL_TRACKS = 3;
extern const char* const SENTINEL_ROW_CAPTIONS[SENTINEL_ROWS];
// The rows' part of a sentinel's name, which is "track1-" ... "track3-" followed by it.
extern const char* const SENTINEL_ROW_NAMES[SENTINEL_ROWS];
Byte ReaderSettings::*SentinelMember(int row, int track);

}  // namespace tessaron
