#pragma once
// What the data-edit dialogs do to the records, without the dialogs: appending a formula
// entry under the two item limits, the test whether a field may be deleted, renumbering the
// custom fields, and building length limits, match strings and custom fields byte by byte.

#include <optional>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/data_edit_model.h"
#include "core/reader_settings.h"

namespace tessaron {

// The four ways a custom field is cut out of its track, in the order the editor offers them.
enum class CustomFieldRule { Before = 0, Between = 1, After = 2, Among = 3 };
constexpr int CUSTOM_FIELD_RULE_COUNT = 4;

// Letters "a" to "z": the most field indexes a letter can name.
constexpr int FIELD_LETTER_COUNT = 26;

// The strings of match strings and custom fields travel with a one-byte length, and all of
// them share the one-byte length of their block with the limits: a string holds at most this
// many characters, so that neither can wrap even in the largest record (Among, two strings).
constexpr int MAX_FIELD_STRING_BYTES = 120;
inline constexpr const char* FIELD_STRING_LIMIT_TEXT =
    "A string can hold at most %d characters.";

// The numbers of the records (Min, Max, Offset, Times, Length) are single bytes.
constexpr int MAX_RECORD_NUMBER = 255;

// A formula entry: track T (0 for an added field, 1 to 3) and field index I.
constexpr Byte FieldRef(int track, int index) {
  return static_cast<Byte>(track * 32 + index);
}
constexpr int FieldTrack(Byte ref) { return ref >> 5; }
constexpr int FieldIndex(Byte ref) { return ref & 0x1F; }

// The texts of the refusals of the formula editors and the field editors; LimitText puts the
// limit in place of "%d".
inline constexpr const char* SEND_ITEMS_LIMIT_TEXT = "Only %d items can be added for Send Command.";
inline constexpr const char* FORMULA_ITEMS_LIMIT_TEXT = "Only %d items can be added for a Formula.";
inline constexpr const char* ADDED_FIELDS_LIMIT_TEXT = "Only %d added field can be set!";
inline constexpr const char* EMPTY_ADDED_FIELD_TEXT = "Please input invalid field.";
inline constexpr const char* ADDED_FIELD_USED_TEXT =
    "Cannot delete an Added field been currently used.";
inline constexpr const char* CUSTOM_FIELDS_LIMIT_TEXT = "Only %d flexible field can be set!";
inline constexpr const char* EMPTY_CUSTOM_INPUT_TEXT = "Please input valid value in the field.";
inline constexpr const char* CUSTOM_FIELD_USED_TEXT =
    "Cannot delete a Custom field been currently used.";

std::string LimitText(const char* text, int limit);

// ---- the rules of the data-edit records ----

// A rule of the data-edit records; the editors keep every one as the user edits, the command
// line refuses to write a record that breaks one it did not break before.
enum class DataEditRule {
  AddedFieldCount,        // more than MAX_ADDED_FIELDS added fields
  CustomFieldCount,       // more than MAX_CUSTOM_FIELDS custom fields
  CustomFieldLetter,      // the custom field at place k does not have the letter index k
  FormulaLength,          // a formula holds more than MAX_FORMULA_ITEMS entries
  SendCommandLength,      // the four formulas hold more than MAX_SEND_ITEMS entries together
  AddedFieldMissing,      // a formula names an added field past the last one
  CustomFieldMissing,     // the Custom formula names a field that no custom field is
  CatalogueFieldMissing,  // a formula names no field of its card kind's catalogue
  LengthLimitOrder,       // a length limit's min is above its max
};

// One rule broken, as a value that each front end words in its own way.
struct DataEditProblem {
  DataEditRule rule = DataEditRule::FormulaLength;
  // The card kind of the formula, or the track (0 to 2) of the length limit.
  int where = 0;
  // The entry of the formula, or the place of the custom field.
  int position = 0;
  // What is there (entries, fields, the field that a formula entry or custom field names,
  // a limit's min) and what the rule allows (the limit, the max).
  int found = 0;
  int allowed = 0;
  bool operator==(const DataEditProblem&) const = default;
};

// Every rule the record breaks, in the order of the settings: the custom fields, the
// formulas (each entry, then each formula's length), the four together, the length limits.
std::vector<DataEditProblem> DataEditProblems(const DataEditSettings& settings);
// The first place where the record breaks one rule; none when it keeps it. The editors ask
// this of the record as it would be after the user's step.
std::optional<DataEditProblem> FirstProblemOf(const DataEditSettings& settings, DataEditRule rule);

enum class AppendCheck {
  Ok,
  SendCommandFull,  // the four formulas together reached MAX_SEND_ITEMS
  FormulaFull,      // the working formula reached MAX_FORMULA_ITEMS
};

// Whether one more entry may go into the working formula of a card kind, by the length rules
// of DataEditProblems. The four stored formulas count as they are (the stored copy of the
// kind included, even when the working copy was cleared), and again with the working
// formula in place of the stored one.
AppendCheck CheckAppend(const DataEditSettings& settings, int kind, const ByteString& working);
// The text of a refusal of CheckAppend, with its number; empty for Ok.
std::string AppendRefusalText(AppendCheck check);

// An added field is in use when a stored formula, or the formula being edited, refers to
// it or to a later one: deleting it would move every later field up one letter.
bool AddedFieldInUse(const DataEditSettings& settings, const ByteString* callingFormula,
                     int position);
// A custom field is in use when the Custom formula (stored or being edited) refers to a
// card-track field of its letter or a later one.
bool CustomFieldInUse(const DataEditSettings& settings, const ByteString& callingFormula,
                      int letterIndex);
// After a deletion, each custom field takes the letter of its position; tracks stay.
void RenumberCustomFields(ByteStringList& fields);

// [0xF0, T*32, Min, Max] and [0xF1, T*32, Offset, len, string] for track 1 to 3; the string
// holds 1 to MAX_FIELD_STRING_BYTES bytes.
ByteString LengthLimitRecord(int track, Byte minimum, Byte maximum);
ByteString MatchStringRecord(int track, Byte offset, const ByteString& text);

// What the custom field editor gathered for one new field: the texts of the rule's edits.
struct CustomFieldInput {
  CustomFieldRule rule = CustomFieldRule::Before;
  int track = 1;  // 1 to 3
  std::string times1, string1, times2, string2, offset, length;
};

// Why a custom field could not be built; Ok when it was.
enum class CustomFieldCheck { Ok, EmptyInput, NumberTooLarge, StringTooLong };

// Builds the record of a new custom field with letter index: every edit the rule uses must
// hold text, every number fit one byte, every string MAX_FIELD_STRING_BYTES bytes.
CustomFieldCheck BuildCustomField(const CustomFieldInput& input, int letterIndex,
                                  ByteString* record);

// A typed decimal number when it fits one byte; nullopt for a larger one. Text that does
// not read as a number counts as 0.
std::optional<Byte> RecordNumber(const std::string& digits);

}  // namespace tessaron
