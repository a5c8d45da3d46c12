#include "core/data_edit_rules.h"

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tessaron {

namespace {

std::size_t StoredItems(const DataEditSettings& settings) {
  std::size_t total = 0;
  for (const ByteString& formula : settings.formulas) total += formula.size();
  return total;
}

bool RefersFrom(const ByteString& formula, bool addedFields, int index) {
  for (Byte entry : formula) {
    if ((FieldTrack(entry) == 0) == addedFields && FieldIndex(entry) >= index) return true;
  }
  return false;
}

Byte TrackBits(int track) { return FieldRef(track, 0); }

// Byte by byte: inserting a range behind a short record draws a false bounds warning
// from GCC 12.
template <typename Text>
void AppendBytes(ByteString& record, const Text& text) {
  for (auto c : text) record.push_back(static_cast<Byte>(c));
}

void AppendString(ByteString& record, const std::string& text) {
  record.push_back(static_cast<Byte>(text.size()));
  AppendBytes(record, text);
}

}  // namespace

std::string LimitText(const char* text, int limit) {
  std::string result(text);
  const std::size_t at = result.find("%d");
  if (at != std::string::npos) result.replace(at, 2, std::to_string(limit));
  return result;
}

AppendCheck CheckAppend(const DataEditSettings& settings, int kind, const ByteString& working) {
  const std::size_t stored = StoredItems(settings);
  std::size_t withWorking = working.size();
  if (kind >= 0 && kind < CARD_KIND_COUNT) {
    withWorking += stored - settings.formulas[static_cast<std::size_t>(kind)].size();
  }
  if (stored >= MAX_SEND_ITEMS || withWorking >= MAX_SEND_ITEMS) return AppendCheck::SendCommandFull;
  if (working.size() >= MAX_FORMULA_ITEMS) return AppendCheck::FormulaFull;
  return AppendCheck::Ok;
}

std::string AppendRefusalText(AppendCheck check) {
  switch (check) {
    case AppendCheck::SendCommandFull:
      return LimitText(SEND_ITEMS_LIMIT_TEXT, MAX_SEND_ITEMS);
    case AppendCheck::FormulaFull:
      return LimitText(FORMULA_ITEMS_LIMIT_TEXT, MAX_FORMULA_ITEMS);
    case AppendCheck::Ok:
      break;
  }
  return "";
}

bool AddedFieldInUse(const DataEditSettings& settings, const ByteString* callingFormula,
                     int position) {
  for (const ByteString& formula : settings.formulas) {
    if (RefersFrom(formula, true, position)) return true;
  }
  return callingFormula != nullptr && RefersFrom(*callingFormula, true, position);
}

bool CustomFieldInUse(const DataEditSettings& settings, const ByteString& callingFormula,
                      int letterIndex) {
  return RefersFrom(callingFormula, false, letterIndex) ||
         RefersFrom(settings.formulas[CARD_KIND_CUSTOM], false, letterIndex);
}

void RenumberCustomFields(ByteStringList& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].size() < 2) continue;
    fields[i][1] = static_cast<Byte>((fields[i][1] & 0x60) + i);
  }
}

ByteString LengthLimitRecord(int track, Byte minimum, Byte maximum) {
  return ByteString{TAG_LENGTH_LIMIT, TrackBits(track), minimum, maximum};
}

ByteString MatchStringRecord(int track, Byte offset, const ByteString& text) {
  ByteString record{TAG_MATCH_STRING, TrackBits(track), offset, static_cast<Byte>(text.size())};
  AppendBytes(record, text);
  return record;
}

std::optional<Byte> RecordNumber(const std::string& digits) {
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
    if (number > MAX_RECORD_NUMBER) return std::nullopt;
  }
  return static_cast<Byte>(number);
}

CustomFieldCheck BuildCustomField(const CustomFieldInput& input, int letterIndex,
                                  ByteString* record) {
  const bool twoStrings =
      input.rule == CustomFieldRule::Between || input.rule == CustomFieldRule::Among;
  const bool offsetAndLength =
      input.rule == CustomFieldRule::After || input.rule == CustomFieldRule::Among;

  std::vector<const std::string*> numbers{&input.times1};
  std::vector<const std::string*> strings{&input.string1};
  if (twoStrings) {
    numbers.push_back(&input.times2);
    strings.push_back(&input.string2);
  }
  if (offsetAndLength) {
    numbers.push_back(&input.offset);
    numbers.push_back(&input.length);
  }
  for (const std::vector<const std::string*>& texts : {numbers, strings}) {
    for (const std::string* text : texts) {
      if (text->empty()) return CustomFieldCheck::EmptyInput;
    }
  }
  for (const std::string* text : numbers) {
    if (!RecordNumber(*text)) return CustomFieldCheck::NumberTooLarge;
  }
  for (const std::string* text : strings) {
    if (text->size() > static_cast<std::size_t>(MAX_FIELD_STRING_BYTES)) {
      return CustomFieldCheck::StringTooLong;
    }
  }

  auto number = [](const std::string& text) { return *RecordNumber(text); };
  static constexpr Byte TAGS[CUSTOM_FIELD_RULE_COUNT] = {TAG_BEFORE, TAG_BETWEEN, TAG_AFTER,
                                                         TAG_AMONG};
  ByteString built{TAGS[static_cast<int>(input.rule)], FieldRef(input.track, letterIndex)};
  built.push_back(number(input.times1));
  if (input.rule == CustomFieldRule::After) {
    // After: times, offset, length, then the string.
    built.push_back(number(input.offset));
    built.push_back(number(input.length));
  }
  AppendString(built, input.string1);
  if (twoStrings) {
    built.push_back(number(input.times2));
    AppendString(built, input.string2);
  }
  if (input.rule == CustomFieldRule::Among) {
    built.push_back(number(input.offset));
    built.push_back(number(input.length));
  }
  *record = std::move(built);
  return CustomFieldCheck::Ok;
}

}  // namespace tessaron
