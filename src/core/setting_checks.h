#pragma once
// Whether a record may be written: it fits one frame, and it keeps the rules of the data-edit
// records (data_edit_rules.h), worded for the command line and the windows' messages.

#include <cstdint>
#include <string>
#include <vector>

#include "core/reader_settings.h"
#include "core/setting_names.h"

namespace tessaron {

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
