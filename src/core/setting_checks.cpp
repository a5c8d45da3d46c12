#include "core/setting_checks.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/data_edit_model.h"
#include "core/data_edit_rules.h"
#include "core/setting_values.h"
#include "core/settings_codec.h"
#include "core/settings_transactions.h"

namespace tessaron {

namespace {

// The bytes a setting of variable length takes in the record; 0 for a one-byte setting.
std::size_t RoomOf(const NamedSetting& setting, const ReaderSettings& settings) {
  const auto index = static_cast<std::size_t>(setting.index);
  const auto total = [](const ByteStringList& list) {
    std::size_t sum = 0;
    for (const ByteString& each : list) sum += each.size();
    return sum;
  };
  switch (setting.kind) {
    case SettingKind::Control:
      return setting.control->kind == ControlKind::Bytes
                 ? ControlString(*setting.control, settings).size()
                 : 0;
    case SettingKind::ReservedBits:
      return 0;
    case SettingKind::Formula:
      return settings.formulas[index].size();
    case SettingKind::AddedFields:
      return total(settings.addedFields);
    case SettingKind::LengthLimit:
      return settings.lengthLimits[index].size();
    case SettingKind::MatchString:
      return settings.matchStrings[index].size();
    case SettingKind::CustomFields:
      return total(settings.customFields);
  }
  return 0;
}

// The settings that take the most room, largest first: "preamble (254 bytes), postamble (254
// bytes)".
std::string LargestSettings(const ReaderSettings& settings) {
  constexpr std::size_t NAMED = 3;
  std::vector<std::pair<std::size_t, const NamedSetting*>> sizes;
  for (const NamedSetting& setting : NamedSettings()) {
    if (const std::size_t room = RoomOf(setting, settings); room > 0) sizes.push_back({room, &setting});
  }
  std::stable_sort(sizes.begin(), sizes.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::string text;
  for (std::size_t i = 0; i < sizes.size() && i < NAMED; ++i) {
    text += (i == 0 ? "" : ", ") + sizes[i].second->name + " (" + std::to_string(sizes[i].first) +
            " bytes)";
  }
  return text;
}

}  // namespace

bool CheckSettingsFit(const ReaderSettings& settings, std::uint64_t frameLimit,
                      std::string* error) {
  for (const SettingsRecordInfo& record : SettingsRecords()) {
    const std::uint64_t length = EncodedRecordLength(record, settings);
    std::string names;
    for (const NamedSetting& setting : NamedSettings()) {
      if (setting.funcId == record.funcId) names += (names.empty() ? "" : ", ") + setting.name;
    }
    if (record.kind == RecordKind::String && length - STRING_RECORD_OVERHEAD > MAX_STRING_BYTES) {
      *error = names + " holds " + std::to_string(length - STRING_RECORD_OVERHEAD) +
               " bytes; at most " +
               std::to_string(MAX_STRING_BYTES) + " fit";
      return false;
    }
    if (IsBlock(record.kind) && length - RECORD_HEAD > MAX_BLOCK_CONTENT) {
      *error = names + " take " + std::to_string(length - RECORD_HEAD) + " bytes together; at most " +
               std::to_string(MAX_BLOCK_CONTENT) + " fit";
      return false;
    }
  }
  const std::uint64_t frame = SettingsFrameLength(settings);
  if (frame > frameLimit) {
    *error = "the settings take " + std::to_string(frame) + " bytes in one frame; at most " +
             std::to_string(frameLimit) + " fit (the most room goes to " + LargestSettings(settings) +
             ")";
    return false;
  }
  return true;
}

namespace {

// The named setting of a card kind's formula.
const NamedSetting* FormulaSetting(int kind) {
  for (const NamedSetting& setting : NamedSettings()) {
    if (setting.kind == SettingKind::Formula && setting.index == kind) return &setting;
  }
  return nullptr;
}

// A problem in the command line's words, with the setting it is in.
SettingProblem Worded(const DataEditProblem& problem, const ReaderSettings& settings) {
  const std::string found = std::to_string(problem.found);
  const std::string allowed = std::to_string(problem.allowed);
  const std::string entry = "/" + std::to_string(problem.position) + ": ";
  const Byte ref = static_cast<Byte>(problem.found);
  switch (problem.rule) {
    case DataEditRule::AddedFieldCount:
      return {FindNamedSetting("added-fields"),
              "at most " + allowed + " added fields, not " + found};
    case DataEditRule::CustomFieldCount:
      return {FindNamedSetting("custom-fields"),
              "at most " + allowed + " custom fields, not " + found};
    case DataEditRule::CustomFieldLetter: {
      const char letter = static_cast<char>('a' + problem.position);
      return {FindNamedSetting("custom-fields"),
              "/" + std::to_string(problem.position) + "/field: " +
                  FieldRefText(ref, CARD_KIND_CUSTOM) + " where custom field " +
                  std::to_string(problem.position + 1) + " takes the letter " + letter + " (1" +
                  letter + ", 2" + letter + " or 3" + letter +
                  "): each field has the letter of its place"};
    }
    case DataEditRule::FormulaLength:
      return {FormulaSetting(problem.where), "at most " + allowed + " entries, not " + found};
    case DataEditRule::SendCommandLength:
      return {FormulaSetting(0), "the four formulas hold " + found +
                                     " entries together; at most " + allowed};
    case DataEditRule::AddedFieldMissing:
      return {FormulaSetting(problem.where), entry + FieldRefText(ref, problem.where) +
                                                 " names no added field (there are " +
                                                 std::to_string(settings.addedFields.size()) +
                                                 ")"};
    case DataEditRule::CustomFieldMissing:
      return {FormulaSetting(problem.where),
              entry + FieldRefText(ref, problem.where) + " names no custom field"};
    case DataEditRule::CatalogueFieldMissing:
      return {FormulaSetting(problem.where), entry + FieldRefText(ref, problem.where) +
                                                 " names no field of the " +
                                                 CardKindReportName(problem.where) + " catalogue"};
    case DataEditRule::LengthLimitOrder:
      return {FindNamedSetting(("length-limit-track" + std::to_string(problem.where + 1)).c_str()),
              "min " + found + " is above max " + allowed};
  }
  return {nullptr, std::string()};
}

}  // namespace

std::vector<SettingProblem> SettingRuleProblems(const ReaderSettings& settings) {
  std::vector<SettingProblem> problems;
  for (const DataEditProblem& problem : DataEditProblems(settings)) {
    problems.push_back(Worded(problem, settings));
  }
  return problems;
}

bool CheckWritable(const ReaderSettings& before, const ReaderSettings& after,
                   std::uint64_t frameLimit, std::string* error) {
  return CheckSettingsFit(after, frameLimit, error) && CheckRulesKept(before, after, error);
}

bool CheckRulesKept(const ReaderSettings& before, const ReaderSettings& after,
                    std::string* error) {
  const std::vector<SettingProblem> held = SettingRuleProblems(before);
  for (const SettingProblem& problem : SettingRuleProblems(after)) {
    if (std::find(held.begin(), held.end(), problem) != held.end()) continue;
    *error = problem.setting->name + (problem.message.starts_with("/") ? "" : ": ") +
             problem.message;
    return false;
  }
  return true;
}

}  // namespace tessaron
