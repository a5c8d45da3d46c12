#include "core/data_edit_rules.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tessaron {

namespace {

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

std::vector<DataEditProblem> DataEditProblems(const DataEditSettings& settings) {
  std::vector<DataEditProblem> problems;
  const ByteStringList& custom = settings.customFields;
  const int customCount = static_cast<int>(custom.size());
  if (customCount > MAX_CUSTOM_FIELDS) {
    problems.push_back({DataEditRule::CustomFieldCount, 0, 0, customCount, MAX_CUSTOM_FIELDS});
  }
  for (int k = 0; k < customCount; ++k) {
    const ByteString& field = custom[static_cast<std::size_t>(k)];
    if (field.size() < 2 || FieldIndex(field[1]) == k) continue;
    problems.push_back({DataEditRule::CustomFieldLetter, CARD_KIND_CUSTOM, k, field[1], k});
  }
  const int addedCount = static_cast<int>(settings.addedFields.size());
  if (addedCount > MAX_ADDED_FIELDS) {
    problems.push_back({DataEditRule::AddedFieldCount, 0, 0, addedCount, MAX_ADDED_FIELDS});
  }
  int entries = 0;
  for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
    const ByteString& formula = settings.formulas[static_cast<std::size_t>(kind)];
    const int length = static_cast<int>(formula.size());
    entries += length;
    if (length > MAX_FORMULA_ITEMS) {
      problems.push_back({DataEditRule::FormulaLength, kind, 0, length, MAX_FORMULA_ITEMS});
    }
    for (int i = 0; i < length; ++i) {
      const Byte ref = formula[static_cast<std::size_t>(i)];
      const int track = FieldTrack(ref);
      const int index = FieldIndex(ref);
      if (track == 0) {
        if (index >= addedCount) {
          problems.push_back({DataEditRule::AddedFieldMissing, kind, i, ref, addedCount});
        }
      } else if (kind == CARD_KIND_CUSTOM) {
        const bool named = std::any_of(custom.begin(), custom.end(), [ref](const ByteString& f) {
          return f.size() >= 2 && f[1] == ref;
        });
        if (!named) problems.push_back({DataEditRule::CustomFieldMissing, kind, i, ref, 0});
      } else if (track > TRACK_COUNT ||
                 static_cast<std::size_t>(index) >= FieldCatalogue(kind, track).size()) {
        problems.push_back({DataEditRule::CatalogueFieldMissing, kind, i, ref, 0});
      }
    }
  }
  if (entries > MAX_SEND_ITEMS) {
    problems.push_back({DataEditRule::SendCommandLength, 0, 0, entries, MAX_SEND_ITEMS});
  }
  for (int track = 0; track < TRACK_COUNT; ++track) {
    const ByteString& slot = settings.lengthLimits[static_cast<std::size_t>(track)];
    if (slot.size() == 4 && slot[0] == TAG_LENGTH_LIMIT && slot[2] > slot[3]) {
      problems.push_back({DataEditRule::LengthLimitOrder, track, 0, slot[2], slot[3]});
    }
  }
  return problems;
}

std::optional<DataEditProblem> FirstProblemOf(const DataEditSettings& settings, DataEditRule rule) {
  for (const DataEditProblem& problem : DataEditProblems(settings)) {
    if (problem.rule == rule) return problem;
  }
  return std::nullopt;
}

namespace {

// Whether the record with one more entry at the end of the kind's formula breaks the rule.
bool OneMoreBreaks(DataEditSettings settings, int kind, ByteString formula, DataEditRule rule) {
  formula.push_back(FieldRef(0, 0));
  settings.formulas[static_cast<std::size_t>(kind)] = std::move(formula);
  const std::vector<DataEditProblem> problems = DataEditProblems(settings);
  return std::any_of(problems.begin(), problems.end(), [&](const DataEditProblem& problem) {
    return problem.rule == rule && (rule != DataEditRule::FormulaLength || problem.where == kind);
  });
}

}  // namespace

AppendCheck CheckAppend(const DataEditSettings& settings, int kind, const ByteString& working) {
  if (kind < 0 || kind >= CARD_KIND_COUNT) return AppendCheck::FormulaFull;
  const ByteString& stored = settings.formulas[static_cast<std::size_t>(kind)];
  if (OneMoreBreaks(settings, kind, stored, DataEditRule::SendCommandLength) ||
      OneMoreBreaks(settings, kind, working, DataEditRule::SendCommandLength)) {
    return AppendCheck::SendCommandFull;
  }
  if (OneMoreBreaks(settings, kind, working, DataEditRule::FormulaLength)) {
    return AppendCheck::FormulaFull;
  }
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
