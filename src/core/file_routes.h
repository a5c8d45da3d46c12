#pragma once
// What the file routes of every system share (config_file.h: ReplaceFileContents and
// ReadWholeFile): a file descriptor that closes itself, whole reads and writes on one, the
// name of a new file beside a target, and the reading of an opened file. unistd.h has the
// calls on Linux and, as the C runtime's, on Windows.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "core/byte_string.h"
#include "core/config_file.h"

namespace tessaron {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }
  // Closes the descriptor held and takes fd instead.
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  bool Valid() const { return fd_ >= 0; }
  // Closes now; false when the close reports an error (a delayed write failure).
  bool Close() {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

// The most one call moves (the Windows C runtime counts in unsigned int).
constexpr std::size_t FILE_CHUNK = 1 << 20;

// Writes all count bytes; false, with errno set, when a write fails or takes nothing.
inline bool WriteAll(int fd, const Byte* bytes, std::size_t count) {
  while (count > 0) {
    const auto chunk = static_cast<unsigned>(count < FILE_CHUNK ? count : FILE_CHUNK);
    const auto written = ::write(fd, bytes, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

// Reads up to count bytes; returns how many arrived, or -1 (errno set) on an error.
inline std::int64_t ReadUpTo(int fd, Byte* bytes, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    const std::size_t left = count - total;
    const auto got = ::read(fd, bytes + total, static_cast<unsigned>(left < FILE_CHUNK ? left : FILE_CHUNK));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    total += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(total);
}

inline void SetOsError(int* osError, int value) {
  if (osError != nullptr) *osError = value;
}

inline ConfigFileStatus WriteFailure(int* osError, int error) {
  SetOsError(osError, error);
  return ConfigFileStatus::WriteFailed;
}

// The name of a new file beside name (a file name or a whole path), in the same folder, so
// that the final rename stays on one file system and replaces the target in one step. Its
// 64 random bits keep another user from guessing it and putting something in its place.
inline std::string TemporaryNameFor(const std::string& name) {
  std::uint64_t bits = 0;
  try {
    std::random_device random;
    bits = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  } catch (...) {
    // No source of randomness: the clock's finest digits, which are far harder to foresee
    // than a sequence.
    bits = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
  }
  static constexpr char DIGITS[] = "0123456789abcdef";
  std::string suffix(16, '0');
  for (char& digit : suffix) {
    digit = DIGITS[bits & 0xF];
    bits >>= 4;
  }
  return name + ".tmp-" + suffix;
}

// Fills the new file with bytes, makes them durable, closes it and puts it in the target's
// place; when any step fails the new file is removed and the target stays as it was. sync,
// moveOver (the new file over the target) and remove (the new file) are the system's calls:
// true on success, else false with errno set.
template <typename Sync, typename MoveOver, typename Remove>
ConfigFileStatus FinishReplacement(FileDescriptor& file, const Byte* bytes, std::size_t count,
                                   int* osError, Sync sync, MoveOver moveOver, Remove remove) {
  int error = 0;
  if (!WriteAll(file.Get(), bytes, count) || !sync(file.Get())) error = errno;
  if (!file.Close() && error == 0) error = errno;
  if (error == 0 && !moveOver()) error = errno;
  if (error != 0) {
    remove();
    return WriteFailure(osError, error);
  }
  return ConfigFileStatus::Ok;
}

// Reads an opened file whole: a regular file of fileSize bytes up to maxSize of them, or a
// stream up to its end (one byte more than the limit shows it is longer). The statuses are
// those of ReadWholeFile.
inline ConfigFileStatus ReadOpenFile(int fd, bool stream, std::uint64_t fileSize,
                                     std::size_t maxSize, ByteString* bytes, int* osError) {
  const std::size_t wanted =
      stream ? maxSize + 1 : static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, maxSize));
  bytes->assign(wanted, 0);
  const std::int64_t got = ReadUpTo(fd, bytes->data(), wanted);
  if (got < 0) {
    SetOsError(osError, errno);
    bytes->clear();
    return ConfigFileStatus::ReadFailed;
  }
  bytes->resize(static_cast<std::size_t>(got));
  const std::uint64_t size = stream ? bytes->size() : fileSize;
  if (size == 0) return ConfigFileStatus::Empty;
  if (size > maxSize) {
    bytes->resize(std::min(bytes->size(), maxSize));
    return ConfigFileStatus::TooLarge;
  }
  if (bytes->size() < size) return ConfigFileStatus::ReadFailed;
  return ConfigFileStatus::Ok;
}

}  // namespace tessaron
