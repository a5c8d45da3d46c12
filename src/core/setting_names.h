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

}  // namespace tessaron
