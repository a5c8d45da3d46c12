// The named settings: every member of the record is reached by exactly one name, the words
// mean what the report's words mean, and every record the codec holds goes through a
// settings file in JSON and back to the same settings stream.

#include "core/setting_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>

#include "core/data_edit_model.h"
#include "core/settings_json.h"
#include "core/settings_table.h"
#include "core/settings_stream_walker.h"
#include "support/settings_streams.h"

namespace tessaron {
namespace {

using testing::StreamOf;

// The records of a stream, by FuncID.
std::map<Byte, ByteString> RecordsOf(const ByteString& stream) {
  std::map<Byte, ByteString> records;
  SettingsStreamWalker walker(stream.data(), stream.size(), 0);
  for (StreamStep step; walker.Next(step);) {
    if (step.kind != StreamStepKind::Record) continue;
    const auto start = stream.begin() + static_cast<long>(step.offset);
    records[step.funcId].assign(start, start + static_cast<long>(step.length));
  }
  return records;
}

struct MemberChange {
  std::string what;
  Byte funcId;
  std::function<void(ReaderSettings&)> change;
};

// A change of every member of the record: each bit of every one-byte record, each string,
// each data-edit member (the last three records hold several each).
std::vector<MemberChange> EveryMemberChange() {
  std::vector<MemberChange> changes;
  for (const SettingsRecordInfo& record : SettingsRecords()) {
    for (int bit = 0; record.kind == RecordKind::OneByte && bit < 8; ++bit) {
      changes.push_back(
          {std::string(record.memberName) + " bit " + std::to_string(bit), record.funcId,
           [&record, bit](ReaderSettings& s) { *RecordByte(record, s) ^= 1 << bit; }});
    }
    if (record.kind == RecordKind::String) {
      changes.push_back({record.memberName, record.funcId, [&record](ReaderSettings& s) {
                           RecordString(record, s)->push_back('A');
                         }});
    }
  }
  for (std::size_t i = 0; i < CARD_KIND_COUNT; ++i) {
    changes.push_back({"formula", 0xFC, [i](ReaderSettings& s) { s.formulas[i] = {0x21}; }});
  }
  changes.push_back({"added fields", 0xFA, [](ReaderSettings& s) { s.addedFields = {{'A'}}; }});
  for (std::size_t t = 0; t < TRACK_COUNT; ++t) {
    const Byte track = static_cast<Byte>((t + 1) << 5);
    changes.push_back({"length limit", 0xFB, [t, track](ReaderSettings& s) {
                         s.lengthLimits[t] = {TAG_LENGTH_LIMIT, track, 1, 2};
                       }});
    changes.push_back({"match string", 0xFB, [t, track](ReaderSettings& s) {
                         s.matchStrings[t] = {TAG_MATCH_STRING, track, 0, 1, 'A'};
                       }});
  }
  changes.push_back({"custom fields", 0xFB, [](ReaderSettings& s) {
                       s.customFields = {{TAG_BEFORE, 0x21, 1, 1, 'A'}};
                     }});
  return changes;
}

TEST(SettingNamesTest, EveryMemberIsReachedByExactlyOneName) {
  const ReaderSettings factory;
  ReaderSettings everything;
  for (const MemberChange& member : EveryMemberChange()) {
    ReaderSettings changed;
    member.change(changed);
    const std::vector<SettingDifference> named = DiffSettings(factory, changed);
    ASSERT_EQ(named.size(), 1u) << member.what;
    EXPECT_EQ(named[0].setting->funcId, member.funcId) << member.what;
    member.change(everything);
  }
  // Each name, set to its value in that record, changes its own record alone; all names
  // together make the whole record.
  const std::map<Byte, ByteString> factoryRecords = RecordsOf(StreamOf(factory));
  ReaderSettings all;
  for (const NamedSetting& setting : NamedSettings()) {
    EXPECT_EQ(FindNamedSetting(setting.name), &setting);
    const std::string text = SettingText(setting, everything);
    ReaderSettings one;
    std::string error;
    ASSERT_TRUE(SetSettingText(setting, text, one, &error)) << setting.name << ": " << error;
    ASSERT_TRUE(SetSettingText(setting, text, all, &error)) << setting.name << ": " << error;
    for (const auto& [funcId, bytes] : RecordsOf(StreamOf(one))) {
      EXPECT_EQ(bytes != factoryRecords.at(funcId), funcId == setting.funcId) << setting.name;
    }
  }
  EXPECT_EQ(StreamOf(all), StreamOf(everything));
  EXPECT_EQ(all.endSentinel, everything.track1EndSentinel);
}

TEST(SettingNamesTest, WordsStandForTheValuesTheReportHasWordsFor) {
  for (const NamedSetting& setting : NamedSettings()) {
    if (setting.control == nullptr || (setting.control->kind != ControlKind::Choice &&
                                       setting.control->kind != ControlKind::Flag)) {
      continue;
    }
    std::set<Byte> worded;
    std::set<Byte> reported;
    for (int value = 0; value < 256; ++value) {
      ReaderSettings record;
      ControlByte(*setting.control, record) = static_cast<Byte>(value);
      if (!SettingText(setting, record).starts_with("0x")) worded.insert(static_cast<Byte>(value));
      if (*ReportWord(*setting.control, record) != 0) reported.insert(static_cast<Byte>(value));
    }
    EXPECT_EQ(worded, reported) << setting.name;
  }
}

TEST(SettingNamesTest, SettingsFilesGiveBackTheStreamOfEveryRecordInTheDecoderCorpus) {
  int records = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TESSARON_DECODE_CORPUS)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const ByteString bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ReaderSettings decoded;  // as far as the bytes decode: a record the decoder can make
    DecodeSettingsStatus(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &decoded);
    ByteString stream;
    if (!testing::EncodeStream(decoded, &stream)) continue;
    ++records;
    const std::string json = SettingsToJson(decoded);
    ReaderSettings imported;
    std::string error;
    ASSERT_TRUE(SettingsFromJson(json, imported, &error)) << entry.path() << ": " << error;
    EXPECT_EQ(StreamOf(imported), stream) << entry.path();
    EXPECT_EQ(SettingsToJson(imported), json) << entry.path();
    // A formula's field names are the report's notation, one entry at a time.
    const char* formulas[] = {"formula-credit-card", "formula-dmv", "formula-aamva",
                              "formula-custom"};
    for (int kind = 0; kind < CARD_KIND_COUNT; ++kind) {
      std::string text = SettingText(*FindNamedSetting(formulas[kind]), decoded);
      if (text.find("0x") != std::string::npos) continue;
      std::erase(text, ' ');
      EXPECT_EQ(text, FormulaText(decoded.formulas[static_cast<std::size_t>(kind)], kind));
    }
  }
  EXPECT_GE(records, 50);
}

}  // namespace
}  // namespace tessaron
