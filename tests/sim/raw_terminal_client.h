#pragma once
// A plain client of a terminal path: open, raw mode, write, read with a deadline.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "core/byte_string.h"

namespace tessaron::sim::test_support {

class RawTerminalClient {
 public:
  explicit RawTerminalClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &tio) == 0) {
      ::cfmakeraw(&tio);
      ::tcsetattr(fd_, TCSANOW, &tio);
    }
  }
  ~RawTerminalClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawTerminalClient(const RawTerminalClient&) = delete;
  RawTerminalClient& operator=(const RawTerminalClient&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  bool Write(const ByteString& bytes) {
    return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // Reads until want bytes arrived, the line hangs up, or silence lasts `silence`.
  ByteString Read(std::size_t want, std::chrono::milliseconds silence = std::chrono::milliseconds(1000)) {
    ByteString got;
    hungUp_ = false;
    while (got.size() < want) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(silence.count())) <= 0) break;
      Byte buffer[256];
      ssize_t n = ::read(fd_, buffer, sizeof(buffer));
      if (n <= 0) {
        hungUp_ = n == 0 || (p.revents & POLLHUP) != 0;
        if (hungUp_ || errno != EAGAIN) break;
        continue;
      }
      got.insert(got.end(), buffer, buffer + n);
    }
    return got;
  }
  bool HungUp() const { return hungUp_; }

 private:
  int fd_ = -1;
  bool hungUp_ = false;
};

}  // namespace tessaron::sim::test_support
