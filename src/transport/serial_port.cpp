#include "transport/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "core/command_frame.h"
#include "transport/discovery.h"

namespace tessaron {

namespace {

using Clock = std::chrono::steady_clock;

// Time one character takes on the line at 9600 baud with 8N1 framing (10 bits).
constexpr std::chrono::microseconds CHARACTER_TIME{1042};

// Milliseconds left until deadline, rounded up so that poll never wakes early; 0 when past.
int MillisLeft(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Blocks until fd has the event or the deadline passes. True when the event came.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, MillisLeft(deadline));
    if (ready > 0) return (entry.revents & events) != 0;
    if (ready < 0 && errno != EINTR) return false;
    if (ready == 0 && Clock::now() >= deadline) return false;
  }
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

}  // namespace

SerialPort::SerialPort(InterfaceType type, const TransportTiming& timing)
    : interfaceType_(type == INTERFACE_USB_RS232 ? INTERFACE_USB_RS232 : INTERFACE_RS232),
      timing_(timing.serial) {}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(DeviceIndex index) {
  deviceIndex_ = index;
  Close();
  if (index < 0) return false;
  InterfaceType kind = INTERFACE_UNKNOWN;
  std::string node;
  if (!FindSerialPort(index, &kind, &node)) return false;
  return OpenPath(node);
}

bool SerialPort::OpenPath(const std::string& path) {
  // One piece of work at a time: whatever was open before is given back first.
  Close();
  if (path.empty()) return false;

  std::lock_guard<std::mutex> guard(lock_);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;

  struct termios saved {};
  // Exclusive use: TIOCEXCL keeps others from opening the line (root excepted), the
  // advisory lock keeps out every program that asks first, root or not.
  if (!::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0 ||
      ::tcgetattr(fd, &saved) != 0) {
    ::close(fd);
    return false;
  }

  struct termios line = saved;
  ApplyLineSettings(line);
  if (::tcsetattr(fd, TCSANOW, &line) != 0) {
    ::tcsetattr(fd, TCSANOW, &saved);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return false;
  }
  // DTR and RTS stay low: the reader needs neither. Lines without modem signals (a
  // pseudo-terminal) refuse this, which changes nothing.
  int modemLines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(fd, TIOCMBIC, &modemLines);
  // Nothing left over from an earlier reply or an earlier user of the line.
  ::tcflush(fd, TCIOFLUSH);

  fd_ = fd;
  path_ = path;
  savedSettings_ = saved;
  return true;
}

bool SerialPort::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  if (fd_ >= 0) {
    ::tcsetattr(fd_, TCSANOW, &savedSettings_);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // releases the advisory lock too
    fd_ = -1;
    path_.clear();
  }
  return true;
}

std::string SerialPort::GetPortName(std::string& out) const {
  out = path_;
  return out;
}

bool SerialPort::GetFirmwareVersion(std::string& out) {
  if (TakeCachedVersion(out)) return true;
  if (fd_ < 0 && !Open(deviceIndex_)) return false;

  Byte reply[VERSION_REPLY_BUFFER_SIZE] = {};
  std::uint32_t replyLength = 0;
  bool acknowledged = false;
  SendVersionQuery(reply, &replyLength, &acknowledged);
  Close();
  if (!acknowledged) return false;
  return StoreVersionFromReply(reply, replyLength, out);
}

bool SerialPort::Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                          std::uint32_t* replyLength) {
  if (replyLength == nullptr) return false;
  const std::uint32_t capacity = reply != nullptr ? *replyLength : 0;
  *replyLength = 0;
  if (commandLength < 0 || (commandLength > 0 && command == nullptr)) return false;

  std::lock_guard<std::mutex> guard(lock_);
  if (fd_ < 0) return false;
  if (!WriteCommand(command, static_cast<std::size_t>(commandLength))) return false;

  // The same pause for every command; whatever the reader answers meanwhile waits in the
  // driver's receive queue.
  std::this_thread::sleep_for(timing_.replyPause);

  const std::uint32_t received = ReadReply(reply, capacity);
  *replyLength = received;
  return received > 0 && reply[0] == REPLY_ACK;
}

bool SerialPort::WriteCommand(const Byte* command, std::size_t length) {
  const Clock::time_point deadline = Clock::now() + timing_.writeWait;
  std::size_t written = 0;
  while (written < length) {
    const ssize_t count = ::write(fd_, command + written, length - written);
    if (count > 0) {
      written += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    if (!WaitFor(fd_, POLLOUT, deadline)) {
      // Half a frame must not reach the reader later on.
      ::tcflush(fd_, TCOFLUSH);
      return false;
    }
  }

  // The write is complete once the bytes have left the driver; lines that keep no count
  // (pseudo-terminals) report an empty queue at once.
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
      ::tcflush(fd_, TCOFLUSH);
      return false;
    }
    const auto drainTime = std::chrono::duration_cast<Clock::duration>(CHARACTER_TIME * queued);
    std::this_thread::sleep_for(std::min<Clock::duration>(left, drainTime));
  }
}

std::uint32_t SerialPort::ReadReply(Byte* reply, std::uint32_t capacity) {
  std::uint32_t count = 0;
  // A full buffer ends the reply; the rest stays in the driver until the next open flushes it.
  while (count < capacity) {
    const Clock::time_point deadline = Clock::now() + timing_.perByteWait;
    for (;;) {
      if (!WaitFor(fd_, POLLIN, deadline)) {
        // Silence (or a line that went away) ends the reply; anything that arrives later
        // belongs to nobody.
        ::tcflush(fd_, TCIFLUSH);
        return count;
      }
      Byte byte = 0;
      const ssize_t got = ::read(fd_, &byte, 1);
      if (got == 1) {
        reply[count++] = byte;
        break;
      }
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
      // End of file or a read error (the reader went away): the reply is what came.
      return count;
    }
  }
  return count;
}

}  // namespace tessaron
