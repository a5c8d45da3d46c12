#include "core/reply_end.h"

#include "core/command_frame.h"
#include "core/settings_stream_walker.h"

namespace tessaron {

namespace {

// A settings frame after the acknowledgement: whole once its walk reaches the ETX and the
// right check byte follows.
bool WholeSettingsFrame(const Byte* reply, std::size_t count) {
  std::size_t stx = 0;
  if (!FindSettingsStreamStart(reply, count, &stx)) return false;
  SettingsStreamWalker walker(reply, count, stx);
  StreamStep step;
  while (walker.Next(step)) {
  }
  return step.kind == StreamStepKind::Etx && step.offset + 1 < count &&
         reply[step.offset + 1] == step.expectedCheckByte;
}

// Any other data frame (the version text), after the acknowledgement or without one: the
// first ETX that its check byte follows.
bool WholeDataFrame(const Byte* reply, std::size_t count) {
  const std::size_t stx = reply[0] == REPLY_ACK ? 1 : 0;
  if (count < stx + 3 || reply[stx] != STX) return false;
  for (std::size_t i = stx + 1; i + 1 < count; ++i) {
    if (reply[i] == ETX &&
        reply[i + 1] == ComputeLrc(reply + stx, static_cast<std::uint32_t>(i + 1 - stx))) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsWholeReply(const Byte* command, std::size_t commandLength, const Byte* reply,
                  std::size_t count) {
  if (command == nullptr || reply == nullptr || commandLength < 3 || count == 0) return false;
  switch (command[1]) {
    case DIR_SET:
      return reply[0] == REPLY_ACK || reply[0] == REPLY_UNKNOWN;
    case DIR_READ:
      // A refused query has no known end: the line's own rules end it.
      return command[2] == CMD_READ_SETTINGS ? WholeSettingsFrame(reply, count)
                                             : WholeDataFrame(reply, count);
    default:
      return false;
  }
}

}  // namespace tessaron
