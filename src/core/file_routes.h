#pragma once
// What the file routes of every system share (config_file.h: ReplaceFileContents and
// ReadWholeFile): a file descriptor that closes itself, whole reads and writes on one, the
// name of a new file beside a target, and the reading of an opened file. unistd.h has the
// calls on Linux and, as the C runtime's, on Windows.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
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

// A name beside the target, in the same folder, so that the final rename stays on one file
// system and replaces the target in one step.
inline std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> sequence{0};
  return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(sequence++);
}

// Fills the new file beside target with bytes, makes them durable, closes it and puts it in
// target's place; when any step fails the new file is removed and target stays as it was.
// sync and moveOver are the system's calls: true on success, else false with errno set.
template <typename Sync, typename MoveOver>
ConfigFileStatus FinishReplacement(FileDescriptor& file, const std::string& temporaryPath,
                                   const std::string& target, const Byte* bytes,
                                   std::size_t count, int* osError, Sync sync,
                                   MoveOver moveOver) {
  int error = 0;
  if (!WriteAll(file.Get(), bytes, count) || !sync(file.Get())) error = errno;
  if (!file.Close() && error == 0) error = errno;
  if (error == 0 && !moveOver(temporaryPath, target)) error = errno;
  if (error != 0) {
    ::unlink(temporaryPath.c_str());
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
