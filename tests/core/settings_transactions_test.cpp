// Reading, writing and restoring the settings of a reader through a scripted port.

#include "core/settings_transactions.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/command_frame.h"
#include "core/settings_codec.h"
#include "support/scripted_port.h"
#include "support/settings_stream_checks.h"

namespace tessaron {
namespace {

using test_support::CheckedStreamOf;

// An open scripted port.
struct FakePort : test_support::ScriptedPort {
  explicit FakePort(InterfaceType type = InterfaceType::UsbHid) : ScriptedPort(type) { Open(0); }
};

ByteString Ack(const ByteString& stream) {
  ByteString reply(stream.size() + 1);
  reply[0] = REPLY_ACK;
  std::copy(stream.begin(), stream.end(), reply.begin() + 1);
  return reply;
}

// A record whose settings frame is exactly total bytes, grown through the preamble
// and, past 254 preamble bytes, the postamble.
ReaderSettings RecordOfFrameLength(std::size_t total) {
  ReaderSettings settings;
  std::size_t extra = total - DEFAULT_STREAM_LENGTH;
  const std::size_t first = std::min<std::size_t>(extra, 254);
  settings.preamble.assign(first, 'P');
  settings.postamble.assign(extra - first, 'Q');
  return settings;
}

// --- ReadFromReader -------------------------------------------------------------------

TEST(ReadFromReader, SendsTheReadAllQueryAndDecodesTheReply) {
  ReaderSettings stored;
  stored.beepVolume = '0';
  stored.preamble = {'A', 'B'};
  stored.formulas[1] = {0x22, 0x41};
  FakePort port(InterfaceType::UsbHidKb);
  port.replies.push_back(Ack(CheckedStreamOf(stored)));

  ReaderSettings settings;
  ASSERT_TRUE(ReadFromReader(settings, &port));
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0], (ByteString{0x02, 0x52, 0x1F, 0x03, 0x4C}));
  EXPECT_EQ(port.capacities[0], SETTINGS_BUFFER_SIZE);
  EXPECT_EQ(settings.interfaceType, InterfaceType::UsbHidKb);
  EXPECT_EQ(settings.beepVolume, '0');
  EXPECT_EQ(settings.preamble, stored.preamble);
  EXPECT_EQ(settings.formulas[1], stored.formulas[1]);
}

TEST(ReadFromReader, APortThatIsNotReadyLeavesTheRecordAlone) {
  FakePort port(InterfaceType::UsbHid);
  port.Close();
  ReaderSettings settings(InterfaceType::Rs232);
  settings.beepVolume = '4';
  EXPECT_FALSE(ReadFromReader(settings, &port));
  EXPECT_FALSE(ReadFromReader(settings, nullptr));
  EXPECT_TRUE(port.sent.empty());
  EXPECT_EQ(settings.interfaceType, InterfaceType::Rs232);
  EXPECT_EQ(settings.beepVolume, '4');
}

TEST(ReadFromReader, AFailedTransactionKeepsTheSettingsButNamesTheInterface) {
  for (const ByteString& reply : {ByteString{}, ByteString{REPLY_UNKNOWN}}) {
    FakePort port(InterfaceType::UsbRs232);
    port.replies.push_back(reply);
    ReaderSettings settings(InterfaceType::Rs232);
    settings.beepVolume = '4';
    EXPECT_FALSE(ReadFromReader(settings, &port));
    EXPECT_EQ(settings.interfaceType, InterfaceType::UsbRs232);
    EXPECT_EQ(settings.beepVolume, '4');
  }
}

TEST(ReadFromReader, ABadReplyAfterAGoodTransactionLeavesTheRecordUntouched) {
  ReaderSettings stored;
  stored.beepVolume = '3';     // 0x11, early in the stream
  stored.languageOption = '6';  // 0x24, late in the stream
  const ByteString stream = CheckedStreamOf(stored);
  ByteString badCheck = stream;
  badCheck.back() ^= 0xFF;

  // A reply cut off by the line (only a part of the frame arrived) must not turn into a
  // record of defaults that the next write would send to the reader.
  const struct {
    const char* name;
    ByteString reply;
  } cases[] = {
      {"wrong check byte", Ack(badCheck)},
      {"cut inside the records", Ack(ByteString(stream.begin(), stream.begin() + 60))},
      {"cut before the check byte", Ack(ByteString(stream.begin(), stream.end() - 1))},
      // The fifth byte makes the check byte 0.
      {"cut before a check byte of 0", Ack({STX, DIR_SET, 0x11, 0x01, STX ^ DIR_SET ^ 0x11 ^ 0x01 ^ ETX, ETX})},
      {"no settings frame", {REPLY_ACK, 0x41, 0x42}},
  };
  for (const auto& c : cases) {
    FakePort port(InterfaceType::UsbHid);
    port.replies.push_back(c.reply);
    ReaderSettings settings(InterfaceType::Rs232);
    settings.terminalType = '5';
    settings.beepVolume = '4';
    settings.preamble = {'P'};
    EXPECT_FALSE(ReadFromReader(settings, &port)) << c.name;
    EXPECT_EQ(settings.terminalType, '5') << c.name;
    EXPECT_EQ(settings.beepVolume, '4') << c.name;
    EXPECT_EQ(settings.languageOption, '0') << c.name;
    EXPECT_EQ(settings.preamble, ByteString{'P'}) << c.name;
    // The interface is taken from the port before anything is sent, whatever follows.
    EXPECT_EQ(settings.interfaceType, InterfaceType::UsbHid) << c.name;
  }
}

// --- WriteToReader --------------------------------------------------------------------

TEST(WriteToReader, SendsTheEncodedRecordAndMapsTheReply) {
  struct Case {
    ByteString reply;
    WriteResult expected;
  };
  const std::vector<Case> cases = {
      {{REPLY_ACK}, WriteOk},
      {{REPLY_UNKNOWN}, WriteRejected},
      {{REPLY_UNKNOWN, REPLY_ACK}, WriteRejected},
      {{}, WriteFailed},
      {{0x15}, WriteFailed},
      {{0x00, REPLY_UNKNOWN}, WriteFailed},
  };
  for (const Case& c : cases) {
    ReaderSettings settings;
    settings.postamble = {'\r'};
    settings.SelectHidFormat('8');
    FakePort port;
    port.replies.push_back(c.reply);
    EXPECT_EQ(WriteToReader(settings, &port), c.expected);
    ASSERT_EQ(port.sent.size(), 1u);
    EXPECT_EQ(port.sent[0], CheckedStreamOf(settings));
    EXPECT_EQ(port.capacities[0], WRITE_REPLY_BUFFER_SIZE);
    // The frame went out: the switch is settled whatever the reader said.
    EXPECT_FALSE(settings.IsInterfaceSwitchPending());
  }
}

TEST(WriteToReader, NoPortOrAPortNotReadyFailsAndKeepsTheSwitchPending) {
  ReaderSettings settings;
  settings.SelectHidFormat('1');
  FakePort port;
  port.Close();
  EXPECT_EQ(WriteToReader(settings, &port), WriteFailed);
  EXPECT_EQ(WriteToReader(settings, nullptr), WriteFailed);
  EXPECT_TRUE(port.sent.empty());
  EXPECT_TRUE(settings.IsInterfaceSwitchPending());
}

TEST(WriteToReader, AFrameOfFourHundredBytesIsSentOneMoreIsNot) {
  ReaderSettings atLimit = RecordOfFrameLength(MAX_SETTINGS_FRAME);
  atLimit.SelectHidFormat('0');
  FakePort port;
  port.replies.push_back({REPLY_ACK});
  EXPECT_EQ(WriteToReader(atLimit, &port), WriteOk);
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0].size(), MAX_SETTINGS_FRAME);

  for (std::size_t total : {MAX_SETTINGS_FRAME + 1u, 508u}) {
    ReaderSettings tooLong = RecordOfFrameLength(total);
    tooLong.SelectHidFormat('0');
    FakePort other;
    other.replies.push_back({REPLY_ACK});
    EXPECT_EQ(WriteToReader(tooLong, &other), WriteTooLong) << total;
    EXPECT_TRUE(other.sent.empty());
    EXPECT_TRUE(tooLong.IsInterfaceSwitchPending());
  }
}

TEST(WriteToReader, RecordsTheEncoderRefusesAreTooLongWhenTheyWouldPassTheLimit) {
  // A preamble of 300 bytes cannot be a string record and would make 447 bytes.
  ReaderSettings longString;
  longString.preamble.assign(300, 'x');
  longString.SelectHidFormat('8');
  FakePort port;
  EXPECT_EQ(WriteToReader(longString, &port), WriteTooLong);

  // Custom fields past 255 bytes of block content.
  ReaderSettings manyFields;
  for (int i = 0; i < 30; ++i) manyFields.customFields.push_back(ByteString(10, 0xF2));
  EXPECT_EQ(WriteToReader(manyFields, &port), WriteTooLong);

  // A stream that would not even fit the 1024-byte buffer.
  ReaderSettings huge;
  for (ByteString* text : {&huge.preamble, &huge.postamble, &huge.track1Prefix,
                           &huge.track2Prefix, &huge.track3Prefix, &huge.track1Suffix}) {
    text->assign(200, 'y');
  }
  EXPECT_EQ(WriteToReader(huge, &port), WriteTooLong);

  EXPECT_TRUE(port.sent.empty());
  EXPECT_TRUE(longString.IsInterfaceSwitchPending());
}

TEST(WriteToReader, ABlockTooLongForItsLengthByteIsRefusedBelowTheFrameLimit) {
  // Formula items of n + 3, 2, 2 and 2 bytes: 256 bytes for 247 entries, 259 for 250 (a
  // frame of 398 bytes). The frames are within the limit, but the block's length byte
  // cannot announce them.
  for (const std::size_t entries : {247u, 250u}) {
    ReaderSettings settings;
    settings.formulas[0].assign(entries, 0x22);
    settings.SelectHidFormat('8');
    ASSERT_LE(SettingsFrameLength(settings), 398u);
    FakePort port;
    port.replies.push_back({REPLY_ACK});
    EXPECT_EQ(WriteToReader(settings, &port), WriteTooLong) << entries;
    EXPECT_TRUE(port.sent.empty());
    EXPECT_TRUE(settings.IsInterfaceSwitchPending());
  }
}

TEST(WriteToReader, AnUnencodableRecordOfLegalSizeFailsWithoutSending) {
  ReaderSettings settings;
  settings.addedFields.push_back(ByteString(9, 'A'));  // breaks the 9-byte slots
  settings.SelectHidFormat('1');
  FakePort port;
  port.replies.push_back({REPLY_ACK});
  EXPECT_EQ(WriteToReader(settings, &port), WriteFailed);
  EXPECT_TRUE(port.sent.empty());
  EXPECT_TRUE(settings.IsInterfaceSwitchPending());
}

TEST(SettingsFrameLength, AgreesWithTheEncoder) {
  ReaderSettings plain;
  EXPECT_EQ(SettingsFrameLength(plain), DEFAULT_STREAM_LENGTH);

  ReaderSettings rich;
  rich.preamble = {0x1B, 'A'};
  rich.track2Suffix = {'\r', '\n', 'x'};
  rich.addedFields = {{'A', 'B'}, ByteString(8, 'C')};
  rich.lengthLimits[1] = {0xF0, 0x40, 0x05, 0x14};
  rich.matchStrings[0] = {0xF1, 0x20, 0x01, 0x01, 'B'};
  rich.customFields = {{0xF4, 0x20, 0x00, 0x00, 0x00, 0x01, 'x'}};
  rich.formulas[0] = {0x22, 0x41};
  rich.formulas[3] = {0x10};
  EXPECT_EQ(SettingsFrameLength(rich), CheckedStreamOf(rich).size());
  EXPECT_EQ(LongestSettingsBlock(rich), 18u);
}

// --- RestoreFactorySettings -----------------------------------------------------------

TEST(RestoreFactorySettings, SendsTheDefaultsCommandAndReportsTheAcknowledgement) {
  FakePort port;
  port.replies = {{REPLY_ACK}, {REPLY_UNKNOWN}};
  EXPECT_TRUE(RestoreFactorySettings(&port));
  EXPECT_FALSE(RestoreFactorySettings(&port));
  ASSERT_EQ(port.sent.size(), 2u);
  EXPECT_EQ(port.sent[0], (ByteString{0x02, 0x53, 0x18, 0x03, 0x4A}));
  EXPECT_EQ(port.capacities[0], WRITE_REPLY_BUFFER_SIZE);

  FakePort idle;
  idle.Close();
  EXPECT_FALSE(RestoreFactorySettings(&idle));
  EXPECT_FALSE(RestoreFactorySettings(nullptr));
  EXPECT_TRUE(idle.sent.empty());
}

}  // namespace
}  // namespace tessaron
