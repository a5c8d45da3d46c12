// The values of the named settings as the command line and the settings files write them
// (setting_names.h): their texts, the words they take, and the differences between two
// records. The names themselves are made in setting_names.cpp.
#include "core/setting_names.h"

#include <algorithm>
#include <charconv>

#include "core/data_edit_model.h"
#include "core/escape_names.h"
#include "core/near_misses.h"
#include "core/setting_values.h"
#include "core/settings_table.h"

namespace tessaron {

namespace {

// Behind the raw byte of a list setting that none of its options defines.
constexpr char UNDEFINED_MARK[] = " (undefined)";

// The bit byte whose other bits a ReservedBits setting holds.
Byte& OtherBitsByte(const NamedSetting& setting, ReaderSettings& settings) {
  return *RecordByte(*FindSettingsRecord(setting.funcId), settings);
}
Byte OtherBitsByte(const NamedSetting& setting, const ReaderSettings& settings) {
  return *RecordByte(*FindSettingsRecord(setting.funcId), settings);
}

bool Fail(ValueProblem* problem, std::string message) {
  problem->path.clear();
  problem->message = std::move(message);
  return false;
}

// The range a number setting takes on the command line: a page field that takes any number
// (and keeps its low 8 bits) takes a byte here.
int NumberMinimum(const PageControl& control) { return control.maximum == 0 ? 0 : control.minimum; }
int NumberMaximum(const PageControl& control) {
  return control.maximum == 0 ? 255 : control.maximum;
}

SettingJson ControlValue(const PageControl& control, const ReaderSettings& settings) {
  if (control.kind == ControlKind::Bytes) return BytesToExactText(ControlString(control, settings));
  const Byte value = ControlByte(control, settings);
  switch (control.kind) {
    case ControlKind::Choice:
    case ControlKind::BitChoice:
    case ControlKind::BitCheck:
    case ControlKind::Flag:
      if (const ControlOption* option = OptionOf(control, settings)) return option->word;
      // A byte no option defines (from a file or reader elsewhere) is carried as it is.
      if (control.kind == ControlKind::Choice || control.kind == ControlKind::Flag) {
        return RawByteText(value) + UNDEFINED_MARK;
      }
      break;
    case ControlKind::Number:
      if (value >= NumberMinimum(control) && value <= NumberMaximum(control)) return value;
      break;
    case ControlKind::Character:
      return BytesToExactText(ByteString{value});
    case ControlKind::Bytes:
      break;
  }
  return RawByteText(value);
}

// "0x96 (undefined)": the byte of a list setting that none of its options defines.
bool ParseUndefined(const std::string& text, Byte* value) {
  const std::size_t mark = std::char_traits<char>::length(UNDEFINED_MARK);
  return text.size() > mark && text.ends_with(UNDEFINED_MARK) &&
         ParseRawByte(std::string_view(text).substr(0, text.size() - mark), value);
}

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The position of the option that stores value; -1 when none does.
int OptionOfValue(const PageControl& control, Byte value) {
  for (std::size_t i = 0; i < control.options.size(); ++i) {
    if (control.options[i].value == value) return static_cast<int>(i);
  }
  return -1;
}

// The word's position among the control's options; -1 when it is none of them.
int OptionOfWord(const PageControl& control, const std::string& word) {
  for (std::size_t i = 0; i < control.options.size(); ++i) {
    if (word == control.options[i].word) return static_cast<int>(i);
  }
  return -1;
}

// The words a control takes; none for the fields that take numbers, characters or bytes.
std::vector<std::string> ControlWords(const PageControl& control) {
  std::vector<std::string> words;
  for (const ControlOption& option : control.options) words.emplace_back(option.word);
  return words;
}

std::string ControlValuesText(const PageControl& control) {
  switch (control.kind) {
    case ControlKind::Choice:
    case ControlKind::BitChoice:
    case ControlKind::BitCheck:
    case ControlKind::Flag: {
      std::string words;
      for (const std::string& word : ControlWords(control)) {
        words += (words.empty() ? "" : ", ") + word;
      }
      return words;
    }
    case ControlKind::Number:
      return "a number from " + std::to_string(NumberMinimum(control)) + " to " +
             std::to_string(NumberMaximum(control));
    case ControlKind::Character:
      return "one character (\\cr, \\x97 and the like for the others)";
    case ControlKind::Bytes:
      return "a byte string of at most " + std::to_string(MAX_STRING_BYTES) +
             " bytes (the page takes " + std::to_string(control.limit) + ")";
  }
  return "";
}

bool SetControlValue(const PageControl& control, const SettingJson& value, ReaderSettings& settings,
                     bool carryUndefined, ValueProblem* problem) {
  if (control.kind == ControlKind::Bytes) {
    ByteString bytes;
    if (!ReadByteString(value, 0, MAX_STRING_BYTES, &bytes, problem)) return false;
    ControlString(control, settings) = std::move(bytes);
    return true;
  }
  Byte& stored = ControlByte(control, settings);
  // Words are taken in any letter case: the report prints them in capitals.
  const std::string text = value.is_string() ? Lowered(value.get<std::string>()) : std::string();
  Byte raw = 0;
  const bool isRaw = ParseRawByte(text, &raw);
  const bool list = control.kind == ControlKind::Choice || control.kind == ControlKind::Flag;
  Byte undefined = 0;
  const bool isUndefined = list && ParseUndefined(text, &undefined);
  if (control.kind == ControlKind::Character) {
    ByteString bytes;
    if (!ReadByteString(value, 1, 1, &bytes, problem)) return false;
    stored = bytes[0];
  } else if (control.kind == ControlKind::Number) {
    int number = 0;
    if (isRaw) {
      number = raw;
    } else if (!ReadNumber(value, NumberMinimum(control), NumberMaximum(control), &number,
                           problem)) {
      return false;
    }
    stored = static_cast<Byte>(number);
  } else if (!value.is_string()) {
    return Fail(problem,
                "one of " + ControlValuesText(control) + " expected, not " + CompactJson(value));
  } else if (isUndefined && (carryUndefined || stored == undefined)) {
    stored = undefined;  // carried unchanged: a file's, or the one the record holds already
  } else if (const int option = isRaw && list ? OptionOfValue(control, raw)
                                             : OptionOfWord(control, text);
             option >= 0) {
    const Byte chosen = control.options[static_cast<std::size_t>(option)].value;
    if (control.kind == ControlKind::Choice || control.kind == ControlKind::Flag) {
      stored = chosen;  // the USB HID format too: the write that carries it tells the switch
    } else {
      stored = chosen != 0 ? static_cast<Byte>(stored | control.mask)
                           : static_cast<Byte>(stored & ~control.mask);
    }
  } else if (isRaw || isUndefined) {
    const Byte byte = isRaw ? raw : undefined;
    return Fail(problem, "no value of this setting is " + RawByteText(byte) +
                             " (it is taken only where it is held already); expected " +
                             ControlValuesText(control));
  } else {
    std::string hint;
    for (const std::string& word : NearMisses(value.get<std::string>(), ControlWords(control))) {
      hint += (hint.empty() ? "; did you mean " : " or ") + word;
    }
    return Fail(problem, "unknown value \"" + value.get<std::string>() + "\"" +
                             (hint.empty() ? "; expected " : hint + "? (expected ") +
                             ControlValuesText(control) + (hint.empty() ? "" : ")"));
  }
  // A read fills the report's end sentinel from the track 1 end sentinel; so does a change.
  const SettingsRecordInfo& record = RecordOf(control);
  if (record.copyMember != nullptr) settings.*record.copyMember = stored;
  return true;
}

// A decimal number as a JSON number; any other text as a JSON string.
SettingJson NumberOrText(const std::string& text) {
  std::uint64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (!text.empty() && error == std::errc() && stop == end) return number;
  return text;
}

bool SetValueOrTell(const NamedSetting& setting, const SettingJson& value,
                    ReaderSettings& settings, bool carryUndefined, std::string* error) {
  ValueProblem problem;
  if (SetSettingValue(setting, value, settings, &problem, carryUndefined)) return true;
  *error = problem.path.empty() ? problem.message : problem.path + ": " + problem.message;
  return false;
}

// A value given as JSON on the command line.
bool SetJsonText(const NamedSetting& setting, const std::string& text, ReaderSettings& settings,
                 std::string* error) {
  SettingJson value;
  if (!ParseJson(text, &value, error)) {
    *error = "not JSON (" + *error + "); expected " + SettingValuesText(setting);
    return false;
  }
  return SetValueOrTell(setting, value, settings, false, error);
}

}  // namespace

SettingJson SettingValue(const NamedSetting& setting, const ReaderSettings& settings) {
  switch (setting.kind) {
    case SettingKind::Control:
      return ControlValue(*setting.control, settings);
    case SettingKind::ReservedBits:
      return RawByteText(static_cast<Byte>(OtherBitsByte(setting, settings) & setting.mask));
    case SettingKind::Formula:
      return FormulaValue(settings.formulas[static_cast<std::size_t>(setting.index)],
                          setting.index);
    case SettingKind::AddedFields:
      return AddedFieldsValue(settings.addedFields);
    case SettingKind::LengthLimit:
      return RuleSlotValue(settings.lengthLimits[static_cast<std::size_t>(setting.index)],
                           TAG_LENGTH_LIMIT, setting.index);
    case SettingKind::MatchString:
      return RuleSlotValue(settings.matchStrings[static_cast<std::size_t>(setting.index)],
                           TAG_MATCH_STRING, setting.index);
    case SettingKind::CustomFields:
      return CustomFieldsValue(settings.customFields);
  }
  return nullptr;
}

bool SetSettingValue(const NamedSetting& setting, const SettingJson& value,
                     ReaderSettings& settings, ValueProblem* problem, bool carryUndefined) {
  const auto index = static_cast<std::size_t>(setting.index);
  switch (setting.kind) {
    case SettingKind::Control:
      return SetControlValue(*setting.control, value, settings, carryUndefined, problem);
    case SettingKind::ReservedBits: {
      Byte bits = 0;
      if (!value.is_string() || !ParseRawByte(value.get<std::string>(), &bits) ||
          (bits & ~setting.mask) != 0) {
        return Fail(problem, SettingValuesText(setting) + " expected, not " + CompactJson(value));
      }
      Byte& stored = OtherBitsByte(setting, settings);
      stored = static_cast<Byte>((stored & ~setting.mask) | bits);
      return true;
    }
    case SettingKind::Formula:
      return ReadFormula(value, setting.index, &settings.formulas[index], problem);
    case SettingKind::AddedFields:
      return ReadAddedFields(value, &settings.addedFields, problem);
    case SettingKind::LengthLimit:
      return ReadRuleSlot(value, TAG_LENGTH_LIMIT, setting.index, &settings.lengthLimits[index],
                          problem);
    case SettingKind::MatchString:
      return ReadRuleSlot(value, TAG_MATCH_STRING, setting.index, &settings.matchStrings[index],
                          problem);
    case SettingKind::CustomFields:
      return ReadCustomFields(value, &settings.customFields, problem);
  }
  return false;
}

std::string SettingText(const NamedSetting& setting, const ReaderSettings& settings) {
  const SettingJson value = SettingValue(setting, settings);
  if (value.is_string()) return value.get<std::string>();
  if (value.is_null()) return "none";
  if (setting.kind == SettingKind::Formula) {
    std::string text;
    for (const SettingJson& entry : value) {
      if (!text.empty()) text += ' ';
      text += entry.get<std::string>();
    }
    return text;
  }
  return CompactJson(value);
}

bool SetSettingText(const NamedSetting& setting, const std::string& text, ReaderSettings& settings,
                    std::string* error, bool carryUndefined) {
  SettingJson value;
  switch (setting.kind) {
    case SettingKind::Control:
      value = setting.control->kind == ControlKind::Number ? NumberOrText(text) : SettingJson(text);
      break;
    case SettingKind::ReservedBits:
      value = text;
      break;
    case SettingKind::Formula: {
      if (text.starts_with("[")) return SetJsonText(setting, text, settings, error);
      value = SettingJson::array();
      std::size_t at = 0;
      while ((at = text.find_first_not_of(" \t", at)) != std::string::npos) {
        const std::size_t end = std::min(text.find_first_of(" \t", at), text.size());
        value.push_back(text.substr(at, end - at));
        at = end;
      }
      break;
    }
    case SettingKind::LengthLimit:
    case SettingKind::MatchString:
      if (text == "none") break;  // value stays null
      [[fallthrough]];
    case SettingKind::AddedFields:
    case SettingKind::CustomFields:
      return SetJsonText(setting, text, settings, error);
  }
  return SetValueOrTell(setting, value, settings, carryUndefined, error);
}

std::string SettingValuesText(const NamedSetting& setting) {
  switch (setting.kind) {
    case SettingKind::Control:
      return ControlValuesText(*setting.control);
    case SettingKind::ReservedBits:
      return "a raw byte with no bit set outside " + RawByteText(setting.mask);
    case SettingKind::Formula:
      return "field names such as 1a 2c 0a, separated by blanks";
    case SettingKind::AddedFields:
      return "a JSON list of at most 8 byte strings of 1 to 8 bytes";
    case SettingKind::LengthLimit:
      return "none or {\"min\": 0 to 255, \"max\": 0 to 255}";
    case SettingKind::MatchString:
      return "none or {\"offset\": 0 to 255, \"text\": a byte string}";
    case SettingKind::CustomFields:
      break;
  }
  return "a JSON list of {\"rule\": before, between, after or among, \"field\": 1a, ...}";
}

std::vector<std::string> SettingWords(const NamedSetting& setting) {
  if (setting.kind == SettingKind::Control) return ControlWords(*setting.control);
  return {};
}

std::vector<SettingDifference> DiffSettings(const ReaderSettings& first,
                                            const ReaderSettings& second) {
  std::vector<SettingDifference> differences;
  for (const NamedSetting& setting : NamedSettings()) {
    std::string a = SettingText(setting, first);
    std::string b = SettingText(setting, second);
    if (a != b) differences.push_back({&setting, std::move(a), std::move(b)});
  }
  return differences;
}

}  // namespace tessaron
