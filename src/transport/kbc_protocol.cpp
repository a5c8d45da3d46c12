#include "transport/kbc_protocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/command_text.h"
#include "core/settings_transactions.h"

namespace tessaron {

// Every frame the programs send fits the helper's limit.
static_assert(MANUAL_COMMAND_FRAME_MAX <= KBC_MAX_COMMAND && MAX_SETTINGS_FRAME <= KBC_MAX_COMMAND);

namespace {

constexpr std::size_t REPLY_HEAD = 6;
// Operation and reply capacity.
constexpr std::size_t EXCHANGE_HEAD = 3;

void PutWord(ByteString& out, std::uint32_t value) {
  out.push_back(static_cast<Byte>(value & 0xFF));
  out.push_back(static_cast<Byte>((value >> 8) & 0xFF));
}

std::uint32_t WordAt(const ByteString& in, std::size_t at) {
  return static_cast<std::uint32_t>(in[at]) | (static_cast<std::uint32_t>(in[at + 1]) << 8);
}

// The frame around body: its length first.
ByteString Framed(const ByteString& body) {
  ByteString frame;
  frame.reserve(body.size() + 2);
  PutWord(frame, static_cast<std::uint32_t>(body.size()));
  frame.insert(frame.end(), body.begin(), body.end());
  return frame;
}

}  // namespace

ByteString EncodeKbcRequest(const KbcRequest& request) {
  ByteString body;
  body.push_back(static_cast<Byte>(request.operation));
  if (request.operation == KbcOperation::Exchange) {
    PutWord(body, std::min(request.capacity, KBC_MAX_REPLY));
    body.insert(body.end(), request.command.begin(),
                request.command.begin() +
                    static_cast<std::ptrdiff_t>(std::min<std::size_t>(request.command.size(),
                                                                      KBC_MAX_COMMAND)));
  }
  return Framed(body);
}

bool ParseKbcRequest(const ByteString& body, KbcRequest* request) {
  if (body.empty()) return false;
  KbcRequest parsed;
  parsed.operation = static_cast<KbcOperation>(body[0]);
  if (parsed.operation == KbcOperation::Seize || parsed.operation == KbcOperation::Release) {
    if (body.size() != 1) return false;
  } else if (parsed.operation == KbcOperation::Exchange) {
    if (body.size() < EXCHANGE_HEAD || body.size() > EXCHANGE_HEAD + KBC_MAX_COMMAND) return false;
    parsed.capacity = WordAt(body, 1);
    if (parsed.capacity > KBC_MAX_REPLY) return false;
    parsed.command.assign(body.begin() + EXCHANGE_HEAD, body.end());
    if (!IsReaderCommandFrame(parsed.command.data(),
                              static_cast<std::uint32_t>(parsed.command.size()))) {
      return false;
    }
  } else {
    return false;
  }
  *request = std::move(parsed);
  return true;
}

ByteString EncodeKbcReply(const KbcReply& reply) {
  ByteString body;
  const std::size_t replyLength = std::min<std::size_t>(reply.reply.size(), KBC_MAX_REPLY);
  const std::size_t detailLength = std::min(reply.detail.size(), KBC_MAX_DETAIL);
  body.push_back(reply.ok ? 1 : 0);
  body.push_back(static_cast<Byte>(reply.kind));
  PutWord(body, static_cast<std::uint32_t>(std::clamp(reply.osError, 0, 0xFFFF)));
  PutWord(body, static_cast<std::uint32_t>(replyLength));
  body.insert(body.end(), reply.reply.begin(),
              reply.reply.begin() + static_cast<std::ptrdiff_t>(replyLength));
  body.insert(body.end(), reply.detail.begin(),
              reply.detail.begin() + static_cast<std::ptrdiff_t>(detailLength));
  return Framed(body);
}

bool ParseKbcReply(const ByteString& body, KbcReply* reply) {
  if (body.size() < REPLY_HEAD || body[0] > 1) return false;
  if (body[1] > static_cast<Byte>(PortErrorKind::Other)) return false;
  const std::size_t replyLength = WordAt(body, 4);
  if (replyLength > KBC_MAX_REPLY || body.size() < REPLY_HEAD + replyLength ||
      body.size() > REPLY_HEAD + replyLength + KBC_MAX_DETAIL) {
    return false;
  }
  KbcReply parsed;
  parsed.ok = body[0] == 1;
  parsed.kind = static_cast<PortErrorKind>(body[1]);
  parsed.osError = static_cast<int>(WordAt(body, 2));
  const auto replyEnd = body.begin() + static_cast<std::ptrdiff_t>(REPLY_HEAD + replyLength);
  parsed.reply.assign(body.begin() + REPLY_HEAD, replyEnd);
  parsed.detail.assign(replyEnd, body.end());
  *reply = std::move(parsed);
  return true;
}

long KbcFrameReader::ReadMore(std::size_t want) {
  const std::size_t had = buffer_.size();
  buffer_.resize(had + want);
  const ssize_t got = ::read(fd_, buffer_.data() + had, want);
  buffer_.resize(had + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
  return static_cast<long>(got);
}

KbcFrameReader::Result KbcFrameReader::Next(ByteString* body) {
  for (bool readOnce = false;; readOnce = true) {
    std::size_t want = 2 - std::min<std::size_t>(buffer_.size(), 2);
    if (want == 0) {
      const std::size_t length = WordAt(buffer_, 0);
      if (length == 0 || length > maxBody_) return Result::Broken;
      want = 2 + length - buffer_.size();
      if (want == 0) {
        body->assign(buffer_.begin() + 2, buffer_.end());
        buffer_.clear();
        return Result::Frame;
      }
    }
    if (readOnce) return Result::Pending;
    const long got = ReadMore(want);
    if (got > 0) continue;
    if (got < 0 && errno == EINTR) return Result::Pending;
    return got == 0 && buffer_.empty() ? Result::End : Result::Broken;
  }
}

bool WriteKbcFrame(int fd, const ByteString& frame) {
  std::size_t sent = 0;
  bool socket = true;
  while (sent < frame.size()) {
    const Byte* from = frame.data() + sent;
    const std::size_t left = frame.size() - sent;
    ssize_t written = socket ? ::send(fd, from, left, MSG_NOSIGNAL) : ::write(fd, from, left);
    if (written < 0 && errno == ENOTSOCK && socket) {
      socket = false;
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    sent += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace tessaron
