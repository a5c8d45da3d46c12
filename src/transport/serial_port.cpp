#include "transport/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "core/command_frame.h"
#include "core/reply_end.h"
#include "transport/discovery.h"
#include "transport/port_failure.h"

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

// Blocks until fd has the event or the deadline passes. 0 when the event came,
// ETIMEDOUT when the time ran out, otherwise the errno of a line that failed or hung up.
int WaitFor(int fd, short events, Clock::time_point deadline) {
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

}  // namespace

SerialPort::SerialPort(InterfaceType type, const TransportTiming& timing,
                       std::shared_ptr<DeviceListing> devices)
    : interfaceType_(type == INTERFACE_USB_RS232 ? INTERFACE_USB_RS232 : INTERFACE_RS232),
      timing_(timing.serial),
      fastReplies_(timing.fastReplies),
      devices_(devices ? std::move(devices) : std::make_shared<EmptyDeviceListing>()) {}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(DeviceIndex index) {
  deviceIndex_ = index;
  Close();
  ClearError();
  InterfaceType kind = INTERFACE_UNKNOWN;
  std::string node;
  if (index < 0 || !FindSerialPort(*devices_, index, &kind, &node)) {
    SetError(PortFailure(PortErrorKind::NotPresent, std::string(), 0,
                         "no serial port at position " + std::to_string(index)));
    return false;
  }
  return OpenPath(node);
}

bool SerialPort::OpenPath(const std::string& path) {
  // One piece of work at a time: whatever was open before is given back first.
  Close();
  ClearError();
  if (path.empty()) {
    SetError(PortFailure(PortErrorKind::NotPresent, path, 0, "no port named"));
    return false;
  }

  std::lock_guard<std::mutex> guard(lock_);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // EBUSY: somebody else holds the line with TIOCEXCL.
    SetError(OpenFailure(errno, path));
    return false;
  }
  if (!::isatty(fd)) {
    SetError(PortFailure(PortErrorKind::NotAReader, path, ENOTTY, DescribeNode(fd)));
    ::close(fd);
    return false;
  }

  // Exclusive use: TIOCEXCL keeps others from opening the line (root excepted), the
  // advisory lock keeps out every program that asks first, root or not.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int why = errno;
    // Closed first, so that the search for the holder does not find this process's try.
    ::close(fd);
    SetError(why == EWOULDBLOCK ? BusyFailure(why, path) : OpenFailure(why, path));
    return false;
  }
  struct termios saved {};
  if (::ioctl(fd, TIOCEXCL) != 0 || ::tcgetattr(fd, &saved) != 0) {
    const int why = errno;
    ::close(fd);
    SetError(OpenFailure(why, path));
    return false;
  }

  struct termios line = saved;
  ApplyLineSettings(line);
  if (::tcsetattr(fd, TCSANOW, &line) != 0) {
    SetError(PortFailure(OpenErrorKind(errno), path, errno, "the line settings were refused"));
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
  ClearError();
  if (replyLength == nullptr) {
    SetError(PortFailure(PortErrorKind::Other, path_, 0, "no reply length"));
    return false;
  }
  const std::uint32_t capacity = reply != nullptr ? *replyLength : 0;
  *replyLength = 0;
  if (commandLength < 0 || (commandLength > 0 && command == nullptr)) {
    SetError(PortFailure(PortErrorKind::Other, path_, 0, "no command"));
    return false;
  }

  std::lock_guard<std::mutex> guard(lock_);
  if (fd_ < 0) {
    SetError(PortFailure(PortErrorKind::Other, path_, 0, "the port is not open"));
    return false;
  }
  // Late bytes of an earlier reply must not be taken for this one.
  ::tcflush(fd_, TCIFLUSH);
  const int writeError = WriteCommand(command, static_cast<std::size_t>(commandLength));
  if (writeError != 0) {
    SetError(PortFailure(PortErrorKind::TransferFailed, path_, writeError,
                         writeError == ETIMEDOUT ? "the line did not take the command in time"
                                                 : "the command could not be written"));
    return false;
  }

  // The same pause for every command; whatever the reader answers meanwhile waits in the
  // driver's receive queue. Fast mode reads at once and waits as long for the first byte.
  if (!fastReplies_) std::this_thread::sleep_for(timing_.replyPause);

  int readError = 0;
  const std::uint32_t received =
      ReadReply(command, static_cast<std::size_t>(commandLength), reply, capacity, &readError);
  *replyLength = received;
  const bool acknowledged = received > 0 && reply[0] == REPLY_ACK;
  if (!acknowledged) {
    // A reply of the reader's own (a refusal) is no failure of the line.
    if (readError != 0) {
      SetError(PortFailure(PortErrorKind::TransferFailed, path_, readError,
                           "the reply could not be read"));
    } else if (received == 0) {
      SetError(PortFailure(PortErrorKind::NoReply, path_));
    }
  }
  return acknowledged;
}

int SerialPort::WriteCommand(const Byte* command, std::size_t length) {
  const Clock::time_point deadline = Clock::now() + timing_.writeWait;
  std::size_t written = 0;
  while (written < length) {
    const ssize_t count = ::write(fd_, command + written, length - written);
    if (count > 0) {
      written += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
    const int waitError = WaitFor(fd_, POLLOUT, deadline);
    if (waitError != 0) {
      // Half a frame must not reach the reader later on.
      ::tcflush(fd_, TCOFLUSH);
      return waitError;
    }
  }

  // The write is complete once the bytes have left the driver; lines that keep no count
  // (pseudo-terminals) report an empty queue at once.
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return 0;
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
      ::tcflush(fd_, TCOFLUSH);
      return ETIMEDOUT;
    }
    const auto drainTime = std::chrono::duration_cast<Clock::duration>(CHARACTER_TIME * queued);
    std::this_thread::sleep_for(std::min<Clock::duration>(left, drainTime));
  }
}

std::uint32_t SerialPort::ReadReply(const Byte* command, std::size_t commandLength, Byte* reply,
                                    std::uint32_t capacity, int* readError) {
  std::uint32_t count = 0;
  // A full buffer ends the reply; the rest stays in the driver until the next command
  // flushes it.
  while (count < capacity) {
    const Clock::duration wait = fastReplies_ && count == 0
                                     ? Clock::duration(timing_.replyPause + timing_.perByteWait)
                                     : Clock::duration(timing_.perByteWait);
    const Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
      const int waitError = WaitFor(fd_, POLLIN, deadline);
      if (waitError != 0) {
        // Silence (or a line that went away) ends the reply; anything that arrives later
        // belongs to nobody.
        ::tcflush(fd_, TCIFLUSH);
        if (waitError != ETIMEDOUT) *readError = waitError;
        return count;
      }
      Byte byte = 0;
      const ssize_t got = ::read(fd_, &byte, 1);
      if (got == 1) {
        reply[count++] = byte;
        // A reply can only be whole after its first byte or after the check byte that
        // follows an ETX.
        if (fastReplies_ && (count == 1 || reply[count - 2] == ETX) &&
            IsWholeReply(command, commandLength, reply, count)) {
          return count;
        }
        break;
      }
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
      // End of file or a read error (the reader went away): the reply is what came.
      *readError = got < 0 ? errno : EIO;
      return count;
    }
  }
  return count;
}

}  // namespace tessaron
