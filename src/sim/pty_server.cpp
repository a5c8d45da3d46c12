#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <system_error>

namespace tessaron::sim {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long one wait for client bytes lasts before the server looks at its state again.
constexpr int POLL_SLICE_MS = 50;
// Pause before looking again while no client has the terminal open.
constexpr int NO_CLIENT_RETRY_MS = 10;
// A client that does not take reply bytes gets this long before they are dropped.
constexpr milliseconds WRITE_LIMIT{2000};
// Before a hang-up the server waits this long at most for the client to read what was sent,
// since closing the terminal discards whatever the client has not read yet.
constexpr milliseconds DRAIN_LIMIT{3000};
// Time the terminal takes at most to queue written bytes for the client.
constexpr milliseconds ARRIVAL_LIMIT{100};
// Pending bytes beyond this cannot be a frame the reader would take.
constexpr std::size_t MAX_PENDING = 8192;

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

int MillisUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1000000));
}

// Raw mode for the terminal side: no byte is changed, echoed or held back.
void MakeRaw(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return;
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  ::tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace

struct PtyServer::State {
  State(SimulatedReader& r, PtyServerOptions o) : reader(r), options(std::move(o)) {}

  SimulatedReader& reader;
  mutable std::mutex lock;  // guards options and path
  PtyServerOptions options;
  std::string path;

  // Owned by the serving thread while it runs; by Start and Stop otherwise.
  int master = -1;
  int wake = -1;
  std::thread thread;
  std::atomic<bool> stopping{false};
  std::atomic<bool> hungUp{false};
  std::atomic<std::size_t> bytesSent{0};
  ByteString pending;
  Clock::time_point lastInput;
  bool clientGone = false;

  void Serve();
  // Answers every complete frame in pending; false once serving must end.
  bool ProcessPending();
  // false once serving must end (hang-up or stop).
  bool SendReply(const ByteString& reply, const PtyServerOptions& opts);
  bool WriteAll(const Byte* bytes, std::size_t count);
  void HangUp();
  void WaitForClientToDrain();
  // Sleeps up to ms; true when Stop asked the thread to end.
  bool WaitForStop(int ms);

  PtyServerOptions CurrentOptions() const {
    std::lock_guard<std::mutex> guard(lock);
    return options;
  }
  std::string CurrentPath() const {
    std::lock_guard<std::mutex> guard(lock);
    return path;
  }
};

bool PtyServer::State::WaitForStop(int ms) {
  if (stopping) return true;
  pollfd fd{wake, POLLIN, 0};
  ::poll(&fd, 1, std::max(ms, 0));
  return stopping;
}

void PtyServer::State::Serve() {
  while (!stopping) {
    pollfd fds[2] = {{master, POLLIN, 0}, {wake, POLLIN, 0}};
    int ready = ::poll(fds, 2, POLL_SLICE_MS);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (stopping || (fds[1].revents & POLLIN) != 0) return;

    bool noClient = false;
    if ((fds[0].revents & POLLIN) != 0) {
      Byte buffer[512];
      ssize_t n = ::read(master, buffer, sizeof(buffer));
      if (n > 0) {
        clientGone = false;
        pending.insert(pending.end(), buffer, buffer + n);
        lastInput = Clock::now();
        if (!ProcessPending()) return;
        continue;
      }
      // EIO: the last client closed the terminal side.
      noClient = n == 0 || (errno != EAGAIN && errno != EINTR);
    } else if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
      noClient = true;
    }

    if (noClient) {
      if (!clientGone) {
        // A new client starts afresh: no half frame of the last one, raw mode again.
        clientGone = true;
        pending.clear();
        MakeRaw(master);
      }
      if (WaitForStop(NO_CLIENT_RETRY_MS)) return;
      continue;
    }

    if (!pending.empty() && Clock::now() - lastInput >= CurrentOptions().staleInputAfter) {
      pending.clear();
    }
  }
}

bool PtyServer::State::ProcessPending() {
  for (;;) {
    const std::size_t garbage =
        SimulatedReader::LeadingGarbageLength(pending.data(), pending.size());
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(garbage));
    const std::size_t frameLength =
        SimulatedReader::CompleteFrameLength(pending.data(), pending.size());
    if (frameLength == 0) break;

    const PtyServerOptions opts = CurrentOptions();
    // On a real line the last byte of the frame arrives this long after its first.
    if (opts.wireByteTime.count() > 0) {
      const auto frameTime = opts.wireByteTime * static_cast<long>(frameLength);
      if (WaitForStop(static_cast<int>(
              std::chrono::duration_cast<std::chrono::milliseconds>(frameTime).count()))) {
        return false;
      }
    }
    if (opts.beforeReply) {
      opts.beforeReply(ByteString(pending.begin(),
                                  pending.begin() + static_cast<std::ptrdiff_t>(frameLength)));
    }
    ByteString reply = opts.useFixedReply
                           ? opts.fixedReply
                           : reader.HandleCommand(pending.data(), frameLength, ReplyStyle::Serial);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(frameLength));
    if (!SendReply(reply, opts)) return false;
  }
  if (pending.size() > MAX_PENDING) pending.clear();
  return true;
}

bool PtyServer::State::SendReply(const ByteString& reply, const PtyServerOptions& opts) {
  std::size_t i = 0;
  const auto start = Clock::now();
  while (i < reply.size()) {
    if (bytesSent >= opts.hangUpAfter) {
      HangUp();
      return false;
    }
    std::size_t chunk = reply.size() - i;
    if (opts.byteGap.count() > 0 || opts.wireByteTime.count() > 0) chunk = 1;
    if (opts.wireByteTime.count() > 0) {
      // Byte i leaves when the bytes before it have had their time on the line.
      const auto due = start + opts.wireByteTime * static_cast<long>(i);
      while (Clock::now() < due) {
        if (stopping) return false;
        std::this_thread::sleep_until(std::min(due, Clock::now() + std::chrono::milliseconds(POLL_SLICE_MS)));
      }
    }
    chunk = std::min(chunk, opts.hangUpAfter - bytesSent);
    if (!WriteAll(reply.data() + i, chunk)) return !stopping;  // client gone: reply dropped
    i += chunk;
    bytesSent += chunk;
    if (opts.byteGap.count() > 0 && i < reply.size()) {
      if (WaitForStop(static_cast<int>(opts.byteGap.count()))) return false;
    }
  }
  if (!reply.empty() && bytesSent >= opts.hangUpAfter) {
    HangUp();
    return false;
  }
  return true;
}

bool PtyServer::State::WriteAll(const Byte* bytes, std::size_t count) {
  const auto deadline = Clock::now() + WRITE_LIMIT;
  while (count > 0) {
    ssize_t n = ::write(master, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    if (stopping || Clock::now() >= deadline) return false;
    pollfd fds[2] = {{master, POLLOUT, 0}, {wake, POLLIN, 0}};
    ::poll(fds, 2, std::min(MillisUntil(deadline), POLL_SLICE_MS));
  }
  return true;
}

void PtyServer::State::WaitForClientToDrain() {
  // Look at the terminal side's input queue through a descriptor of our own; when that
  // cannot be had, give the client a short moment instead.
  int slave = ::open(CurrentPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) {
    WaitForStop(100);
    return;
  }
  // Written bytes reach the terminal side's queue a moment later, not at once: first wait for
  // them to show up there (or to be read already), then for the client to take them.
  const auto start = Clock::now();
  const auto deadline = start + DRAIN_LIMIT;
  bool seen = false;
  for (;;) {
    int queued = 0;
    if (::ioctl(slave, FIONREAD, &queued) != 0) break;
    if (queued > 0) {
      seen = true;
    } else if (seen || Clock::now() - start >= ARRIVAL_LIMIT) {
      break;
    }
    if (Clock::now() >= deadline || WaitForStop(5)) break;
  }
  ::close(slave);
}

void PtyServer::State::HangUp() {
  if (!clientGone) WaitForClientToDrain();
  // Raised before the line goes dead, so whoever sees the hang-up also sees the flag.
  hungUp = true;
  CloseFd(master);
}

PtyServer::PtyServer(SimulatedReader& reader, PtyServerOptions options)
    : state_(std::make_unique<State>(reader, std::move(options))) {}

PtyServer::~PtyServer() { Stop(); }

bool PtyServer::Start() {
  State& s = *state_;
  if (s.thread.joinable()) return true;

  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return false;
  char name[128] = {};
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
      ::ptsname_r(master, name, sizeof(name)) != 0) {
    ::close(master);
    return false;
  }
  MakeRaw(master);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    ::close(master);
    return false;
  }

  s.master = master;
  s.wake = wake;
  s.stopping = false;
  s.hungUp = false;
  s.bytesSent = 0;
  s.pending.clear();
  s.clientGone = false;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    s.path = name;
  }
  try {
    s.thread = std::thread([&s] { s.Serve(); });
  } catch (const std::system_error&) {
    CloseFd(s.master);
    CloseFd(s.wake);
    std::lock_guard<std::mutex> guard(s.lock);
    s.path.clear();
    return false;
  }
  return true;
}

void PtyServer::Stop() {
  State& s = *state_;
  if (s.thread.joinable()) {
    s.stopping = true;
    const std::uint64_t one = 1;
    ssize_t ignored = ::write(s.wake, &one, sizeof(one));
    (void)ignored;
    s.thread.join();
  }
  CloseFd(s.master);
  CloseFd(s.wake);
  std::lock_guard<std::mutex> guard(s.lock);
  s.path.clear();
}

std::string PtyServer::Path() const { return state_->CurrentPath(); }

void PtyServer::SetOptions(const PtyServerOptions& options) {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->options = options;
}

bool PtyServer::HungUp() const { return state_->hungUp; }

std::size_t PtyServer::BytesSent() const { return state_->bytesSent; }

}  // namespace tessaron::sim
