// SerialLine on a POSIX terminal device (/dev/ttyS0, /dev/ttyUSB0, a pseudo-terminal).

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <thread>

#include "transport/port_failure.h"
#include "transport/serial_line.h"

namespace tessaron {

namespace {

using Clock = std::chrono::steady_clock;

// Time one character takes on the line at 9600 baud with 8N1 framing (10 bits).
constexpr std::chrono::microseconds CHARACTER_TIME{1042};

// Milliseconds left until deadline, rounded up so that poll never wakes early; 0 when past.
int MillisLeft(SteadyTime deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Blocks until fd has the event or the deadline passes. 0 when the event came,
// ETIMEDOUT when the time ran out, otherwise the errno of a line that failed or hung up.
int WaitFor(int fd, short events, SteadyTime deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, MillisLeft(deadline));
    if (ready > 0) {
      if ((entry.revents & events) != 0) return 0;
      return (entry.revents & POLLNVAL) != 0 ? EBADF : EIO;
    }
    if (ready < 0 && errno != EINTR) return errno;
    if (ready == 0 && Clock::now() >= deadline) return ETIMEDOUT;
  }
}

// What a node that is no terminal is, for the message that says it is no reader's port.
std::string DescribeNode(int fd) {
  struct stat node {};
  if (::fstat(fd, &node) != 0) return "no terminal";
  if (S_ISREG(node.st_mode)) return "a regular file";
  if (S_ISDIR(node.st_mode)) return "a directory";
  if (S_ISCHR(node.st_mode)) return "a character device that is no terminal";
  if (S_ISBLK(node.st_mode)) return "a block device";
  if (S_ISFIFO(node.st_mode)) return "a pipe";
  if (S_ISSOCK(node.st_mode)) return "a socket";
  return "no terminal";
}

void ApplyLineSettings(struct termios& settings) {
  ::cfmakeraw(&settings);
  ::cfsetispeed(&settings, B9600);
  ::cfsetospeed(&settings, B9600);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  settings.c_cc[VSTART] = 0x11;
  settings.c_cc[VSTOP] = 0x13;
  // Reads never block on their own: every wait is a poll with its own limit.
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
}

// The lines open in this process, for a signal handler that must give them back before it
// ends the program: a slot is claimed by storing its descriptor, after its saved settings
// are in place, and freed before the line is given back the ordinary way.
struct OpenLineSlot {
  std::atomic<int> fd{-1};
  struct termios saved {};
};
static_assert(std::atomic<int>::is_always_lock_free);
constexpr std::size_t OPEN_LINE_SLOTS = 64;
std::array<OpenLineSlot, OPEN_LINE_SLOTS> openLines;
std::atomic_flag claimingSlot = ATOMIC_FLAG_INIT;

OpenLineSlot* ClaimSlot(int fd, const struct termios& saved) {
  while (claimingSlot.test_and_set()) std::this_thread::yield();
  OpenLineSlot* claimed = nullptr;
  for (OpenLineSlot& slot : openLines) {
    if (slot.fd.load() >= 0) continue;
    slot.saved = saved;
    slot.fd.store(fd);
    claimed = &slot;
    break;
  }
  claimingSlot.clear();
  return claimed;  // null when every slot is taken: only the ordinary way gives it back
}

void GiveBack(int fd, const struct termios& saved) {
  ::tcsetattr(fd, TCSANOW, &saved);
  ::ioctl(fd, TIOCNXCL);
}

class TermiosSerialLine : public SerialLine {
 public:
  TermiosSerialLine(int fd, const struct termios& saved)
      : fd_(fd), saved_(saved), slot_(ClaimSlot(fd, saved)) {}
  ~TermiosSerialLine() override {
    if (slot_ != nullptr) slot_->fd.store(-1);
    GiveBack(fd_, saved_);
    ::close(fd_);  // releases the advisory lock too
  }

  void DropInput() override { ::tcflush(fd_, TCIFLUSH); }

  LineWait Write(const Byte* bytes, std::size_t count, SteadyTime deadline) override {
    std::size_t written = 0;
    while (written < count) {
      const ssize_t done = ::write(fd_, bytes + written, count - written);
      if (done > 0) {
        written += static_cast<std::size_t>(done);
        continue;
      }
      if (done < 0 && errno == EINTR) continue;
      if (done < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Fail(errno);
      const int waitError = WaitFor(fd_, POLLOUT, deadline);
      if (waitError != 0) {
        // Half a frame must not reach the reader later on.
        ::tcflush(fd_, TCOFLUSH);
        return Fail(waitError);
      }
    }
    // The write is complete once the bytes have left the driver; lines that keep no count
    // (pseudo-terminals) report an empty queue at once.
    for (;;) {
      int queued = 0;
      if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return LineWait::Done;
      const auto left = deadline - Clock::now();
      if (left <= Clock::duration::zero()) {
        ::tcflush(fd_, TCOFLUSH);
        return Fail(ETIMEDOUT);
      }
      const auto drainTime = std::chrono::duration_cast<Clock::duration>(CHARACTER_TIME * queued);
      std::this_thread::sleep_for(std::min<Clock::duration>(left, drainTime));
    }
  }

  LineWait ReadByte(Byte* byte, SteadyTime deadline) override {
    for (;;) {
      const int waitError = WaitFor(fd_, POLLIN, deadline);
      if (waitError != 0) return Fail(waitError);
      const ssize_t got = ::read(fd_, byte, 1);
      if (got == 1) return LineWait::Done;
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
      // End of file or a read error: the reader went away.
      return Fail(got < 0 ? errno : EIO);
    }
  }

  int LastOsError() const override { return lastError_; }

 private:
  LineWait Fail(int osError) {
    lastError_ = osError;
    return osError == ETIMEDOUT ? LineWait::TimedOut : LineWait::Failed;
  }

  const int fd_;
  const struct termios saved_;
  OpenLineSlot* const slot_;
  int lastError_ = 0;
};

}  // namespace

bool IsSerialPortName(const std::string&) { return false; }

void ReleaseSerialLinesAtOnce() noexcept {
  for (OpenLineSlot& slot : openLines) {
    const int fd = slot.fd.exchange(-1);
    if (fd < 0) continue;
    GiveBack(fd, slot.saved);
    ::close(fd);
  }
}

std::unique_ptr<SerialLine> OpenSerialLine(const std::string& path, PortError* failure) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // EBUSY: somebody else holds the line with TIOCEXCL.
    *failure = OpenFailure(errno, path);
    return nullptr;
  }
  if (!::isatty(fd)) {
    *failure = PortFailure(PortErrorKind::NotAReader, path, ENOTTY, DescribeNode(fd));
    ::close(fd);
    return nullptr;
  }

  // Exclusive use: TIOCEXCL keeps others from opening the line (root excepted), the
  // advisory lock keeps out every program that asks first, root or not.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int why = errno;
    // Closed first, so that the search for the holder does not find this process's try.
    ::close(fd);
    *failure = why == EWOULDBLOCK ? BusyFailure(why, path) : OpenFailure(why, path);
    return nullptr;
  }
  struct termios saved {};
  if (::ioctl(fd, TIOCEXCL) != 0 || ::tcgetattr(fd, &saved) != 0) {
    const int why = errno;
    ::close(fd);
    *failure = OpenFailure(why, path);
    return nullptr;
  }

  struct termios line = saved;
  ApplyLineSettings(line);
  if (::tcsetattr(fd, TCSANOW, &line) != 0) {
    *failure = PortFailure(OpenErrorKind(errno), path, errno, "the line settings were refused");
    ::tcsetattr(fd, TCSANOW, &saved);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return nullptr;
  }
  // DTR and RTS stay low: the reader needs neither. Lines without modem signals (a
  // pseudo-terminal) refuse this, which changes nothing.
  int modemLines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(fd, TIOCMBIC, &modemLines);
  // Nothing left over from an earlier reply or an earlier user of the line.
  ::tcflush(fd, TCIOFLUSH);
  return std::make_unique<TermiosSerialLine>(fd, saved);
}

}  // namespace tessaron
