#pragma once
// Serves a simulated reader on the serial line through a pseudo-terminal: the client opens
// the terminal's path exactly as it opens a real serial port.

#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "core/byte_string.h"
#include "sim/simulated_reader.h"

namespace tessaron::sim {

struct PtyServerOptions {
  // Pause between two reply bytes (0: the whole reply is written at once).
  std::chrono::milliseconds byteGap{0};
  // The time one byte takes on a real line (about 1042 us at 9600 baud, 10 bits a byte; 0:
  // none, as a pseudo-terminal moves bytes at once). With it, a reader answers a frame only
  // once the frame would have arrived, and sends its reply at that pace.
  std::chrono::microseconds wireByteTime{0};
  // The line goes dead (the reader "disappears") after this many reply bytes were sent.
  std::size_t hangUpAfter = std::numeric_limits<std::size_t>::max();
  // When set, every complete frame is answered with these bytes instead of the reader's reply.
  bool useFixedReply = false;
  ByteString fixedReply{};
  // Bytes of an unfinished frame are thrown away after this much silence from the client, so
  // that a torn or garbled frame cannot swallow the next one.
  std::chrono::milliseconds staleInputAfter{1000};
  // Called on the serving thread with each complete frame before it is answered: what a test
  // does while the client waits for its reply.
  std::function<void(const ByteString& frame)> beforeReply{};
};

class PtyServer {
 public:
  explicit PtyServer(SimulatedReader& reader, PtyServerOptions options = {});
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Opens the pseudo-terminal and starts serving in a thread of its own.
  bool Start();
  // Stops serving and closes the pseudo-terminal.
  void Stop();
  // Path of the terminal side the client opens (e.g. /dev/pts/3); empty before Start and
  // after Stop. It stays the same while the server runs, also after a hang-up.
  std::string Path() const;
  void SetOptions(const PtyServerOptions& options);
  // True once the server made the line go dead after hangUpAfter reply bytes.
  bool HungUp() const;
  // Reply bytes written to the line since Start.
  std::size_t BytesSent() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tessaron::sim
