#include "core/settings_report.h"
#include "support/readable_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/reader_settings.h"
#include "core/settings_table.h"
#include "core/version.h"

namespace tessaron {
namespace {

// Splits a report at CR LF. Fails the test on a lone CR or LF, which would mean a line
// end other than CR LF crept in.
std::vector<std::string> Lines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = report.find("\r\n", start);
    const std::string line = report.substr(start, end == std::string::npos ? end : end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line end in: " << line;
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> ReportLines(InterfaceType type, const std::string& firmware = "V1.90") {
  ReaderSettings settings(type);
  return Lines(BuildSettingsReport(settings, firmware));
}

const std::vector<std::string> HEADING = {
    "=============Check Current Tessaron Settings===============",
    "Software version: Tessaron Configuration Utility Version " TESSARON_VERSION_TEXT,
};

// The lines every interface shows, split where interface lines may be inserted.
const std::vector<std::string> TRACK_LINES = {
    "Track Select: Any Track",
    "Track Separator: \\cr",
    "Data Format: Kaldor Format",
};
const std::vector<std::string> TAIL_LINES = {
    "Terminator: \\cr",
    "Send Out Format: ",
    "\tSend Start/End Sentinel",
    "\tSend All Data For Track2",
    "\tNot Send Error Indication",
    "\tNot Send LRC",
    "Enable/Disable MSR: Enabled",
    "Format & Direction: Decoding In Two Swiping Direction",
    "Track 1 7 bit encoding Start Sentinel: %",
    "Track 1 6 bit encoding Start Sentinel: %",
    "Track 1 5 bit encoding Start Sentinel: ;",
    "Track 2 7 bit encoding Start Sentinel: %",
    "Track 2 5 bit encoding Start Sentinel: ;",
    "Track 3 7 bit encoding Start Sentinel: %",
    "Track 3 6 bit encoding Start Sentinel: !",
    "Track 3 5 bit encoding Start Sentinel: ;",
    "End Sentinel: ?",
    "Preamble:",
    "Postamble:",
    "Data Edit-CreditCard:",
    "Data Edit-CDL:",
    "Data Edit-AAMVA:",
    "Data Edit-Customized:",
    "",
};

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::string> Ending(const std::string& interfaceName) {
  return {"INTERFACE_TYPE: " + interfaceName, "Firmware Version: V1.90"};
}

TEST(SettingsReportVariantsTest, UsbHidDefaults) {
  const auto expected = Join({HEADING, {"Beep Volume: HIGH"}, TRACK_LINES,
                              {"USB HID Format: Kaldor USB HID Data Format"}, TAIL_LINES,
                              Ending("USB-HID")});
  EXPECT_EQ(ReportLines(InterfaceType::UsbHid), expected);
}

TEST(SettingsReportVariantsTest, UsbHidKeyboardShowsTheHidFormatToo) {
  const auto expected = Join({HEADING, {"Beep Volume: HIGH"}, TRACK_LINES,
                              {"USB HID Format: Kaldor USB HID Data Format"}, TAIL_LINES,
                              Ending("USB-HID-KB")});
  EXPECT_EQ(ReportLines(InterfaceType::UsbHidKb), expected);
}

TEST(SettingsReportVariantsTest, Rs232AddsSerialUicAndMagTekLines) {
  const auto expected = Join({HEADING,
                              {"Beep Volume: HIGH", "HandShake: X-On/X-Off", "Stop Bit: 1 Bit",
                               "Baud Rate: 9600", "Data Bit: 8 Bits", "Parity: None",
                               "XOn Character: \\dc1", "XOff Character: \\dc3"},
                              TRACK_LINES,
                              {"UIC LRC Option: Do Not Send LRC", "MagTek Options: ",
                               "\tUnbuffered mode", "\tI/R command", "\tNot send STX",
                               "\tNot send ESC", "\tSend CR", "\tNot send ETX"},
                              TAIL_LINES, Ending("RS232")});
  EXPECT_EQ(ReportLines(InterfaceType::Rs232), expected);
}

TEST(SettingsReportVariantsTest, Ps2KeyboardAddsTerminalTypeAndDelay) {
  const auto expected =
      Join({HEADING,
            {"Terminal Type: IBM PC/AT", "Beep Volume: HIGH", "Inter Character Delay: 2 ms"},
            TRACK_LINES, TAIL_LINES, Ending("PS/2 Keyboard")});
  EXPECT_EQ(ReportLines(InterfaceType::Ps2Keyboard), expected);
}

TEST(SettingsReportVariantsTest, UsbRs232AndUnknownShowNoInterfaceLines) {
  EXPECT_EQ(ReportLines(InterfaceType::UsbRs232),
            Join({HEADING, {"Beep Volume: HIGH"}, TRACK_LINES, TAIL_LINES, Ending("USB-RS232")}));
  EXPECT_EQ(ReportLines(InterfaceType::Unknown),
            Join({HEADING, {"Beep Volume: HIGH"}, TRACK_LINES, TAIL_LINES, Ending("Unknown")}));
}

TEST(SettingsReportVariantsTest, OutOfRangeInterfaceIsReportedAsUnknown) {
  const auto expected =
      Join({HEADING, {"Beep Volume: HIGH"}, TRACK_LINES, TAIL_LINES, Ending("Unknown")});
  EXPECT_EQ(ReportLines(static_cast<InterfaceType>(6)), expected);
  EXPECT_EQ(ReportLines(static_cast<InterfaceType>(-1)), expected);
  EXPECT_EQ(ReportLines(static_cast<InterfaceType>(INT32_MAX)), expected);
}

TEST(SettingsReportTextTest, EndsWithTheFirmwareTextAndNoLineEnd) {
  ReaderSettings settings(InterfaceType::UsbHid);
  const std::string report = BuildSettingsReport(settings, "V1.90");
  const std::string last = "\r\n\r\nINTERFACE_TYPE: USB-HID\r\nFirmware Version: V1.90";
  ASSERT_GE(report.size(), last.size());
  EXPECT_EQ(report.substr(report.size() - last.size()), last);

  EXPECT_EQ(Lines(BuildSettingsReport(settings, "")).back(), "Firmware Version: ");
}

TEST(SettingsReportTextTest, PreambleAndPostambleByEscapeName) {
  ReaderSettings settings(InterfaceType::UsbHid);
  settings.preamble = {0x02, 0x41};
  settings.postamble = {0x0D, 0x0A, 0x80, 0xD1};
  const auto lines = Lines(BuildSettingsReport(settings, "V1.90"));
  auto preamble = std::find(lines.begin(), lines.end(), "Preamble:\\stxA");
  ASSERT_NE(preamble, lines.end());
  ASSERT_NE(preamble + 1, lines.end());
  EXPECT_EQ(*(preamble + 1), std::string("Postamble:\\cr\\lf\x80\\cr_lf"));
}

TEST(SettingsReportTextTest, SingleCharactersByEscapeName) {
  ReaderSettings settings(InterfaceType::Rs232);
  settings.xonChar = 0x1B;
  settings.xoffChar = 'Q';
  settings.trackSeparator = 0x81;
  settings.terminator = 0xD1;
  settings.endSentinel = 0x00;
  settings.track1EndSentinel = '!';  // the report prints endSentinel, not the track byte
  settings.track2StartSentinel5Bit = 0x09;
  const auto lines = Lines(BuildSettingsReport(settings, ""));
  auto has = [&lines](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("XOn Character: \\esc"));
  EXPECT_TRUE(has("XOff Character: Q"));
  EXPECT_TRUE(has("Track Separator: \\f1"));
  EXPECT_TRUE(has("Terminator: \\cr_lf"));
  EXPECT_TRUE(has("End Sentinel: \\nul"));
  EXPECT_TRUE(has("Track 2 5 bit encoding Start Sentinel: \\ht"));
}

TEST(SettingsReportTextTest, HidKeyboardFormatWordOnUsbHidKb) {
  ReaderSettings settings(InterfaceType::UsbHidKb);
  settings.hidFormat = '8';
  const auto lines = Lines(BuildSettingsReport(settings, ""));
  EXPECT_EQ(lines[6], "USB HID Format: Kaldor USB HID KB Data Format");
  settings.hidFormat = '1';
  EXPECT_EQ(Lines(BuildSettingsReport(settings, ""))[6],
            "USB HID Format: Mag-Tek USB HID Data Format");
}

TEST(SettingsReportTextTest, OptionBitsFollowTheStoredBytes) {
  ReaderSettings settings(InterfaceType::Rs232);
  settings.formatOptions = 0x26;  // buffered, +/- command, no CR; LRC, STX, ESC, ETX sent
  settings.sendOutFormat = 0x36;  // no sentinels, account number only, error indication
  settings.lrcOption = '1';
  const auto lines = Lines(BuildSettingsReport(settings, ""));
  const std::vector<std::string> options(lines.begin() + 13, lines.begin() + 20);
  EXPECT_EQ(options, (std::vector<std::string>{
                         "UIC LRC Option: Send  LRC", "MagTek Options: ", "\tBuffered mode",
                         "\t+/- command", "\tSend STX", "\tSend  ESC", "\tNot send CR"}));
  EXPECT_EQ(lines[20], "\tSend ETX");
  const std::vector<std::string> sendOut(lines.begin() + 22, lines.begin() + 27);
  EXPECT_EQ(sendOut, (std::vector<std::string>{
                         "Send Out Format: ", "\tNOT Send Start/End Sentinel",
                         "\tOnly Send Account Number For Track2", "\tSend Error Indication",
                         "\tSend LRC"}));
}

TEST(SettingsReportTextTest, ValuesWithoutWordsPrintAnEmptyWord) {
  ReaderSettings serial(InterfaceType::Rs232);
  serial.baudRate = '9';
  serial.trackSelect = ':';
  serial.parity = 0xFF;
  serial.lrcOption = '7';
  serial.msrReading = 0x00;
  const auto lines = Lines(BuildSettingsReport(serial, ""));
  auto has = [&lines](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("Baud Rate: "));
  EXPECT_TRUE(has("Track Select: "));
  EXPECT_TRUE(has("Parity: "));
  EXPECT_TRUE(has("\t"));
  EXPECT_TRUE(has("Enable/Disable MSR: "));

  ReaderSettings keyboard(InterfaceType::Ps2Keyboard);
  keyboard.terminalType = '2';
  EXPECT_EQ(Lines(BuildSettingsReport(keyboard, ""))[2], "Terminal Type: ");

  ReaderSettings hid(InterfaceType::UsbHid);
  hid.hidFormat = '5';
  EXPECT_EQ(Lines(BuildSettingsReport(hid, ""))[6], "USB HID Format: ");
}

// Every byte in every one-byte setting, on every interface that shows it: the report must
// keep its shape (same number of lines) whatever the stored values are.
TEST(SettingsReportTextTest, AnyStoredByteKeepsTheReportWhole) {
  for (InterfaceType type : {InterfaceType::Rs232, InterfaceType::Ps2Keyboard, InterfaceType::UsbHid}) {
    const std::size_t lineCount = ReportLines(type).size();
    for (const SettingsRecordInfo& record : SettingsRecords()) {
      for (int value = 0; value < 256 && record.byteMember != nullptr; ++value) {
        ReaderSettings settings(type);
        *RecordByte(record, settings) = static_cast<Byte>(value);
        ASSERT_EQ(Lines(BuildSettingsReport(settings, "V1.90")).size(), lineCount)
            << "interface " << type << " value " << value;
      }
    }
  }
}

TEST(SettingsReportTextTest, FormulasInTheirKindsNotation) {
  ReaderSettings settings(InterfaceType::UsbHid);
  settings.formulas[0] = {0x2A, 0x2B, 0x00};  // Credit Card: 1k 1l 0a
  settings.formulas[1] = {0x48};                                // DMV: track 2 position 8
  settings.formulas[2] = {0x27, 0x01};                          // AAMVA: 10, then 0b
  settings.formulas[3] = {0x48, 0x62};                          // Custom: no substitutions
  const auto lines = Lines(BuildSettingsReport(settings, ""));
  const std::vector<std::string> dataEdit(lines.end() - 7, lines.end() - 3);
  EXPECT_EQ(dataEdit, (std::vector<std::string>{
                          "Data Edit-CreditCard:10110a", "Data Edit-CDL:20",
                          "Data Edit-AAMVA:100b", "Data Edit-Customized:2i3c"}));
}

}  // namespace
}  // namespace tessaron
