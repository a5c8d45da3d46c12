#include "core/reply_end.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "support/settings_streams.h"

namespace tessaron {
namespace {

using test_support::WithLrc;

// Every prefix of a reply is not whole until the last byte is in, and the whole reply is.
void ExpectWholeOnlyAtTheEnd(const ByteString& command, const ByteString& reply) {
  for (std::size_t count = 0; count < reply.size(); ++count) {
    EXPECT_FALSE(IsWholeReply(command.data(), command.size(), reply.data(), count)) << count;
  }
  EXPECT_TRUE(IsWholeReply(command.data(), command.size(), reply.data(), reply.size()));
}

TEST(ReplyEnd, SetCommandsEndOnTheirFirstByteQueriesOnTheirCheckByte) {
  const ByteString set = {STX, DIR_SET, CMD_SET_DEFAULTS, ETX, 0x4A};
  const ByteString version = {STX, DIR_READ, CMD_GET_FIRMWARE_VERSION, ETX, 0x71};
  const ByteString readAll = {STX, DIR_READ, CMD_READ_SETTINGS, ETX, 0x4C};
  ExpectWholeOnlyAtTheEnd(set, {REPLY_ACK});
  ExpectWholeOnlyAtTheEnd(set, {REPLY_UNKNOWN});

  ByteString versionReply = {REPLY_ACK};
  const ByteString versionFrame = WithLrc({STX, 'V', '1', '.', '9', '0', ETX});
  versionReply.insert(versionReply.end(), versionFrame.begin(), versionFrame.end());
  ExpectWholeOnlyAtTheEnd(version, versionReply);
  ExpectWholeOnlyAtTheEnd(version, versionFrame);  // without the acknowledgement

  // A settings frame whose preamble holds an ETX followed by a byte that matches the running
  // check at that point: only the real end counts.
  ReaderSettings settings;
  settings.preamble = {ETX, 0x00, 'Q', 'Z'};
  ByteString stream = test_support::StreamOf(settings);
  const ByteString mark = {ETX, 0x00, 'Q', 'Z'};
  const auto at = std::search(stream.begin(), stream.end(), mark.begin(), mark.end());
  ASSERT_NE(at, stream.end());
  const auto etx = static_cast<std::size_t>(at - stream.begin());
  settings.preamble[1] = ComputeLrc(stream.data(), static_cast<std::uint32_t>(etx + 1));
  stream = test_support::StreamOf(settings);
  ASSERT_EQ(stream[etx + 1], ComputeLrc(stream.data(), static_cast<std::uint32_t>(etx + 1)));
  ByteString settingsReply = {REPLY_ACK};
  settingsReply.insert(settingsReply.end(), stream.begin(), stream.end());
  ExpectWholeOnlyAtTheEnd(readAll, settingsReply);

  // No known end: a refused query, a wrong check byte, a command of neither direction.
  ByteString badCheck = versionReply;
  badCheck.back() ^= 0x01;
  const ByteString other = {STX, 0x41, 0x22, ETX, 0x60};
  for (const auto& [command, reply] :
       {std::pair{version, ByteString{REPLY_UNKNOWN}}, std::pair{version, badCheck},
        std::pair{other, ByteString{REPLY_ACK}}, std::pair{ByteString{}, ByteString{REPLY_ACK}}}) {
    EXPECT_FALSE(IsWholeReply(command.data(), command.size(), reply.data(), reply.size()));
  }
}

}  // namespace
}  // namespace tessaron
