#pragma once
// Every setting of the record by a stable name ("beep-volume"), and every value by a stable
// word or text ("high", "\cr", "1a 2c 0a"): what the command line's get, set and diff and the
// settings files (settings_json.h) use. The names and words of the controls are those of the
// settings table (settings_table.h); the sentinels, the data-edit lists and the bits that no
// control switches are named here. Every member of the record is reached by
// exactly one name, each bit of the two bit bytes too; interfaceType and
// interfaceSwitchPending are no settings and have none. endSentinel, the report's copy of
// the track 1 end sentinel, is set with it, as a read of the reader sets it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_string.h"
#include "core/reader_settings.h"
#include "core/settings_table.h"

namespace tessaron {

enum class SettingKind {
  Control,       // a setting shaped like a page control (see ControlKind)
  ReservedBits,  // the bits of a bit byte that no control switches, as a raw byte
  Formula,       // the formula of one card kind, as field names
  AddedFields,   // the list of added fields
  LengthLimit,   // the length limit of one track
  MatchString,   // the match string of one track
  CustomFields,  // the list of custom fields
};

struct NamedSetting {
  std::string name;
  SettingKind kind = SettingKind::Control;
  Byte funcId = 0;                       // the record that carries it
  const PageControl* control = nullptr;  // Control
  Byte mask = 0;                         // ReservedBits: the bits it holds
  int index = 0;  // Formula: the card kind; LengthLimit, MatchString: the track, 0 to 2
};

// Every named setting, in the order of the pages that show them.
std::span<const NamedSetting> NamedSettings();
// The setting of that name; nullptr for any other text.
const NamedSetting* FindNamedSetting(std::string_view name);
// The words a mistyped text most likely meant, for the message about a name or word that is
// not one: letter case, "_" for "-", one or two letters wrong, left out, added or swapped,
// or else the words that contain it; empty when none is near.
std::vector<std::string> NearMisses(std::string_view text, std::span<const std::string> words);
// The setting names near text.
std::vector<std::string> NamesLike(std::string_view text);

// The value as the command line prints it: a word ("high"), a number, a byte string in the
// exact escape-name text, field names joined by blanks, "none", or JSON for the lists and
// objects of the data-edit settings. A number outside its range is printed as its raw byte,
// "0x39", and read back as such; the byte of a list setting that none of its options defines
// as "0x39 (undefined)".
std::string SettingText(const NamedSetting& setting, const ReaderSettings& settings);
// Sets the value from such a text. False, with a message that says what the setting takes,
// for any text that is no value of it; settings is then unchanged. A list setting takes the
// words of its options, or the raw byte of one of them ("0x36"); "0x39 (undefined)" only where
// settings holds that byte already, or with carryUndefined.
bool SetSettingText(const NamedSetting& setting, const std::string& text, ReaderSettings& settings,
                    std::string* error, bool carryUndefined = false);
// What the setting takes: its words, or its kind with its range or limits.
std::string SettingValuesText(const NamedSetting& setting);
// The words the setting takes, in that text's order; none for a setting that takes numbers,
// characters, byte strings or JSON.
std::vector<std::string> SettingWords(const NamedSetting& setting);

struct SettingDifference {
  const NamedSetting* setting;
  std::string first;   // SettingText in the first record
  std::string second;  // SettingText in the second record
};

// The named settings whose values differ, in table order.
std::vector<SettingDifference> DiffSettings(const ReaderSettings& first,
                                            const ReaderSettings& second);

// Whether the record goes into one settings stream of at most frameLimit bytes, with every
// string and block within what its length byte can tell. False, with a message naming the
// settings that take too much, when it does not.
bool CheckSettingsFit(const ReaderSettings& settings, std::uint64_t frameLimit, std::string* error);

// A setting whose value breaks a rule of the data-edit records, and how.
struct SettingProblem {
  const NamedSetting* setting;
  std::string message;
  bool operator==(const SettingProblem&) const = default;
};
// The rules the window's editors keep: the k-th custom field (from 0) has the letter index k
// and there are at most 12; a formula refers to an added field that exists, in the Custom
// formula to a custom field by exactly its byte, else to an entry of its kind's catalogue;
// a formula holds at most 150 entries, the four together 160; a length limit's min is at
// most its max.
std::vector<SettingProblem> SettingRuleProblems(const ReaderSettings& settings);

// Whether after may be written where before is held, to a reader or a file alike: the record
// fits one frame of frameLimit bytes, and no setting breaks a rule that it did not break in
// before already (so a record that a reader or file holds passes through as it is). False,
// with a message that names the setting, when it may not.
bool CheckWritable(const ReaderSettings& before, const ReaderSettings& after,
                   std::uint64_t frameLimit, std::string* error);
// The rules part of CheckWritable alone: no setting of after breaks a rule that it did not
// break in before already (the frame's length is the writer's own check).
bool CheckRulesKept(const ReaderSettings& before, const ReaderSettings& after,
                    std::string* error);

}  // namespace tessaron
