// The version query and cache shared by every reader port.

#include "core/reader_port.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/command_frame.h"

namespace tessaron {
namespace {

// A port that answers every frame with a scripted reply and follows the common version
// steps without any open/close rules of its own.
class ScriptedVersionPort : public ReaderPort {
 public:
  bool GetFirmwareVersion(std::string& out) override {
    if (TakeCachedVersion(out)) return true;
    Byte reply[VERSION_REPLY_BUFFER_SIZE];
    std::memset(reply, 0xEE, sizeof reply);  // the helper must clear it first
    std::uint32_t replyLength = 0;
    bool ok = false;
    SendVersionQuery(reply, &replyLength, &ok);
    lastOk = ok;
    if (parseOnlyWhenAcknowledged && !ok) return false;
    return StoreVersionFromReply(reply, replyLength, out);
  }
  bool Open(DeviceIndex) override { return true; }
  bool OpenPath(const std::string&) override { return true; }
  bool Close() override {
    ++closes;
    return true;
  }
  bool Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                std::uint32_t* replyLength) override {
    sent.emplace_back(command, command + commandLength);
    capacities.push_back(*replyLength);
    // The reply buffer arrives zero-filled.
    for (std::uint32_t i = 0; i < *replyLength; ++i) EXPECT_EQ(reply[i], 0) << "byte " << i;
    const std::size_t n = std::min<std::size_t>(script.size(), *replyLength);
    if (n > 0) std::memcpy(reply, script.data(), n);
    *replyLength = claimedLength ? claimedLength : static_cast<std::uint32_t>(n);
    return n > 0 && reply[0] == REPLY_ACK;
  }
  InterfaceType GetInterfaceType() const override { return INTERFACE_RS232; }
  bool IsReady() const override { return true; }
  std::string GetPortName(std::string& out) const override { return out = "scripted"; }

  ByteString script;
  std::uint32_t claimedLength = 0;  // a misbehaving port may claim more than it was given
  bool parseOnlyWhenAcknowledged = false;
  bool lastOk = false;
  int closes = 0;
  std::vector<ByteString> sent;
  std::vector<std::uint32_t> capacities;
};

ByteString WithLrc(ByteString frame) {
  frame.push_back(ComputeLrc(frame.data() + (frame[0] == STX ? 0 : 1),
                             static_cast<std::uint32_t>(frame.size() - (frame[0] == STX ? 0 : 1))));
  return frame;
}

TEST(ReaderPortVersion, SendsTheQueryAndTakesTheTextBetweenStxAndEtx) {
  ScriptedVersionPort port;
  port.script = WithLrc({REPLY_ACK, STX, 'V', '1', ETX});
  std::string version = "stale";
  EXPECT_TRUE(port.GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1");
  ASSERT_EQ(port.sent.size(), 1u);
  EXPECT_EQ(port.sent[0], (ByteString{0x02, 0x52, 0x22, 0x03, 0x71}));
  EXPECT_EQ(port.capacities[0], VERSION_REPLY_BUFFER_SIZE);
}

TEST(ReaderPortVersion, TextEndsAtTheFirstEtxOrBeforeTheLastTwoBytes) {
  struct Case {
    ByteString reply;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // No ETX at all: the last two bytes are taken for ETX and LRC.
      {{0x06, 0x02, 'V', '1', '.', '9', '0', 'x', 'y'}, "V1.90"},
      // The first ETX wins over later ones.
      {{0x06, 0x02, 'V', '2', 0x03, 'Z', 0x03, 0x00}, "V2"},
      // Bytes before the first STX are skipped, later STX bytes are text.
      {{0x06, 0x41, 0x02, 'A', 0x02, 'B', 0x03, 0x00}, "A\x02" "B"},
      // The STX may be the very first byte.
      {{0x02, 'V', '1', '.', '8', '9', 0x03, 0x00}, "V1.89"},
  };
  for (const Case& c : cases) {
    ScriptedVersionPort port;
    port.script = c.reply;
    std::string version;
    EXPECT_TRUE(port.GetFirmwareVersion(version));
    EXPECT_EQ(version, c.expected);
  }
}

TEST(ReaderPortVersion, RepliesWithoutTextGiveNothing) {
  const std::vector<ByteString> replies = {
      {},                                   // silence
      {0x06, 0x02, 'V', 0x03},              // 4 bytes are too short
      {0x06, 0x41, 0x42, 0x43, 0x44, 0x45}, // no STX
      {0x06, 0x02, 0x03, 0x01, 0x00},       // nothing between STX and ETX
      {0x06, 0x00, 0x00, 0x00, 0x02, 0x41}, // STX among the last two bytes
  };
  for (const ByteString& reply : replies) {
    ScriptedVersionPort port;
    port.script = reply;
    std::string version = "old";
    EXPECT_FALSE(port.GetFirmwareVersion(version));
    EXPECT_TRUE(version.empty());
  }
}

TEST(ReaderPortVersion, CachedTextIsReturnedWithoutTrafficEvenAfterClose) {
  ScriptedVersionPort port;
  port.script = WithLrc({REPLY_ACK, STX, 'V', '1', '.', '9', '0', ETX});
  std::string version;
  ASSERT_TRUE(port.GetFirmwareVersion(version));
  port.Close();
  port.script = WithLrc({REPLY_ACK, STX, 'V', '9', '.', '9', '9', ETX});
  std::string again = "something";
  EXPECT_TRUE(port.GetFirmwareVersion(again));
  EXPECT_EQ(again, "V1.90");
  EXPECT_EQ(port.sent.size(), 1u);
}

TEST(ReaderPortVersion, AReplyWithoutTextDoesNotSpoilALaterQuery) {
  ScriptedVersionPort port;
  port.script = {0x06, 0x02, 0x03, 0x01, 0x00};
  std::string version;
  EXPECT_FALSE(port.GetFirmwareVersion(version));
  port.script = WithLrc({REPLY_ACK, STX, 'V', '3', '.', '1', ETX});
  EXPECT_TRUE(port.GetFirmwareVersion(version));
  EXPECT_EQ(version, "V3.1");
  EXPECT_EQ(port.sent.size(), 2u);
}

TEST(ReaderPortVersion, TransactResultIsPassedOnAndTheTextStillParsedWhenAsked) {
  // The keyboard line parses a reply whatever Transact said; the serial line does not.
  ScriptedVersionPort lenient;
  lenient.script = WithLrc({STX, 'V', '1', ETX});  // no ACK: Transact fails
  std::string version;
  EXPECT_TRUE(lenient.GetFirmwareVersion(version));
  EXPECT_FALSE(lenient.lastOk);
  EXPECT_EQ(version, "V1");

  ScriptedVersionPort strict;
  strict.parseOnlyWhenAcknowledged = true;
  strict.script = lenient.script;
  EXPECT_FALSE(strict.GetFirmwareVersion(version));
  EXPECT_TRUE(version.empty());
}

TEST(ReaderPortVersion, AClaimedLengthBeyondTheBufferIsNotTrusted) {
  ScriptedVersionPort port;
  port.script = {0x06, 0x02, 'V', '1'};  // no ETX inside the 128 bytes
  port.claimedLength = 4000;
  std::string version;
  EXPECT_TRUE(port.GetFirmwareVersion(version));
  // Everything after the STX up to the last two bytes of the 128-byte buffer.
  EXPECT_EQ(version.size(), VERSION_REPLY_BUFFER_SIZE - 4);
  EXPECT_EQ(version.substr(0, 2), "V1");
}

}  // namespace
}  // namespace tessaron
