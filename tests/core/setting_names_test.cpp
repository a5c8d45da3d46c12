// The named settings: every member of the record is reached by exactly one name, and every
// record the codec holds goes through a settings file in JSON and back to the same settings
// stream. (Their words against the report's: settings_table_test.)

#include "core/setting_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/data_edit_model.h"
#include "core/setting_checks.h"
#include "core/settings_json.h"
#include "core/settings_stream_walker.h"
#include "support/settings_streams.h"

namespace tessaron {
namespace {

using test_support::EveryMemberChange;
using test_support::StreamOf;

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

TEST(SettingNamesTest, EveryMemberIsReachedByExactlyOneName) {
  const ReaderSettings factory;
  ReaderSettings everything;
  for (const auto& member : EveryMemberChange()) {
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
    ASSERT_TRUE(SetSettingText(setting, text, one, &error, true)) << setting.name << ": " << error;
    ASSERT_TRUE(SetSettingText(setting, text, all, &error, true)) << setting.name << ": " << error;
    for (const auto& [funcId, bytes] : RecordsOf(StreamOf(one))) {
      EXPECT_EQ(bytes != factoryRecords.at(funcId), funcId == setting.funcId) << setting.name;
    }
  }
  EXPECT_EQ(StreamOf(all), StreamOf(everything));
  EXPECT_EQ(all.endSentinel, everything.track1EndSentinel);
}

TEST(SettingNamesTest, SettingsFilesGiveBackTheStreamOfEveryRecordInTheDecoderCorpus) {
  int records = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TESSARON_DECODE_CORPUS)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const ByteString bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ReaderSettings decoded;  // as far as the bytes decode: a record the decoder can make
    DecodeSettingsStatus(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &decoded);
    ByteString stream;
    if (!test_support::EncodeStream(decoded, &stream)) continue;
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

// A settings file larger than its limit is refused before it is read, and a string longer
// than a record holds does not fit, wherever it comes from.
TEST(SettingNamesTest, TextsAndStringsOverTheirLimitsAreRefused) {
  ReaderSettings settings;
  std::string error;
  EXPECT_FALSE(SettingsFromJson(SettingsToJson(settings) + std::string(SETTINGS_JSON_MAX_SIZE, ' '),
                                settings, &error));
  EXPECT_NE(error.find("larger than"), std::string::npos) << error;
  settings.preamble.assign(255, 'A');
  EXPECT_FALSE(CheckSettingsFit(settings, SETTINGS_BUFFER_SIZE, &error));
  EXPECT_NE(error.find("255 bytes; at most 254 fit"), std::string::npos) << error;
}

}  // namespace
}  // namespace tessaron
