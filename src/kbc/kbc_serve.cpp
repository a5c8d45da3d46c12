#include "kbc/kbc_serve.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

#include "transport/kbc_protocol.h"

namespace tessaron {

namespace {

// Runs one request; false when it is none the helper takes: no request of the protocol, or
// an exchange while the keyboard is not taken over.
bool Answer(PortIoController& controller, const ByteString& body, KbcReply* answer) {
  KbcRequest request;
  if (!ParseKbcRequest(body, &request)) return false;
  if (request.operation != KbcOperation::Exchange) {
    controller.SetSeized(request.operation == KbcOperation::Seize, KBC_LINE_TIMING);
    answer->ok = true;
    return true;
  }
  if (!controller.Seized()) return false;
  Byte reply[KBC_MAX_REPLY];
  const KeyboardExchange exchange =
      controller.Transact(request.command.data(), static_cast<std::uint32_t>(request.command.size()),
                          reply, request.capacity, KBC_LINE_TIMING);
  answer->ok = exchange.ok;
  answer->kind = exchange.failure.kind;
  answer->osError = exchange.failure.osError;
  answer->detail = exchange.failure.detail;
  answer->reply.assign(reply, reply + exchange.received);
  return true;
}

int Serve(PortIoController& controller, int input, int output, const sigset_t& waiting,
          const std::atomic<int>& ended, Millis idleLimit) {
  KbcFrameReader reader(input, KBC_MAX_REQUEST_BODY);
  using Clock = std::chrono::steady_clock;
  // The keyboard is handed back this long after the last whole request; bytes of a request
  // that does not come whole do not put it off.
  Clock::time_point idleEnd = Clock::now() + idleLimit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(idleEnd - Clock::now());
    if (controller.Seized() && left.count() <= 0) return KBC_EXIT_IDLE;
    const timespec idle{static_cast<time_t>(left.count() / 1000000000),
                        static_cast<long>(left.count() % 1000000000)};
    // The signals are let in only here, atomically with the wait.
    pollfd wait{input, POLLIN, 0};
    const int ready = ::ppoll(&wait, 1, controller.Seized() ? &idle : nullptr, &waiting);
    if (ready < 0 && ended != 0) return KBC_EXIT_INPUT_ENDED;
    if (ready <= 0) continue;  // a signal that ends nothing, or the time is up
    ByteString body;
    switch (reader.Next(&body)) {
      case KbcFrameReader::Result::Pending:
        continue;
      case KbcFrameReader::Result::End:
        return KBC_EXIT_INPUT_ENDED;
      case KbcFrameReader::Result::Broken:
        return KBC_EXIT_WRONG_REQUEST;
      case KbcFrameReader::Result::Frame:
        break;
    }
    KbcReply answer;
    if (!Answer(controller, body, &answer)) return KBC_EXIT_WRONG_REQUEST;
    if (!WriteKbcFrame(output, EncodeKbcReply(answer))) return KBC_EXIT_PEER_GONE;
    idleEnd = Clock::now() + idleLimit;
  }
}

}  // namespace

int ServeKbcRequests(PortIoController& controller, int input, int output,
                     const sigset_t& waiting, const std::atomic<int>& ended, Millis idleLimit) {
  const int status = Serve(controller, input, output, waiting, ended, idleLimit);
  if (controller.Seized()) controller.SetSeized(false, KBC_LINE_TIMING);
  return status;
}

}  // namespace tessaron
