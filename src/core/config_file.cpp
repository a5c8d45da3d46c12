#include "core/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/command_frame.h"
#include "core/settings_codec.h"

namespace tessaron {

namespace {

constexpr std::size_t MAGIC_SIZE = sizeof(CONFIG_FILE_MAGIC) - 1;
constexpr std::size_t VERSION_SIZE = sizeof(CONFIG_FILE_VERSION) - 1;
static_assert(MAGIC_SIZE + VERSION_SIZE == CONFIG_HEADER_SIZE);

using FileBuffer = std::array<Byte, CONFIG_FILE_MAX_SIZE>;

// Closes a descriptor when it goes out of scope.
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

bool WriteAll(int fd, const Byte* bytes, std::size_t count) {
  while (count > 0) {
    const ssize_t written = ::write(fd, bytes, count);
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

// Reads up to count bytes; returns how many arrived, or -1 on an error.
ssize_t ReadUpTo(int fd, Byte* bytes, std::size_t count) {
  std::size_t total = 0;
  while (total < count) {
    const ssize_t got = ::read(fd, bytes + total, count - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    total += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(total);
}

// A name beside the target, in the same folder, so that the final rename stays on one
// file system and replaces the target in one step.
std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> sequence{0};
  return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(sequence++);
}

// Creates a fresh temporary file beside path. Its permissions follow the file it replaces,
// or the user's file-creation mask for a new file.
int CreateTemporaryFile(const std::string& path, std::string& temporaryPath) {
  struct stat existing{};
  const bool replacing = ::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = TemporaryPathFor(path);
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (replacing) (void)::fchmod(fd, existing.st_mode & 07777);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

const char* ConfigFileStatusText(ConfigFileStatus status) {
  switch (status) {
    case ConfigFileStatus::Ok:
      return "ok";
    case ConfigFileStatus::NotFound:
      return "not found";
    case ConfigFileStatus::CannotOpen:
      return "cannot open";
    case ConfigFileStatus::Empty:
      return "empty";
    case ConfigFileStatus::TooLarge:
      return "too large";
    case ConfigFileStatus::ReadFailed:
      return "read failed";
    case ConfigFileStatus::NotConfigFile:
      return "not a configuration file";
    case ConfigFileStatus::BadStreamStart:
      return "bad stream start";
    case ConfigFileStatus::BadChecksum:
      return "bad check byte";
    case ConfigFileStatus::CutOff:
      return "damaged: the settings end before their end mark";
    case ConfigFileStatus::EncodeFailed:
      return "settings do not fit a settings stream";
    case ConfigFileStatus::WriteFailed:
      return "write failed";
  }
  return "unknown status";
}

// The header and the stream are built first; only then is anything written. The file goes to
// a temporary name beside the target and is renamed over it once complete, so a failed save
// never destroys the file that was there.
ConfigFileStatus SaveConfigFileStatus(const ReaderSettings& settings, const std::string& path) {
  FileBuffer buffer{};
  std::memcpy(buffer.data(), CONFIG_FILE_MAGIC, MAGIC_SIZE);
  std::memcpy(buffer.data() + MAGIC_SIZE, CONFIG_FILE_VERSION, VERSION_SIZE);
  std::uint32_t streamLength = CONFIG_FILE_MAX_SIZE - CONFIG_HEADER_SIZE;
  if (!EncodeSettings(settings, buffer.data() + CONFIG_HEADER_SIZE, &streamLength)) {
    return ConfigFileStatus::EncodeFailed;
  }
  if (path.empty()) return ConfigFileStatus::WriteFailed;

  std::string temporaryPath;
  FileDescriptor file(CreateTemporaryFile(path, temporaryPath));
  if (!file.Valid()) return ConfigFileStatus::WriteFailed;

  const bool written = WriteAll(file.Get(), buffer.data(), CONFIG_HEADER_SIZE + streamLength) &&
                       ::fsync(file.Get()) == 0;
  const bool closed = file.Close();
  if (!written || !closed || ::rename(temporaryPath.c_str(), path.c_str()) != 0) {
    ::unlink(temporaryPath.c_str());
    return ConfigFileStatus::WriteFailed;
  }
  return ConfigFileStatus::Ok;
}

// The file is opened for reading only, so a read-only configuration file loads. The stream is
// decoded into a copy of the record, which replaces the record only when the decode succeeds:
// a failed load leaves nothing half-filled behind for a later save or write to pass on.
ConfigFileStatus LoadConfigFileStatus(ReaderSettings& settings, const std::string& path) {
  // Non-blocking, so that opening a named pipe by mistake cannot hang; it is refused below.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.Valid()) {
    return (errno == ENOENT || errno == ENOTDIR) ? ConfigFileStatus::NotFound
                                                 : ConfigFileStatus::CannotOpen;
  }
  struct stat info{};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return ConfigFileStatus::CannotOpen;
  }
  if (info.st_size == 0) return ConfigFileStatus::Empty;
  if (info.st_size > static_cast<off_t>(CONFIG_FILE_MAX_SIZE)) return ConfigFileStatus::TooLarge;

  const auto size = static_cast<std::size_t>(info.st_size);
  FileBuffer buffer{};
  const ssize_t got = ReadUpTo(file.Get(), buffer.data(), size);
  file.Close();
  if (got < 0 || static_cast<std::size_t>(got) < size) return ConfigFileStatus::ReadFailed;

  // A file shorter than the header leaves zeros in the buffer, which fail the comparisons.
  if (std::memcmp(buffer.data(), CONFIG_FILE_MAGIC, MAGIC_SIZE) != 0 ||
      std::memcmp(buffer.data() + MAGIC_SIZE, CONFIG_FILE_VERSION, VERSION_SIZE) != 0) {
    return ConfigFileStatus::NotConfigFile;
  }
  if (buffer[CONFIG_HEADER_SIZE] != STX || buffer[CONFIG_HEADER_SIZE + 1] != DIR_SET) {
    return ConfigFileStatus::BadStreamStart;
  }
  // Past the two checks above the file holds at least 18 bytes, so the count is positive.
  const auto count = static_cast<std::uint32_t>(size - CONFIG_HEADER_SIZE);
  ReaderSettings loaded(settings);
  switch (DecodeSettingsStatus(buffer.data() + CONFIG_HEADER_SIZE, count, &loaded)) {
    case DecodeStatus::Ok:
      settings = std::move(loaded);
      return ConfigFileStatus::Ok;
    case DecodeStatus::BadChecksum:
      return ConfigFileStatus::BadChecksum;
    case DecodeStatus::CutOff:
      return ConfigFileStatus::CutOff;
    case DecodeStatus::NoStream:
    case DecodeStatus::NoStx:
      break;
  }
  return ConfigFileStatus::BadStreamStart;
}

}  // namespace tessaron
