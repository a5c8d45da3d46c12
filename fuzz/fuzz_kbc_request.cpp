// Feeds the keyboard-controller helper's input through its request reader: frames are cut
// from a socket as the helper reads them, then read as requests and as the helper's replies
// (which the programs read the same way). Whatever a reader takes must be exactly what
// the encoder makes of it again, nothing beyond the limits may pass, and an exchange passes
// only with a whole reader command frame.

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "transport/kbc_protocol.h"

using tessaron::ByteString;
using tessaron::fuzz::Require;

namespace {

// The frame around body, as it came.
ByteString Framed(const ByteString& body) {
  ByteString frame{static_cast<tessaron::Byte>(body.size() & 0xFF),
                   static_cast<tessaron::Byte>(body.size() >> 8)};
  frame.insert(frame.end(), body.begin(), body.end());
  return frame;
}

void CheckBody(const ByteString& body) {
  Require(!body.empty() && body.size() <= tessaron::KBC_MAX_REQUEST_BODY);
  tessaron::KbcRequest request;
  if (tessaron::ParseKbcRequest(body, &request)) {
    Require(request.capacity <= tessaron::KBC_MAX_REPLY);
    // An exchange the helper takes is one whole reader command frame, nothing else.
    Require(request.operation != tessaron::KbcOperation::Exchange ||
            tessaron::IsReaderCommandFrame(request.command.data(),
                                           static_cast<std::uint32_t>(request.command.size())));
    Require(tessaron::EncodeKbcRequest(request) == Framed(body));
  }
  tessaron::KbcReply reply;
  if (tessaron::ParseKbcReply(body, &reply)) {
    Require(reply.reply.size() <= tessaron::KBC_MAX_REPLY);
    Require(reply.detail.size() <= tessaron::KBC_MAX_DETAIL);
    Require(tessaron::EncodeKbcReply(reply) == Framed(body));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Far below the socket's buffer, so that the whole input is written before it is read.
  if (size > 8192) return 0;
  int ends[2];
  Require(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) == 0);
  Require(tessaron::WriteKbcFrame(ends[1], ByteString(data, data + size)));
  ::close(ends[1]);

  tessaron::KbcFrameReader reader(ends[0], tessaron::KBC_MAX_REQUEST_BODY);
  std::size_t frames = 0;
  for (;;) {
    ByteString body;
    const tessaron::KbcFrameReader::Result result = reader.Next(&body);
    if (result == tessaron::KbcFrameReader::Result::Pending) continue;
    if (result != tessaron::KbcFrameReader::Result::Frame) break;
    CheckBody(body);
    Require(++frames <= size / 3);  // every frame takes its two length bytes and one more
  }
  ::close(ends[0]);
  return 0;
}
