// Invariants of the one settings table: every control reaches a record of its kind, its values,
// words and bits are unique, each stored byte gives a report word and a command-line word
// exactly when an option stands for it, and each bit of a bit byte has its control in order.

#include "core/settings_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "core/setting_names.h"

namespace tessaron {
namespace {

using R = ReaderSettings;

// The report's word for a member holding value (for one of its bits: mask).
std::string WordOf(Byte R::*member, Byte value, Byte mask = 0) {
  R settings;
  settings.*member = value;
  return ReportWord(*ControlOf(member, mask), settings);
}

TEST(SettingsTableTest, AnyByteIsSafeAndOnlyListedValuesHaveWords) {
  std::set<std::pair<Byte, Byte>> bits;
  for (const PageTable* table :
       {&GeneralSettingsTable(), &PrePostambleTable(), &Rs232ParametersTable(),
        &TrackSettingsTable(), &KeyboardSettingsTable(), &OutputFormatTable(),
        &DataEditingTable(), &UnshownTable()}) {
    for (const PageControl& control : table->controls) {
      const bool bit = control.kind == ControlKind::BitChoice || control.kind == ControlKind::BitCheck;
      EXPECT_TRUE(!bit || bits.insert({control.funcId, control.mask}).second) << control.name;
      const SettingsRecordInfo* record = FindSettingsRecord(control.funcId);
      ASSERT_NE(record, nullptr) << control.name;
      EXPECT_EQ(record->kind == RecordKind::String, control.kind == ControlKind::Bytes);
      std::set<int> listed;
      std::set<std::string> words;
      for (const ControlOption& option : control.options) {
        EXPECT_TRUE(listed.insert(option.value).second) << control.name;
        EXPECT_TRUE(words.insert(option.word).second) << control.name << " " << option.word;
      }
      for (int value = 0; value < 256 && !listed.empty(); ++value) {
        R settings;
        *RecordByte(*record, settings) = static_cast<Byte>(value);
        const int state = bit ? (value & control.mask) != 0 : value;
        EXPECT_EQ(listed.count(state) == 1, *ReportWord(control, settings) != 0) << control.name;
        EXPECT_EQ(listed.count(state) == 1,
                  !SettingText(*FindNamedSetting(control.name), settings).starts_with("0x"));
      }
    }
  }
}

// The choices list their values contiguously in button order.
TEST(SettingsTableTest, ContiguousChoicesRunInButtonOrder) {
  const std::tuple<Byte R::*, char, std::size_t> cases[] = {
      {&R::beepVolume, '0', 5},      {&R::interCharDelay, '0', 6}, {&R::trackSelect, '0', 10},
      {&R::dataFormat, '0', 3},      {&R::msrReading, '0', 2},     {&R::decodingMethod, '0', 4},
      {&R::languageOption, '0', 11}, {&R::baudRate, '3', 5},       {&R::dataBits, '0', 2},
      {&R::parity, '0', 5},          {&R::handshake, '0', 2},      {&R::stopBits, '0', 2},
  };
  for (const auto& [member, first, count] : cases) {
    const auto options = ControlOf(member)->options;
    ASSERT_EQ(options.size(), count);
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(options[i].value, first + i);
  }
}

// Values the pages and the report treat specially, and the captions that differ from the
// report's words.
TEST(SettingsTableTest, GapsOddValuesAndPageCaptions) {
  for (char value : {'1', '2', '3', '7'}) EXPECT_EQ(WordOf(&R::terminalType, value), "");
  EXPECT_EQ(WordOf(&R::terminalType, '4'), "NoteBook");
  EXPECT_EQ(WordOf(&R::languageOption, ':'), "Universal");
  EXPECT_STREQ(ControlOf(&R::msrReading)->options[1].caption, "MSR Reading Enabled");
  EXPECT_STREQ(ControlOf(&R::decodingMethod)->options[0].caption, "Raw Data");
  EXPECT_STREQ(ControlOf(&R::hidFormat)->options[1].caption, "MagTek USB HID Data Format");
  EXPECT_STREQ(ControlOf(&R::hidFormat)->options[2].caption, "Kaldor USB HID Keyboard ");
  EXPECT_EQ(WordOf(&R::parity, '3'), ControlOf(&R::parity)->options[3].caption);
  EXPECT_EQ(WordOf(&R::hidFormat, '0'), "Kaldor USB HID Data Format");
  EXPECT_EQ(WordOf(&R::hidFormat, '8'), "Kaldor USB HID KB Data Format");
  EXPECT_EQ(WordOf(&R::hidFormat, '2'), "");
}

// Each bit of the two bit bytes up to the last one switched has its control, and its word
// follows that bit alone, so that the report's "bits 1 to 6" and the page's option pairs line
// up with the stored byte.
TEST(SettingsTableTest, BitControlsAreSingleBitsInOrder) {
  for (const auto& [member, bits] : {std::pair{&R::formatOptions, 7}, {&R::sendOutFormat, 4}}) {
    for (int bit = 0; bit < 8; ++bit) {
      const auto mask = static_cast<Byte>(1 << bit);
      ASSERT_EQ(ControlOf(member, mask) != nullptr, bit < bits) << bit;
      if (bit >= bits) continue;
      EXPECT_EQ(WordOf(member, mask, mask), WordOf(member, 0xFF, mask));
      EXPECT_EQ(WordOf(member, static_cast<Byte>(~mask), mask), WordOf(member, 0x00, mask));
      EXPECT_NE(WordOf(member, mask, mask), WordOf(member, 0x00, mask));
    }
  }
  EXPECT_STREQ(ControlOf(&R::sendOutFormat, 0x08)->options[1].caption, "Alt Key Output");
}

// Which settings a reader of each line takes, and the USB HID formats by its firmware.
TEST(SettingsTableTest, SettingsApplyByLineAndFirmware) {
  using I = InterfaceType;
  struct Case {
    const char* name;
    const char* word;  // an option of it, or nullptr for the setting itself
    I line;
    double firmware;
    bool applies;
  };
  const Case cases[] = {
      {"terminal-type", nullptr, I::Ps2Keyboard, 0, true},
      {"terminal-type", nullptr, I::UsbHid, 0, false},
      {"inter-char-delay", nullptr, I::Unknown, 0, true},
      {"baud-rate", nullptr, I::Rs232, 0, true},
      {"baud-rate", nullptr, I::UsbRs232, 0, false},
      {"xoff-char", nullptr, I::Unknown, 0, true},
      {"language", nullptr, I::UsbHidKb, 0, true},
      {"hid-kb-polling-interval", nullptr, I::Unknown, 0, false},
      {"beep-volume", nullptr, I::Ps2Keyboard, 0, true},
      {"hid-format", nullptr, I::Rs232, 0, false},
      {"hid-format", "kaldor-keyboard", I::UsbHidKb, 0, true},
      {"hid-format", "kaldor-data", I::UsbHidKb, 1.88, false},
      {"hid-format", "magtek-data", I::UsbHidKb, 1.89, true},
      {"hid-format", "kaldor-keyboard", I::UsbHid, 1.88, false},
      {"hid-format", "kaldor-keyboard", I::UsbHid, 2.0, true},
      {"hid-format", "kaldor-data", I::Unknown, 0, true},
      {"data-format", "kaldor", I::UsbHid, 0, true},
      {"data-format", "uic-rs232", I::Rs232, 0, true},
      {"data-format", "magtek-rs232", I::Unknown, 0, false},
      {"magtek-stx", nullptr, I::UsbRs232, 0, false},
      {"uic-lrc", nullptr, I::Rs232, 0, true},
  };
  for (const Case& c : cases) {
    const PageControl& control = *FindNamedSetting(c.name)->control;
    bool applies = AppliesOn(control, c.line);
    for (const ControlOption& option : control.options) {
      if (c.word != nullptr && std::string(option.word) == c.word) {
        applies = OptionAppliesOn(control, option, c.line, c.firmware);
      }
    }
    EXPECT_EQ(applies, c.applies) << c.name << " " << (c.word ? c.word : "") << " on "
                                  << InterfaceLineName(c.line) << " at " << c.firmware;
  }
}

}  // namespace
}  // namespace tessaron
