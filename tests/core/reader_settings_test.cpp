#include "core/reader_settings.h"

#include <gtest/gtest.h>

#include "support/settings_streams.h"

namespace tessaron {
namespace {

// A record in its default state: every setting but the report's end sentinel travels in the
// stream, which is then the reader's factory stream.
void ExpectDefaults(const ReaderSettings& s) {
  EXPECT_EQ(test_support::StreamOf(s), test_support::DEFAULT_STREAM);
  EXPECT_EQ(s.endSentinel, '?');
}

// Moves every setting away from its default.
void Scramble(ReaderSettings& s) {
  for (const test_support::MemberChange& member : test_support::EveryMemberChange()) member.change(s);
  s.endSentinel ^= 0xA6;
}

TEST(ReaderSettings, NewRecordHoldsTheDefaults) {
  const ReaderSettings plain;
  EXPECT_EQ(plain.interfaceType, InterfaceType::Unknown);
  EXPECT_FALSE(plain.interfaceSwitchPending);
  ExpectDefaults(plain);

  const ReaderSettings forClone(InterfaceType::UsbHidKb);
  EXPECT_EQ(forClone.interfaceType, InterfaceType::UsbHidKb);
  EXPECT_FALSE(forClone.IsInterfaceSwitchPending());
  ExpectDefaults(forClone);
}

TEST(ReaderSettings, ResetToDefaultsRestoresAllButInterfaceState) {
  ReaderSettings s(InterfaceType::UsbHidKb);
  Scramble(s);
  s.interfaceSwitchPending = true;
  s.ResetToDefaults();
  ExpectDefaults(s);
  EXPECT_EQ(s.interfaceType, InterfaceType::UsbHidKb);
  EXPECT_TRUE(s.interfaceSwitchPending);
}

TEST(ReaderSettings, GroupResetsTouchOnlyTheirPage) {
  ReaderSettings s;
  Scramble(s);
  s.ResetGeneralDefaults();
  EXPECT_EQ(s.msrReading, '1');
  EXPECT_EQ(s.beepVolume, '2');
  EXPECT_NE(s.baudRate, '5');
  EXPECT_NE(s.track1StartSentinel7Bit, '%');

  s.ResetSentinelDefaults();
  EXPECT_EQ(s.track3StartSentinel6Bit, '!');
  EXPECT_EQ(s.endSentinel, '?');
  EXPECT_EQ(s.track2EndSentinel, '?');
  EXPECT_TRUE(s.preamble.empty());
  EXPECT_TRUE(s.track3Suffix.empty());
  EXPECT_NE(s.terminator, 0x0D);

  s.ResetFormatDefaults();
  EXPECT_EQ(s.formatOptions, 0x59);
  EXPECT_EQ(s.hidFormat, '0');
  EXPECT_NE(s.option25, 0x40);
  EXPECT_EQ(s.formulas[0], (ByteString{0x21}));

  s.ResetTrackDefaults();
  EXPECT_EQ(s.terminator, 0x0D);
  EXPECT_EQ(s.trackSeparator, 0x0D);
  EXPECT_EQ(s.sendOutFormat, 0x31);
  EXPECT_NE(s.xonChar, 0x11);

  s.ResetDataEdit();
  EXPECT_EQ(s.dataEditMode, '0');
  EXPECT_TRUE(s.customFields.empty());
  EXPECT_TRUE(s.matchStrings[2].empty());
  EXPECT_NE(s.languageOption, '0');
}

TEST(ReaderSettings, SendOutFormatIsSharedBetweenPages) {
  ReaderSettings s;
  s.sendOutFormat = 0x3F;
  s.languageOption = '3';
  s.hidKbPollingInterval = 10;
  s.ResetKeyboardDefaults();
  EXPECT_EQ(s.sendOutFormat, 0x37);  // only the function-key bit goes
  EXPECT_EQ(s.languageOption, '0');
  EXPECT_EQ(s.hidKbPollingInterval, 1);

  s.sendOutFormat = 0x3F;
  s.baudRate = '9';
  s.ResetSerialDefaults();
  EXPECT_EQ(s.sendOutFormat, 0x31);
  EXPECT_EQ(s.baudRate, '5');
}

TEST(ReaderSettings, SelectHidFormatRaisesTheSwitch) {
  ReaderSettings s(InterfaceType::UsbHid);
  s.SelectHidFormat('8');
  EXPECT_EQ(s.hidFormat, '8');
  EXPECT_TRUE(s.IsInterfaceSwitchPending());
}

}  // namespace
}  // namespace tessaron
