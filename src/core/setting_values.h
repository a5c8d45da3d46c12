#pragma once
// The values of the named settings as JSON, the form of the settings files; the text forms of
// setting_names.h are made from them. Used inside the core only (setting_names.cpp,
// settings_json.cpp): callers outside it use setting_names.h and settings_json.h.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/byte_string.h"
#include "core/setting_names.h"

namespace tessaron {

// Objects keep their keys in the order they were made, so every file lists them alike.
using SettingJson = nlohmann::ordered_json;

// What is wrong with a value, and where in it ("/2/times"; empty for the value itself).
struct ValueProblem {
  std::string path;
  std::string message;
};

// The value of a setting in a record, and setting it (false, with the problem and the record
// unchanged, for a value the setting does not take). The byte of a list setting that none of
// its options defines, "0x96 (undefined)", is taken where the record holds it already, and
// with carryUndefined (a settings file from elsewhere, carried unchanged).
SettingJson SettingValue(const NamedSetting& setting, const ReaderSettings& settings);
bool SetSettingValue(const NamedSetting& setting, const SettingJson& value,
                     ReaderSettings& settings, ValueProblem* problem, bool carryUndefined = false);

// A JSON value on one line, with a blank after every comma and colon.
std::string CompactJson(const SettingJson& value);
// Reads a JSON text. False, with a message that says where, for a text that is no JSON or
// that nests lists and objects deeper than any settings file does.
bool ParseJson(const std::string& text, SettingJson* value, std::string* error);

// A raw byte: "0x" and two lower-case hexadecimal digits, and reading it (either case).
std::string RawByteText(Byte value);
bool ParseRawByte(std::string_view text, Byte* value);

// Reads a whole number from minimum to maximum; false with the problem for anything else.
bool ReadNumber(const SettingJson& value, int minimum, int maximum, int* number,
                ValueProblem* problem);
// Reads a byte string in the exact escape-name text, of minimum to maximum bytes.
bool ReadByteString(const SettingJson& value, std::size_t minimum, std::size_t maximum,
                    ByteString* bytes, ValueProblem* problem);

// The data-edit settings (formats in the README's "Configuring from a shell").
// A formula: its field names ("1a", "0b", "10" as the kind's catalogue prints it; "0xNN" for
// a byte that has no field name).
std::string FieldRefText(Byte ref, int kind);
bool ParseFieldRef(std::string_view text, int kind, Byte* ref);
SettingJson FormulaValue(const ByteString& formula, int kind);
bool ReadFormula(const SettingJson& value, int kind, ByteString* formula, ValueProblem* problem);
// The added fields: a list of byte strings of 1 to 8 bytes.
SettingJson AddedFieldsValue(const ByteStringList& fields);
bool ReadAddedFields(const SettingJson& value, ByteStringList* fields, ValueProblem* problem);
// The length limit (tag 0xF0) or match string (tag 0xF1) of a track: null when empty, else an
// object ({"min", "max"} or {"offset", "text"}); a slot that holds anything else, as {"bytes"}.
SettingJson RuleSlotValue(const ByteString& slot, Byte tag, int track);
bool ReadRuleSlot(const SettingJson& value, Byte tag, int track, ByteString* slot,
                  ValueProblem* problem);
// The custom fields: a list of objects with their "rule", "field" and the rule's parameters;
// a record of no such shape as {"bytes"}.
SettingJson CustomFieldsValue(const ByteStringList& fields);
bool ReadCustomFields(const SettingJson& value, ByteStringList* fields, ValueProblem* problem);

}  // namespace tessaron
