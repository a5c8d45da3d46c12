#pragma once
// What the programs and the keyboard-controller helper tessaron-kbc say to each other over
// their socket. Every message is one frame: its body length (two bytes, low byte first),
// then the body. The helper takes only the three requests below, and an exchange only while
// it holds the keyboard and only of one whole reader command frame (IsReaderCommandFrame);
// anything else ends it. The waits of an exchange are the line's own constants inside the
// helper: a request carries none.
//
//   request body: operation, and for an exchange the reply capacity (two bytes) and the
//                 command frame
//   reply body:   ok (0 or 1), error kind, errno (two bytes), reply length (two bytes),
//                 the reply bytes, then the failure's detail text
//
// The helper's first message is a reply of its own: ok when it holds the port permission,
// else the kind and errno of the refusal.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/byte_string.h"
#include "core/command_frame.h"
#include "core/port_error.h"
#include "transport/transport_timing.h"

namespace tessaron {

enum class KbcOperation : Byte { Seize = 1, Release = 2, Exchange = 3 };

// The line's limits: the longest command frame and reply the programs use, and the longest
// failure detail.
constexpr std::uint32_t KBC_MAX_COMMAND = LONGEST_COMMAND_FRAME;
constexpr std::uint32_t KBC_MAX_REPLY = 1024;
constexpr std::size_t KBC_MAX_DETAIL = 255;
// The longest body of either direction.
constexpr std::size_t KBC_MAX_REQUEST_BODY = 1 + 2 + KBC_MAX_COMMAND;
constexpr std::size_t KBC_MAX_REPLY_BODY = 1 + 1 + 2 + 2 + KBC_MAX_REPLY + KBC_MAX_DETAIL;
// A helper that holds the keyboard and gets no request for this long hands it back and ends,
// so that a program that stops or hangs cannot leave the seat without its keyboard.
constexpr Millis KBC_IDLE_LIMIT{3000};

struct KbcRequest {
  KbcOperation operation = KbcOperation::Exchange;
  std::uint32_t capacity = 0;
  ByteString command;
};

struct KbcReply {
  bool ok = false;
  PortErrorKind kind = PortErrorKind::None;
  int osError = 0;
  ByteString reply;
  std::string detail;
};

// The whole frame (length and body). A capacity above KBC_MAX_REPLY and a detail above
// KBC_MAX_DETAIL are cut to the limit; the command must be within KBC_MAX_COMMAND.
ByteString EncodeKbcRequest(const KbcRequest& request);
ByteString EncodeKbcReply(const KbcReply& reply);

// Read a frame body; false for anything that is not exactly a message within the limits
// (for an exchange: a command that is no reader command frame).
bool ParseKbcRequest(const ByteString& body, KbcRequest* request);
bool ParseKbcReply(const ByteString& body, KbcReply* reply);

// Reads whole frames from a descriptor (a socket or a pipe).
class KbcFrameReader {
 public:
  enum class Result { Frame, End, Broken, Pending };

  KbcFrameReader(int fd, std::size_t maxBody) : fd_(fd), maxBody_(maxBody) {}

  // Frame: body holds the next frame's body. End: the input ended between frames. Broken:
  // the input ended inside a frame, a length was 0 or above maxBody, or reading failed.
  // Pending: the frame is not complete yet (or a signal broke off the wait); a later call
  // goes on where this one stopped. Each call reads the descriptor at most once, so a call
  // made when poll says there is input never blocks.
  Result Next(ByteString* body);

 private:
  // Reads up to want bytes into buffer_; the result of the read (0 at the end).
  long ReadMore(std::size_t want);

  const int fd_;
  const std::size_t maxBody_;
  ByteString buffer_;
};

// Writes a whole frame; false when the peer has gone. Never raises SIGPIPE on a socket.
bool WriteKbcFrame(int fd, const ByteString& frame);

}  // namespace tessaron
