#include "core/reader_port.h"

#include <cstring>

#include "core/command_frame.h"

namespace tessaron {

bool ReaderPort::TakeCachedVersion(std::string& out) const {
  out.clear();
  if (versionCache.empty()) return false;
  out = versionCache;
  return true;
}

void ReaderPort::SendVersionQuery(Byte* reply, std::uint32_t* replyLength, bool* transactOk) {
  if (transactOk != nullptr) *transactOk = false;
  if (replyLength != nullptr) *replyLength = 0;
  if (reply == nullptr || replyLength == nullptr || transactOk == nullptr) return;

  Byte command[COMMAND_BUFFER_SIZE] = {};
  std::uint32_t commandLength = COMMAND_BUFFER_SIZE;
  if (!BuildCommandFrame(CMD_GET_FIRMWARE_VERSION, 0, nullptr, command, &commandLength)) return;

  std::memset(reply, 0, VERSION_REPLY_BUFFER_SIZE);
  *replyLength = VERSION_REPLY_BUFFER_SIZE;
  *transactOk = Transact(command, static_cast<std::int32_t>(commandLength), reply, replyLength);
  // A port must never report more than the capacity it was given; trust no more than that.
  if (*replyLength > VERSION_REPLY_BUFFER_SIZE) *replyLength = VERSION_REPLY_BUFFER_SIZE;
}

bool ReaderPort::StoreVersionFromReply(const Byte* reply, std::uint32_t replyLength,
                                       std::string& out) {
  // The version text sits between the first STX and the ETX; the last two bytes of a reply
  // (ETX and LRC) never belong to it, even when the ETX is missing.
  if (reply != nullptr && replyLength > 4) {
    std::uint32_t start = 0;
    while (start < replyLength && reply[start] != STX) ++start;
    if (start < replyLength) {
      const std::uint32_t limit = replyLength - 2;
      std::string text;
      for (std::uint32_t i = start + 1; i < limit && reply[i] != ETX; ++i) {
        text.push_back(static_cast<char>(reply[i]));
      }
      if (!text.empty()) versionCache = text;
    }
  }
  out = versionCache;
  return !versionCache.empty();
}

}  // namespace tessaron
