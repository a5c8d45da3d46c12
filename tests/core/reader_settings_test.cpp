#include "core/reader_settings.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct ByteDefault {
  const char* name;
  Byte ReaderSettings::*member;
  Byte value;
};

// Every single-byte setting with the value a new record and ResetToDefaults give it.
const ByteDefault BYTE_DEFAULTS[] = {
    {"terminalType", &ReaderSettings::terminalType, '0'},
    {"beepVolume", &ReaderSettings::beepVolume, '2'},
    {"interCharDelay", &ReaderSettings::interCharDelay, '0'},
    {"handshake", &ReaderSettings::handshake, '0'},
    {"stopBits", &ReaderSettings::stopBits, '0'},
    {"baudRate", &ReaderSettings::baudRate, '5'},
    {"dataBits", &ReaderSettings::dataBits, '0'},
    {"parity", &ReaderSettings::parity, '0'},
    {"xonChar", &ReaderSettings::xonChar, 0x11},
    {"xoffChar", &ReaderSettings::xoffChar, 0x13},
    {"trackSelect", &ReaderSettings::trackSelect, '0'},
    {"trackSeparator", &ReaderSettings::trackSeparator, 0x0D},
    {"dataFormat", &ReaderSettings::dataFormat, '0'},
    {"formatOptions", &ReaderSettings::formatOptions, 0x59},
    {"terminator", &ReaderSettings::terminator, 0x0D},
    {"sendOutFormat", &ReaderSettings::sendOutFormat, 0x31},
    {"msrReading", &ReaderSettings::msrReading, '1'},
    {"decodingMethod", &ReaderSettings::decodingMethod, '1'},
    {"lrcOption", &ReaderSettings::lrcOption, '0'},
    {"hidFormat", &ReaderSettings::hidFormat, '0'},
    {"track1StartSentinel7Bit", &ReaderSettings::track1StartSentinel7Bit, '%'},
    {"track1StartSentinel6Bit", &ReaderSettings::track1StartSentinel6Bit, '%'},
    {"track1StartSentinel5Bit", &ReaderSettings::track1StartSentinel5Bit, ';'},
    {"track2StartSentinel7Bit", &ReaderSettings::track2StartSentinel7Bit, '%'},
    {"track2StartSentinel5Bit", &ReaderSettings::track2StartSentinel5Bit, ';'},
    {"track3StartSentinel7Bit", &ReaderSettings::track3StartSentinel7Bit, '%'},
    {"track3StartSentinel6Bit", &ReaderSettings::track3StartSentinel6Bit, '!'},
    {"track3StartSentinel5Bit", &ReaderSettings::track3StartSentinel5Bit, ';'},
    {"endSentinel", &ReaderSettings::endSentinel, '?'},
    {"hidKbPollingInterval", &ReaderSettings::hidKbPollingInterval, 1},
    {"languageOption", &ReaderSettings::languageOption, '0'},
    {"option25", &ReaderSettings::option25, 0x40},
    {"track1EndSentinel", &ReaderSettings::track1EndSentinel, '?'},
    {"track2EndSentinel", &ReaderSettings::track2EndSentinel, '?'},
    {"track3EndSentinel", &ReaderSettings::track3EndSentinel, '?'},
    {"dataEditMode", &ReaderSettings::dataEditMode, '0'},
};

ByteString ReaderSettings::*const STRINGS[] = {
    &ReaderSettings::preamble,     &ReaderSettings::postamble,    &ReaderSettings::track1Prefix,
    &ReaderSettings::track2Prefix, &ReaderSettings::track3Prefix, &ReaderSettings::track1Suffix,
    &ReaderSettings::track2Suffix, &ReaderSettings::track3Suffix,
};

void ExpectDefaults(const ReaderSettings& s) {
  for (const auto& d : BYTE_DEFAULTS) {
    EXPECT_EQ(s.*d.member, d.value) << d.name;
  }
  for (auto member : STRINGS) EXPECT_TRUE((s.*member).empty());
  EXPECT_TRUE(s.addedFields.empty());
  EXPECT_TRUE(s.customFields.empty());
  for (const auto& slot : s.lengthLimits) EXPECT_TRUE(slot.empty());
  for (const auto& slot : s.matchStrings) EXPECT_TRUE(slot.empty());
  for (const auto& formula : s.formulas) EXPECT_TRUE(formula.empty());
}

// Moves every setting away from its default.
void Scramble(ReaderSettings& s) {
  for (const auto& d : BYTE_DEFAULTS) s.*d.member = static_cast<Byte>(d.value ^ 0xA6);
  for (auto member : STRINGS) s.*member = ByteString{'x', 0x1B};
  s.addedFields.push_back({'A'});
  s.customFields.push_back({0xF2, 0x20, 1, 1, 'Q'});
  for (auto& slot : s.lengthLimits) slot = {0xF0, 0x20, 1, 9};
  for (auto& slot : s.matchStrings) slot = {0xF1, 0x20, 0, 1, 'B'};
  for (auto& formula : s.formulas) formula = {0x21};
}

TEST(ReaderSettings, NewRecordHoldsTheDefaults) {
  const ReaderSettings plain;
  EXPECT_EQ(plain.interfaceType, INTERFACE_UNKNOWN);
  EXPECT_FALSE(plain.interfaceSwitchPending);
  ExpectDefaults(plain);

  const ReaderSettings forClone(INTERFACE_USB_HID_KB);
  EXPECT_EQ(forClone.interfaceType, INTERFACE_USB_HID_KB);
  EXPECT_FALSE(forClone.IsInterfaceSwitchPending());
  ExpectDefaults(forClone);
}

TEST(ReaderSettings, ResetToDefaultsRestoresAllButInterfaceState) {
  ReaderSettings s(INTERFACE_USB_HID_KB);
  Scramble(s);
  s.interfaceSwitchPending = true;
  s.ResetToDefaults();
  ExpectDefaults(s);
  EXPECT_EQ(s.interfaceType, INTERFACE_USB_HID_KB);
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
  ReaderSettings s(INTERFACE_USB_HID);
  s.SelectHidFormat('8');
  EXPECT_EQ(s.hidFormat, '8');
  EXPECT_TRUE(s.IsInterfaceSwitchPending());
}

}  // namespace
}  // namespace tessaron
