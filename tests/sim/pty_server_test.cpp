#include "sim/pty_server.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "raw_terminal_client.h"

namespace tessaron::sim {
namespace {

using namespace std::chrono_literals;
using test_support::RawTerminalClient;
using Clock = std::chrono::steady_clock;

const ByteString VERSION_QUERY{0x02, 0x52, 0x22, 0x03, 0x71};
const ByteString VERSION_REPLY{0x06, 0x02, 'V', '1', '.', '9', '0', 0x03, 0x41};

class PtyServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.Start()); }
  SimulatedReader reader;
  PtyServer server{reader};
};

TEST_F(PtyServerTest, AnswersARawClientAgainAndAgainOnTheSamePath) {
  const std::string path = server.Path();
  ASSERT_FALSE(path.empty());
  for (int round = 0; round < 5; ++round) {
    RawTerminalClient client(path);
    ASSERT_TRUE(client.IsOpen()) << round;
    ASSERT_TRUE(client.Write(VERSION_QUERY));
    EXPECT_EQ(client.Read(VERSION_REPLY.size()), VERSION_REPLY) << round;
    // Let the server see the client go away before the next one comes.
    if (round % 2) std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(server.Path(), path);
  EXPECT_EQ(reader.CommandCount(), 5u);
}

TEST_F(PtyServerTest, PassesEveryByteUnchangedAndCopesWithTornFrames) {
  // Line-discipline bytes (CR, LF, XON, XOFF, DEL) must survive both ways.
  const ByteString fixed{0x0D, 0x0A, 0x11, 0x13, 0x7F, 0x03, 0x00};
  server.SetOptions({.useFixedReply = true, .fixedReply = fixed});
  RawTerminalClient client(server.Path());
  ASSERT_TRUE(client.Write({0x0D, 0x0A, 0x02, 0x52}));  // noise, then half a frame
  std::this_thread::sleep_for(50ms);
  ASSERT_TRUE(client.Write({0x22, 0x03, 0x71}));
  EXPECT_EQ(client.Read(fixed.size()), fixed);

  // Half a frame followed by silence is dropped; the next frame is answered.
  server.SetOptions({.staleInputAfter = 100ms});
  ASSERT_TRUE(client.Write({0x02, 0x53, 0x10}));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(client.Write(VERSION_QUERY));
  EXPECT_EQ(client.Read(VERSION_REPLY.size()), VERSION_REPLY);
}

TEST_F(PtyServerTest, ByteGapSpreadsTheReply) {
  server.SetOptions({.byteGap = 10ms});
  RawTerminalClient client(server.Path());
  const auto start = Clock::now();
  ASSERT_TRUE(client.Write(VERSION_QUERY));
  EXPECT_EQ(client.Read(VERSION_REPLY.size()), VERSION_REPLY);
  EXPECT_GE(Clock::now() - start, 10ms * (VERSION_REPLY.size() - 1));
}

TEST_F(PtyServerTest, HangUpAfterDeliversThatManyBytesThenTheLineIsDead) {
  server.SetOptions({.byteGap = 5ms, .hangUpAfter = 3});
  RawTerminalClient client(server.Path());
  ASSERT_TRUE(client.Write(VERSION_QUERY));
  EXPECT_EQ(client.Read(VERSION_REPLY.size()), ByteString(VERSION_REPLY.begin(), VERSION_REPLY.begin() + 3));
  EXPECT_TRUE(client.HungUp());
  EXPECT_TRUE(server.HungUp());
  EXPECT_EQ(server.BytesSent(), 3u);
}

TEST_F(PtyServerTest, HangUpAfterAWholeReplySendsAllOfItAtOnce) {
  server.SetOptions({.hangUpAfter = VERSION_REPLY.size()});
  RawTerminalClient client(server.Path());
  ASSERT_TRUE(client.Write(VERSION_QUERY));
  // The client reads only after a pause, as the serial port does: nothing may be lost.
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(client.Read(VERSION_REPLY.size() + 1), VERSION_REPLY);
  EXPECT_TRUE(client.HungUp());
}

TEST_F(PtyServerTest, StopEndsServingAndClosesTheTerminal) {
  const std::string path = server.Path();
  server.SetOptions({.byteGap = 1000ms});
  RawTerminalClient client(path);
  ASSERT_TRUE(client.Write(VERSION_QUERY));
  EXPECT_EQ(client.Read(1).size(), 1u);
  const auto start = Clock::now();
  server.Stop();  // must not sit out the gaps of the reply in progress
  EXPECT_LT(Clock::now() - start, 500ms);
  EXPECT_TRUE(server.Path().empty());
  struct stat info {};
  EXPECT_NE(::stat(path.c_str(), &info), 0);
  ASSERT_TRUE(server.Start());
  EXPECT_FALSE(server.Path().empty());
}

}  // namespace
}  // namespace tessaron::sim
