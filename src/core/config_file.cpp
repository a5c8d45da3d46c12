#include "core/config_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
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

// Longest chain of symbolic links followed before the path is taken to loop.
constexpr int MAX_LINK_HOPS = 40;

void SetOsError(int* osError, int value) {
  if (osError != nullptr) *osError = value;
}

ConfigFileStatus WriteFailure(int* osError, int error) {
  SetOsError(osError, error);
  return ConfigFileStatus::WriteFailed;
}

// The descriptor of this process that path names: /proc/self/fd/N, and so /dev/stdout and
// /dev/fd/N, which lead there; -1 for any other path.
int OwnDescriptor(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos) {
    return -1;
  }
  std::error_code error;
  const std::string folder = std::filesystem::canonical(path.parent_path(), error).string();
  if (error) return -1;
  const std::string own = "/proc/" + std::to_string(::getpid());
  const bool descriptors =
      folder == own + "/fd" || (folder.starts_with(own + "/task/") && folder.ends_with("/fd"));
  return descriptors ? std::stoi(name) : -1;
}

// The file that path names once every symbolic link at its end has been followed; a link to a
// file that does not exist yet names that file. A link to a descriptor this process holds
// open is not followed to the name it shows (which may be no path at all, "pipe:[123]"):
// descriptor receives its number instead. False, with errno set, for a chain of links that
// does not end (ELOOP) or a link that cannot be read.
bool FollowLinks(const std::string& path, std::string* target, int* descriptor) {
  namespace fs = std::filesystem;
  *descriptor = -1;
  fs::path current(path);
  for (int hop = 0; hop < MAX_LINK_HOPS; ++hop) {
    struct stat info{};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current.string();
      return true;
    }
    if ((*descriptor = OwnDescriptor(current)) >= 0) return true;
    std::error_code error;
    const fs::path link = fs::read_symlink(current, error);
    if (error) {
      errno = error.value();
      return false;
    }
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  errno = ELOOP;
  return false;
}

// Clears O_NONBLOCK, so that reads and writes wait as they do on any stream.
void MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// Writes into a device, a named pipe or a socket as a stream: nothing is truncated, renamed or
// synced. Opened without waiting, so that a serial line does not wait for its carrier; a pipe
// that has no reader yet is opened again and waits for one, as a shell's redirection does.
ConfigFileStatus WriteStream(const std::string& target, const struct stat& info, const Byte* bytes,
                             std::size_t count, int* osError) {
  int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 && errno == ENXIO && S_ISFIFO(info.st_mode)) {
    fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  }
  FileDescriptor file(fd);
  if (!file.Valid()) return WriteFailure(osError, errno);
  MakeBlocking(file.Get());
  if (!WriteAll(file.Get(), bytes, count)) return WriteFailure(osError, errno);
  if (!file.Close()) return WriteFailure(osError, errno);
  return ConfigFileStatus::Ok;
}

// Writes everything and makes it durable. A file that cannot be synced at all (EINVAL: a
// device or a pipe) has nothing more to make durable.
bool WriteAndSync(int fd, const Byte* bytes, std::size_t count) {
  return WriteAll(fd, bytes, count) && (::fsync(fd) == 0 || errno == EINVAL);
}

// A name beside the target, in the same folder, so that the final rename stays on one
// file system and replaces the target in one step.
std::string TemporaryPathFor(const std::string& path) {
  static std::atomic<unsigned> sequence{0};
  return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(sequence++);
}

// Creates a fresh temporary file beside target, to be renamed over it. When it replaces an
// existing file, it takes that file's owner, group and permission bits (the owner first,
// since a change of owner clears the set-id bits); when it cannot, it is removed again and
// the call fails with EPERM, so that the file is written in place and keeps them. A new
// file follows the user's file-creation mask. -1 with errno set on failure.
int CreateReplacement(const std::string& target, const struct stat* existing,
                      std::string& temporaryPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = TemporaryPathFor(target);
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    if (existing == nullptr) return fd;
    struct stat made{};
    const bool sameOwner = ::fstat(fd, &made) == 0 && made.st_uid == existing->st_uid &&
                           made.st_gid == existing->st_gid;
    if ((sameOwner || ::fchown(fd, existing->st_uid, existing->st_gid) == 0) &&
        ::fchmod(fd, existing->st_mode & 07777) == 0) {
      return fd;
    }
    ::close(fd);
    ::unlink(temporaryPath.c_str());
    errno = EPERM;
    return -1;
  }
  errno = EEXIST;
  return -1;
}

// Writes over the contents of the existing file. A failure here can leave the file half
// written, so it is the route only where no file can be made beside it.
ConfigFileStatus SaveInPlace(const std::string& target, const Byte* bytes, std::size_t count,
                             int* osError) {
  // Non-blocking, so that a named pipe without a reader refuses at once instead of hanging.
  FileDescriptor file(::open(target.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC));
  if (!file.Valid()) return WriteFailure(osError, errno);
  if (!WriteAndSync(file.Get(), bytes, count)) return WriteFailure(osError, errno);
  if (!file.Close()) return WriteFailure(osError, errno);
  SetOsError(osError, 0);  // the route tried before this one may have left its cause
  return ConfigFileStatus::Ok;
}

// Writes a new file beside target and renames it over target. folderRefused tells that no
// file could be made beside target for lack of permission.
ConfigFileStatus SaveBeside(const std::string& target, const struct stat* existing,
                            const Byte* bytes, std::size_t count, int* osError,
                            bool* folderRefused) {
  *folderRefused = false;
  std::string temporaryPath;
  FileDescriptor file(CreateReplacement(target, existing, temporaryPath));
  if (!file.Valid()) {
    const int error = errno;
    *folderRefused = error == EACCES || error == EPERM;
    return WriteFailure(osError, error);
  }
  int error = 0;
  if (!WriteAndSync(file.Get(), bytes, count)) error = errno;
  if (!file.Close() && error == 0) error = errno;
  if (error == 0 && ::rename(temporaryPath.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporaryPath.c_str());
    return WriteFailure(osError, error);
  }
  return ConfigFileStatus::Ok;
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
    case ConfigFileStatus::SettingsJson:
      return "a settings file in JSON, not a configuration file";
    case ConfigFileStatus::NotAFile:
      return "not a file, device or pipe that can be written";
  }
  return "unknown status";
}

std::string ConfigFileCause(ConfigFileStatus status, int osError) {
  std::string cause = ConfigFileStatusText(status);
  if (osError != 0) cause += std::string(": ") + std::strerror(osError);
  return cause;
}

ConfigFileStatus ConfigFileContents(const ReaderSettings& settings, ByteString* bytes) {
  FileBuffer buffer{};
  std::memcpy(buffer.data(), CONFIG_FILE_MAGIC, MAGIC_SIZE);
  std::memcpy(buffer.data() + MAGIC_SIZE, CONFIG_FILE_VERSION, VERSION_SIZE);
  std::uint32_t streamLength = CONFIG_FILE_MAX_SIZE - CONFIG_HEADER_SIZE;
  if (!EncodeSettings(settings, buffer.data() + CONFIG_HEADER_SIZE, &streamLength)) {
    return ConfigFileStatus::EncodeFailed;
  }
  bytes->assign(buffer.begin(), buffer.begin() + CONFIG_HEADER_SIZE + streamLength);
  return ConfigFileStatus::Ok;
}

// The header and the stream are built first; only then is anything written. The file is
// replaced through a temporary file and a rename whenever the folder allows it, so a failed
// save never leaves a half-written file behind. The file a symbolic link names is the one
// replaced, so the link stays. Where the folder takes no new file, or the file's owner and
// group could not be kept, an existing file is written in place instead; so is a file that
// other hard links share, since a rename would part them from the new contents.
ConfigFileStatus SaveConfigFileStatus(const ReaderSettings& settings, const std::string& path,
                                      int* osError) {
  SetOsError(osError, 0);
  ByteString bytes;
  const ConfigFileStatus built = ConfigFileContents(settings, &bytes);
  if (built != ConfigFileStatus::Ok) return built;
  return ReplaceFileContents(path, bytes.data(), bytes.size(), osError);
}

ConfigFileStatus ReplaceFileContents(const std::string& path, const Byte* bytes, std::size_t size,
                                     int* osError) {
  SetOsError(osError, 0);
  if (path.empty()) return WriteFailure(osError, ENOENT);

  std::string target;
  int descriptor = -1;
  if (!FollowLinks(path, &target, &descriptor)) return WriteFailure(osError, errno);
  if (descriptor >= 0) {
    return WriteAll(descriptor, bytes, size) ? ConfigFileStatus::Ok : WriteFailure(osError, errno);
  }
  struct stat existing{};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return WriteFailure(osError, EISDIR);
  // A device, a pipe or a socket is written into; renaming a file over it would replace it.
  if (exists && (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode) ||
                 S_ISSOCK(existing.st_mode))) {
    return WriteStream(target, existing, bytes, size, osError);
  }
  if (exists && !S_ISREG(existing.st_mode)) return ConfigFileStatus::NotAFile;
  // A file this user may not write is refused, as writing it would be; renaming over it
  // would otherwise replace a file its owner has protected.
  if (exists && ::access(target.c_str(), W_OK) != 0) return WriteFailure(osError, errno);
  if (exists && existing.st_nlink > 1) return SaveInPlace(target, bytes, size, osError);

  bool folderRefused = false;
  const ConfigFileStatus status =
      SaveBeside(target, exists ? &existing : nullptr, bytes, size, osError, &folderRefused);
  if (status != ConfigFileStatus::Ok && folderRefused && exists) {
    return SaveInPlace(target, bytes, size, osError);
  }
  return status;
}

// Opened for reading only, so a read-only file loads; without waiting, so that opening a named
// pipe that has no writer cannot hang (it reads as empty).
ConfigFileStatus ReadWholeFile(const std::string& path, std::size_t maxSize, ByteString* bytes,
                               int* osError) {
  SetOsError(osError, 0);
  bytes->clear();
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file.Valid()) {
    const int error = errno;
    SetOsError(osError, error);
    return (error == ENOENT || error == ENOTDIR) ? ConfigFileStatus::NotFound
                                                 : ConfigFileStatus::CannotOpen;
  }
  struct stat info{};
  if (::fstat(file.Get(), &info) != 0) {
    SetOsError(osError, errno);
    return ConfigFileStatus::CannotOpen;
  }
  const bool stream = S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode);
  if (!stream && !S_ISREG(info.st_mode)) {
    SetOsError(osError, S_ISDIR(info.st_mode) ? EISDIR : 0);
    return ConfigFileStatus::CannotOpen;
  }
  if (stream) MakeBlocking(file.Get());
  // A stream tells its length only by ending: one byte more than the limit shows it is longer.
  const std::size_t wanted =
      stream ? maxSize + 1 : std::min(static_cast<std::size_t>(info.st_size), maxSize);
  bytes->assign(wanted, 0);
  const ssize_t got = ReadUpTo(file.Get(), bytes->data(), wanted);
  if (got < 0) {
    SetOsError(osError, errno);
    bytes->clear();
    return ConfigFileStatus::ReadFailed;
  }
  bytes->resize(static_cast<std::size_t>(got));
  const std::uint64_t size = stream ? bytes->size() : static_cast<std::uint64_t>(info.st_size);
  if (size == 0) return ConfigFileStatus::Empty;
  if (size > maxSize) {
    bytes->resize(std::min(bytes->size(), maxSize));
    return ConfigFileStatus::TooLarge;
  }
  if (bytes->size() < size) return ConfigFileStatus::ReadFailed;
  return ConfigFileStatus::Ok;
}

bool LooksLikeConfigFile(const ByteString& bytes) {
  return bytes.size() >= MAGIC_SIZE && std::memcmp(bytes.data(), CONFIG_FILE_MAGIC, MAGIC_SIZE) == 0;
}

bool LooksLikeSettingsJson(const ByteString& bytes) {
  for (Byte b : bytes) {
    if (b == '{') return true;
    if (b != ' ' && b != '\t' && b != '\r' && b != '\n') return false;
  }
  return false;
}

ConfigFileStatus LoadConfigFileStatus(ReaderSettings& settings, const std::string& path,
                                      int* osError) {
  ByteString bytes;
  const ConfigFileStatus read = ReadWholeFile(path, CONFIG_FILE_MAX_SIZE, &bytes, osError);
  if (read == ConfigFileStatus::TooLarge && LooksLikeSettingsJson(bytes)) {
    return ConfigFileStatus::SettingsJson;
  }
  if (read != ConfigFileStatus::Ok) return read;
  return DecodeConfigFile(bytes, settings);
}

// The stream is decoded into a copy of the record, which replaces the record only when the
// decode succeeds: a failed load leaves nothing half-filled behind for a later save or write
// to pass on.
ConfigFileStatus DecodeConfigFile(const ByteString& bytes, ReaderSettings& settings) {
  if (bytes.empty()) return ConfigFileStatus::Empty;
  if (LooksLikeSettingsJson(bytes)) return ConfigFileStatus::SettingsJson;
  if (bytes.size() > CONFIG_FILE_MAX_SIZE) return ConfigFileStatus::TooLarge;
  // The header and the stream's start are compared in a zero-filled buffer of the largest
  // size, so a file shorter than the header fails the comparisons.
  FileBuffer buffer{};
  std::memcpy(buffer.data(), bytes.data(), bytes.size());
  const std::size_t size = bytes.size();

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
