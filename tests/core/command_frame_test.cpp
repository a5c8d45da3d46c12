#include "core/command_frame.h"

#include <gtest/gtest.h>

#include "core/firmware.h"
#include "core/settings_codec.h"
#include "support/settings_streams.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tessaron {
namespace {

std::vector<Byte> Frame(Byte funcId, Byte dataLength, const Byte* data,
                        std::uint32_t capacity = COMMAND_BUFFER_SIZE) {
  std::array<Byte, 300> buffer{};
  std::uint32_t length = capacity;
  if (!BuildCommandFrame(funcId, dataLength, data, buffer.data(), &length)) return {};
  return std::vector<Byte>(buffer.begin(), buffer.begin() + length);
}

TEST(ComputeLrc, XorsEveryByteAndIsZeroForNothing) {
  const Byte bytes[] = {0x02, 0x52, 0x1F, 0x03};
  EXPECT_EQ(ComputeLrc(bytes, 4), 0x4C);
  EXPECT_EQ(ComputeLrc(bytes, 0), 0x00);
  EXPECT_EQ(ComputeLrc(nullptr, 5), 0x00);
}

TEST(BuildCommandFrame, ShortFormsIgnoreTheirData) {
  const Byte data[] = {0xAA, 0xBB, 0xCC};
  EXPECT_EQ(Frame(CMD_READ_SETTINGS, 3, data), (std::vector<Byte>{0x02, 0x52, 0x1F, 0x03, 0x4C}));
  EXPECT_EQ(Frame(CMD_GET_FIRMWARE_VERSION, 0, nullptr),
            (std::vector<Byte>{0x02, 0x52, 0x22, 0x03, 0x71}));
  EXPECT_EQ(Frame(CMD_SET_DEFAULTS, 2, data), (std::vector<Byte>{0x02, 0x53, 0x18, 0x03, 0x4A}));
}

TEST(BuildCommandFrame, LongFormCarriesLengthAndData) {
  const Byte ff = 0xFF;
  EXPECT_EQ(Frame(CMD_ENTER_BOOT_LOADER, 1, &ff),
            (std::vector<Byte>{0x02, 0x53, 0x70, 0x01, 0xFF, 0x03, 0xDC}));
  // A FuncID without a short form stays long even with no data.
  EXPECT_EQ(Frame(0x35, 0, nullptr), (std::vector<Byte>{0x02, 0x53, 0x35, 0x00, 0x03, 0x67}));

  std::vector<Byte> data(255);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<Byte>(i * 7);
  const auto frame = Frame(0x40, 255, data.data(), 261);
  ASSERT_EQ(frame.size(), 261u);
  EXPECT_EQ(frame[3], 255);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), frame.begin() + 4));
  EXPECT_EQ(frame[259], ETX);
  EXPECT_EQ(frame[260], ComputeLrc(frame.data(), 260));
}

TEST(BuildCommandFrame, CapacityMustCoverDataLengthPlusSix) {
  Byte buffer[16] = {};
  std::uint32_t length = 5;
  EXPECT_FALSE(BuildCommandFrame(CMD_GET_FIRMWARE_VERSION, 0, nullptr, buffer, &length));
  EXPECT_EQ(length, 0u);
  length = 6;
  EXPECT_TRUE(BuildCommandFrame(CMD_GET_FIRMWARE_VERSION, 0, nullptr, buffer, &length));
  EXPECT_EQ(length, 5u);

  // The rule counts the data length even where the short form ignores the data.
  length = 8;
  EXPECT_FALSE(BuildCommandFrame(CMD_READ_SETTINGS, 3, buffer, buffer, &length));
  EXPECT_EQ(length, 0u);

  const Byte data[4] = {1, 2, 3, 4};
  length = 9;
  EXPECT_FALSE(BuildCommandFrame(0x34, 4, data, buffer, &length));
  EXPECT_EQ(length, 0u);
  length = 10;
  EXPECT_TRUE(BuildCommandFrame(0x34, 4, data, buffer, &length));
  EXPECT_EQ(length, 10u);
}

TEST(BuildCommandFrame, MissingArgumentsFailWithoutWriting) {
  Byte buffer[16] = {};
  EXPECT_FALSE(BuildCommandFrame(CMD_READ_SETTINGS, 0, nullptr, buffer, nullptr));
  EXPECT_EQ(buffer[0], 0);

  std::uint32_t length = 16;
  EXPECT_FALSE(BuildCommandFrame(CMD_READ_SETTINGS, 0, nullptr, nullptr, &length));
  EXPECT_EQ(length, 0u);

  // A long frame announcing data that is not there.
  length = 16;
  EXPECT_FALSE(BuildCommandFrame(0x70, 1, nullptr, buffer, &length));
  EXPECT_EQ(length, 0u);
}

// The frames the programs build pass; keyboard bytes, a broken envelope or layout, and more
// than the longest typed command do not.
TEST(IsReaderCommandFrame, TakesTheFramesTheProgramsBuildAndNothingElse) {
  const auto frame = [](Byte letter, ByteString body) {  // STX, letter, body, ETX, LRC
    body.insert(body.begin(), {STX, letter});
    body.push_back(ETX);
    return test_support::WithLrc(body);
  };
  const auto records = [](Byte a, Byte b) {  // two records of a and b bytes
    ByteString body(a + 2, ETX);
    body[0] = 0x40, body[1] = a;
    body.insert(body.end(), {0x40, b});
    body.resize(body.size() + b, ETX);
    return body;
  };
  const Byte ff = 0xFF;
  const std::vector<std::pair<ByteString, bool>> cases = {
      {Frame(CMD_READ_SETTINGS, 0, nullptr), true}, {Frame(CMD_SET_DEFAULTS, 0, nullptr), true},
      {Frame(CMD_GET_FIRMWARE_VERSION, 0, nullptr), true}, {Frame(0x70, 1, &ff), true},
      {test_support::DEFAULT_STREAM, true}, {frame(DIR_SET, records(253, 253)), true},  // 514 bytes
      {frame(DIR_SET, records(254, 254)), false}, {frame(DIR_SET, records(253, 254)), false},
      {{}, false}, {{0xF5}, false},
      {frame(0xF5, {}), false}, {{0x02, 0x52, 0x22, 0x03, 0x70}, false},  // a wrong LRC
      {{0x02, 0x52, 0x22, 0x04, 0x76}, false},  // no ETX
      {frame(DIR_READ, {0x7E}), false}, {frame(DIR_SET, {CMD_READ_SETTINGS}), false},
      {frame(DIR_READ, {0x70, 0x01, 0xFF}), false}, {frame(DIR_SET_P, {0x35, 0x01, 0x31}), false},
      {frame(DIR_SET, {0x35, 0x02, 0x31}), false}, {frame(DIR_SET, {}), false},
  };
  for (const auto& [bytes, taken] : cases) {
    EXPECT_EQ(IsReaderCommandFrame(bytes.data(), static_cast<std::uint32_t>(bytes.size())), taken)
        << ::testing::PrintToString(bytes);
  }
}

TEST(ParseVersionNumber, TakesTheFirstCompleteDigitsPointDigitsRun) {
  EXPECT_DOUBLE_EQ(ParseVersionNumber("V1.89"), 1.89);
  EXPECT_DOUBLE_EQ(ParseVersionNumber("Ver 2.10 build 7"), 2.1);
  EXPECT_DOUBLE_EQ(ParseVersionNumber("12.5a"), 12.5);
  EXPECT_DOUBLE_EQ(ParseVersionNumber("1.8"), 1.8);
  EXPECT_DOUBLE_EQ(ParseVersionNumber("x.5 3.0"), 3.0);
  EXPECT_DOUBLE_EQ(ParseVersionNumber("V1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(ParseVersionNumber("ab1x2.75"), 2.75);
  EXPECT_GE(ParseVersionNumber("V1.89"), HID_KB_FORMAT_MIN_VERSION);
  EXPECT_LT(ParseVersionNumber("V1.88"), HID_KB_FORMAT_MIN_VERSION);
  EXPECT_EQ(VersionNumberText(ParseVersionNumber("V1.89")), "1.89");
}

TEST(FirmwareRules, OnlyAUsbHidReaderWhoseFormatChangesSwitchesItsInterface) {
  using I = InterfaceType;
  EXPECT_TRUE(SwitchesInterface(I::UsbHid, HID_FORMAT_KALDOR_DATA, HID_FORMAT_KALDOR_KEYBOARD));
  EXPECT_TRUE(SwitchesInterface(I::UsbHidKb, HID_FORMAT_KALDOR_KEYBOARD, HID_FORMAT_MAGTEK_DATA));
  EXPECT_FALSE(SwitchesInterface(I::UsbHid, HID_FORMAT_KALDOR_DATA, HID_FORMAT_KALDOR_DATA));
  EXPECT_FALSE(SwitchesInterface(I::UsbRs232, HID_FORMAT_KALDOR_DATA, HID_FORMAT_KALDOR_KEYBOARD));
  EXPECT_FALSE(SwitchesInterface(I::Unknown, HID_FORMAT_KALDOR_DATA, HID_FORMAT_KALDOR_KEYBOARD));
}

TEST(ParseVersionNumber, GivesZeroWithoutACompleteRun) {
  EXPECT_EQ(ParseVersionNumber(""), 0.0);
  EXPECT_EQ(ParseVersionNumber("V12"), 0.0);
  EXPECT_EQ(ParseVersionNumber("V1."), 0.0);
  EXPECT_EQ(ParseVersionNumber("1..5"), 0.0);
  EXPECT_EQ(ParseVersionNumber(".5"), 0.0);
  EXPECT_EQ(ParseVersionNumber(std::string("\0\x02V\xff", 4)), 0.0);
}

}  // namespace
}  // namespace tessaron
