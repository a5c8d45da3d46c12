// What every reader port does the same way: the open and close rule, the reply kept within
// its buffer, and the version query with its cache.

#include "core/reader_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/command_frame.h"
#include "support/scripted_port.h"

namespace tessaron {
namespace {

using test_support::ScriptedPort;

ByteString WithLrc(ByteString frame) {
  const std::size_t from = frame[0] == STX ? 0 : 1;
  frame.push_back(ComputeLrc(frame.data() + from, static_cast<std::uint32_t>(frame.size() - from)));
  return frame;
}

const ByteString V190 = WithLrc({REPLY_ACK, STX, 'V', '1', '.', '9', '0', ETX});

TEST(ReaderPortVersion, SendsTheQueryAndTakesTheTextOfAnAcknowledgedReply) {
  struct Case {
    ByteString reply;
    std::string expected;  // empty: no version
  };
  const std::vector<Case> cases = {
      {WithLrc({REPLY_ACK, STX, 'V', '1', ETX}), "V1"},
      // No ETX at all: the last two bytes are taken for ETX and LRC.
      {{0x06, 0x02, 'V', '1', '.', '9', '0', 'x', 'y'}, "V1.90"},
      // The first ETX wins over later ones.
      {{0x06, 0x02, 'V', '2', 0x03, 'Z', 0x03, 0x00}, "V2"},
      // Bytes before the first STX are skipped, later STX bytes are text.
      {{0x06, 0x41, 0x02, 'A', 0x02, 'B', 0x03, 0x00}, "A\x02" "B"},
      {{}, ""},                                    // silence
      {{0x06, 0x02, 'V', 0x03}, ""},               // 4 bytes are too short
      {{0x06, 0x41, 0x42, 0x43, 0x44, 0x45}, ""},  // no STX
      {{0x06, 0x02, 0x03, 0x01, 0x00}, ""},        // nothing between STX and ETX
      {{0x06, 0x00, 0x00, 0x00, 0x02, 0x41}, ""},  // STX among the last two bytes
      {WithLrc({STX, 'V', '1', ETX}), ""},         // not acknowledged
  };
  for (const Case& c : cases) {
    ScriptedPort port;
    port.replies = {c.reply};
    ASSERT_TRUE(port.Open(0));
    std::string version = "stale";
    EXPECT_EQ(port.GetFirmwareVersion(version), !c.expected.empty());
    EXPECT_EQ(version, c.expected);
    ASSERT_EQ(port.sent.size(), 1u);
    EXPECT_EQ(port.sent[0], (ByteString{0x02, 0x52, 0x22, 0x03, 0x71}));
    EXPECT_EQ(port.capacities[0], VERSION_REPLY_BUFFER_SIZE);
  }
}

TEST(ReaderPortVersion, IsAskedUntilKnownAndThenKeptEvenAfterClose) {
  ScriptedPort port;
  port.replies = {{0x06, 0x02, 0x03, 0x01, 0x00}, V190, V190};
  ASSERT_TRUE(port.Open(0));
  std::string version;
  EXPECT_FALSE(port.GetFirmwareVersion(version));
  EXPECT_TRUE(port.GetFirmwareVersion(version));
  port.Close();
  EXPECT_TRUE(port.GetFirmwareVersion(version));
  EXPECT_EQ(version, "V1.90");
  EXPECT_EQ(port.sent.size(), 2u);
}

TEST(ReaderPortOpening, EveryCallLeavesThePortAsItFoundIt) {
  ScriptedPort port;
  std::string version;
  // Never opened: the version query opens it by the index a port starts with, and closes it.
  port.replies = {V190};
  EXPECT_TRUE(port.GetFirmwareVersion(version));
  EXPECT_EQ(port.steps, (std::vector<std::string>{"open -1", "close"}));
  EXPECT_FALSE(port.IsOpen());

  // Closed after an open by path: opened by that path again for the query.
  ScriptedPort byPath;
  byPath.replies = {V190};
  ASSERT_TRUE(byPath.OpenPath("/dev/x"));
  byPath.Close();
  EXPECT_TRUE(byPath.GetFirmwareVersion(version));
  EXPECT_EQ(byPath.steps, (std::vector<std::string>{"open /dev/x", "close", "open /dev/x", "close"}));

  // Open: the query runs on it and it stays open; opening it again closes it first.
  ScriptedPort open;
  open.replies = {V190};
  ASSERT_TRUE(open.Open(3));
  EXPECT_TRUE(open.GetFirmwareVersion(version));
  EXPECT_TRUE(open.IsOpen());
  ASSERT_TRUE(open.Open(4));
  EXPECT_EQ(open.steps, (std::vector<std::string>{"open 3", "close", "open 4"}));

  // A device that does not open: nothing is sent, and the port stays closed.
  ScriptedPort absent;
  absent.opens = false;
  absent.replies = {V190};
  EXPECT_FALSE(absent.GetFirmwareVersion(version));
  Byte reply[8] = {};
  const PortReply answer = absent.Transact(ByteString{0x02, 0x52, 0x1F, 0x03, 0x4C}, reply);
  EXPECT_FALSE(answer.ok);
  EXPECT_EQ(answer.failure.kind, PortErrorKind::Other);
  EXPECT_TRUE(absent.sent.empty());
  EXPECT_FALSE(absent.IsOpen());
}

TEST(ReaderPortTransact, AClaimedLengthBeyondTheBufferIsNotTrusted) {
  ScriptedPort port;
  port.replies = {{0x06, 0x02, 'V', '1'}};
  port.claimedLength = 4000;
  ASSERT_TRUE(port.Open(0));
  Byte reply[16] = {};
  EXPECT_EQ(port.Transact(ByteString{0x02, 0x52, 0x22, 0x03, 0x71}, reply).bytes.size(), 16u);
}

}  // namespace
}  // namespace tessaron
