// Files read and written whole on a POSIX system: the routes of ReplaceFileContents and
// ReadWholeFile (config_file.h) through file descriptors, links and renames.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "core/config_file.h"
#include "core/file_routes.h"

namespace tessaron {

namespace {

// Longest chain of symbolic links followed before the path is taken to loop.
constexpr int MAX_LINK_HOPS = 40;

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

// Makes what was written durable. A file that cannot be synced at all (EINVAL: a device or
// a pipe) has nothing more to make durable.
bool Sync(int fd) { return ::fsync(fd) == 0 || errno == EINVAL; }

// Writes everything and makes it durable.
bool WriteAndSync(int fd, const Byte* bytes, std::size_t count) {
  return WriteAll(fd, bytes, count) && Sync(fd);
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
  return FinishReplacement(
      file, temporaryPath, target, bytes, count, osError,
      Sync,
      [](const std::string& from, const std::string& to) {
        return ::rename(from.c_str(), to.c_str()) == 0;
      });
}

}  // namespace

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
  return ReadOpenFile(file.Get(), stream, static_cast<std::uint64_t>(info.st_size), maxSize, bytes,
                      osError);
}

}  // namespace tessaron
