#include "core/setting_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "core/data_edit_model.h"
#include "core/data_edit_rules.h"
#include "core/escape_names.h"
#include "core/near_misses.h"
#include "core/settings_codec.h"
#include "core/settings_table.h"
#include "core/settings_transactions.h"

namespace tessaron {

namespace {

using R = ReaderSettings;

constexpr const char* FORMULA_NAMES[CARD_KIND_COUNT] = {"formula-credit-card", "formula-dmv",
                                                        "formula-aamva", "formula-custom"};
constexpr int SENTINEL_CELLS = SENTINEL_ROWS * SENTINEL_TRACKS;

// Made once, in place: its settings point into its own sentinel controls.
struct NameTable {
  NameTable();
  NameTable(const NameTable&) = delete;
  NameTable& operator=(const NameTable&) = delete;

  std::vector<NamedSetting> settings;
  std::array<PageControl, SENTINEL_CELLS> sentinels{};
};

// The FuncID of the block record of this kind.
Byte BlockFuncId(RecordKind kind) {
  for (const SettingsRecordInfo& record : SettingsRecords()) {
    if (record.kind == kind) return record.funcId;
  }
  return 0;
}

void AddControl(NameTable& table, const PageControl& control, std::string name) {
  table.settings.push_back(
      NamedSetting{.name = std::move(name), .funcId = control.funcId, .control = &control});
}

void AddPage(NameTable& table, const PageTable& page) {
  for (const PageControl& control : page.controls) AddControl(table, control, control.name);
}

void AddDataEdit(NameTable& table, SettingKind kind, RecordKind record, std::string name,
                 int index = 0) {
  table.settings.push_back(NamedSetting{
      .name = std::move(name), .kind = kind, .funcId = BlockFuncId(record), .index = index});
}

// The bits of a bit byte that none of the controls over it switch; they travel as they are.
void AddOtherBits(NameTable& table, std::string name, Byte ReaderSettings::*member) {
  const Byte funcId = ControlOf(member, 0x01)->funcId;
  Byte switched = 0;
  for (const NamedSetting& setting : table.settings) {
    if (setting.control != nullptr && setting.funcId == funcId) switched |= setting.control->mask;
  }
  table.settings.push_back(NamedSetting{.name = std::move(name),
                                        .kind = SettingKind::ReservedBits,
                                        .funcId = funcId,
                                        .mask = static_cast<Byte>(~switched)});
}

// In the order of the sheets' tabs: the basic sheet, the advanced sheet, then what no page
// shows.
NameTable::NameTable() {
  NameTable& table = *this;
  AddPage(table, GeneralSettingsTable());
  for (int track = 0, cell = 0; track < SENTINEL_TRACKS; ++track) {
    for (int row = 0; row < SENTINEL_ROWS; ++row, ++cell) {
      const SettingsRecordInfo* record = SentinelRecord(row, track);
      if (record == nullptr) continue;
      table.sentinels[cell] = PageControl{.kind = ControlKind::Character,
                                          .caption = SENTINEL_ROW_CAPTIONS[row],
                                          .funcId = record->funcId,
                                          .limit = 1};
      AddControl(table, table.sentinels[cell],
                 "track" + std::to_string(track + 1) + "-" + SENTINEL_ROW_NAMES[row]);
    }
  }
  AddPage(table, PrePostambleTable());
  AddPage(table, Rs232ParametersTable());
  AddPage(table, TrackSettingsTable());
  AddPage(table, KeyboardSettingsTable());
  AddPage(table, OutputFormatTable());
  AddPage(table, DataEditingTable());
  for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
    AddDataEdit(table, SettingKind::Formula, RecordKind::Formulas, FORMULA_NAMES[kind], kind);
  }
  AddDataEdit(table, SettingKind::AddedFields, RecordKind::AddedFields, "added-fields");
  for (int track = 0; track < TRACK_COUNT; ++track) {
    const std::string suffix = "-track" + std::to_string(track + 1);
    AddDataEdit(table, SettingKind::LengthLimit, RecordKind::FieldRules, "length-limit" + suffix,
                track);
  }
  for (int track = 0; track < TRACK_COUNT; ++track) {
    const std::string suffix = "-track" + std::to_string(track + 1);
    AddDataEdit(table, SettingKind::MatchString, RecordKind::FieldRules, "match-string" + suffix,
                track);
  }
  AddDataEdit(table, SettingKind::CustomFields, RecordKind::FieldRules, "custom-fields");
  AddPage(table, UnshownTable());
  AddOtherBits(table, "send-out-format-other-bits", &R::sendOutFormat);
  AddOtherBits(table, "format-options-other-bits", &R::formatOptions);
}

const NameTable& Table() {
  static const NameTable table;
  return table;
}

}  // namespace

std::span<const NamedSetting> NamedSettings() { return Table().settings; }

const NamedSetting* FindNamedSetting(std::string_view name) {
  for (const NamedSetting& setting : NamedSettings()) {
    if (setting.name == name) return &setting;
  }
  return nullptr;
}

std::vector<std::string> NamesLike(std::string_view text) {
  std::vector<std::string> names;
  for (const NamedSetting& setting : NamedSettings()) names.push_back(setting.name);
  return NearMisses(text, names);
}

}  // namespace tessaron
