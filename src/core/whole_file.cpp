// Files read and written whole on a POSIX system: the routes of ReplaceFileContents and
// ReadWholeFile (config_file.h) through file descriptors, links and renames.
//
// A write never lets another user steer it. The folder of the file is opened once and every
// step works relative to it (openat, renameat, O_NOFOLLOW), so no name is looked up twice.
// The program follows a link at the end of the path itself, and so keeps the kernel's rule
// for links in sticky folders that everyone may write to (/tmp): such a link is followed
// only when it belongs to this user or to the folder's owner. Root, likewise, does not
// replace another user's file there. The new file beside the target has a name no one can
// guess and is readable by its owner alone until it has the target's owner and mode.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>

#include "core/config_file.h"
#include "core/file_routes.h"

namespace tessaron {

namespace {

namespace fs = std::filesystem;

// Longest chain of symbolic links followed before the path is taken to loop.
constexpr int MAX_LINK_HOPS = 40;

// The descriptor of this process that path names: /proc/self/fd/N, and so /dev/stdout and
// /dev/fd/N, which lead there; -1 for any other path.
int OwnDescriptor(const fs::path& path) {
  const std::string name = path.filename().string();
  if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos) {
    return -1;
  }
  std::error_code error;
  const std::string folder = fs::canonical(path.parent_path(), error).string();
  if (error) return -1;
  const std::string own = "/proc/" + std::to_string(::getpid());
  const bool descriptors =
      folder == own + "/fd" || (folder.starts_with(own + "/task/") && folder.ends_with("/fd"));
  return descriptors ? std::stoi(name) : -1;
}

// The last part of a path in its folder, which is opened once: every later step names the
// entry relative to that folder.
struct Entry {
  FileDescriptor folder{-1};
  struct stat folderInfo {};
  std::string name;
};

// Opens the folder of path. False, with errno set, when it cannot be opened, or when path
// names no entry in it ("dir/", "."): EISDIR for a folder, else why it is none.
bool OpenEntry(const fs::path& path, Entry* entry) {
  entry->name = path.filename().string();
  if (entry->name.empty() || entry->name == "." || entry->name == "..") {
    struct stat info{};
    if (::stat(path.c_str(), &info) == 0) errno = S_ISDIR(info.st_mode) ? EISDIR : ENOTDIR;
    return false;
  }
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  // O_PATH: a folder that may be written to but not listed still takes the file.
  entry->folder.Reset(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  return entry->folder.Valid() && ::fstat(entry->folder.Get(), &entry->folderInfo) == 0;
}

// The kernel's rule for sticky folders that everyone may write to: there, a link is followed
// and a file replaced only when it belongs to this user or to the folder's owner.
bool OwnerTrusted(const struct stat& folder, uid_t owner) {
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !shared || owner == ::geteuid() || owner == folder.st_uid;
}

// What the link entry names; false with errno set when it cannot be read.
bool ReadLink(const Entry& entry, fs::path* target) {
  char text[PATH_MAX];
  const ssize_t length = ::readlinkat(entry.folder.Get(), entry.name.c_str(), text, sizeof text);
  if (length < 0) return false;
  if (static_cast<std::size_t>(length) >= sizeof text) {
    errno = ENAMETOOLONG;
    return false;
  }
  *target = fs::path(std::string(text, static_cast<std::size_t>(length)));
  return true;
}

// Opens the entry itself, never a link in its place.
int OpenAt(const Entry& entry, int flags) {
  return ::openat(entry.folder.Get(), entry.name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC);
}

// Clears O_NONBLOCK, so that reads and writes wait as they do on any stream.
void MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

// Writes into a device, a named pipe or a socket as a stream: nothing is truncated, renamed or
// synced. Opened without waiting, so that a serial line does not wait for its carrier; a pipe
// that has no reader yet is opened again and waits for one, as a shell's redirection does.
ConfigFileStatus WriteStream(const Entry& entry, const struct stat& info, const Byte* bytes,
                             std::size_t count, int* osError) {
  int fd = OpenAt(entry, O_WRONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0 && errno == ENXIO && S_ISFIFO(info.st_mode)) fd = OpenAt(entry, O_WRONLY | O_NOCTTY);
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

// Creates a fresh file beside the entry, to be renamed over it. When it replaces an existing
// file, it is made readable by its owner alone and then takes that file's owner, group and
// permission bits (the owner first, since a change of owner clears the set-id bits); when it
// cannot, it is removed again and the call fails with EPERM, so that the file is written in
// place and keeps them. A new file follows the user's file-creation mask. -1 with errno set
// on failure.
int CreateReplacement(const Entry& entry, const struct stat* existing, std::string& temporary) {
  const int folder = entry.folder.Get();
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryNameFor(entry.name);
    const int fd = ::openat(folder, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            existing != nullptr ? 0600 : 0666);
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
    ::unlinkat(folder, temporary.c_str(), 0);
    errno = EPERM;
    return -1;
  }
  errno = EEXIST;
  return -1;
}

// Writes over the contents of the existing file. A failure here can leave the file half
// written, so it is the route only where no file can be made beside it.
ConfigFileStatus SaveInPlace(const Entry& entry, const Byte* bytes, std::size_t count,
                             int* osError) {
  // Non-blocking, so that a named pipe without a reader refuses at once instead of hanging.
  FileDescriptor file(OpenAt(entry, O_WRONLY | O_TRUNC | O_NONBLOCK));
  if (!file.Valid()) return WriteFailure(osError, errno);
  if (!WriteAll(file.Get(), bytes, count) || !Sync(file.Get())) return WriteFailure(osError, errno);
  if (!file.Close()) return WriteFailure(osError, errno);
  SetOsError(osError, 0);  // the route tried before this one may have left its cause
  return ConfigFileStatus::Ok;
}

// Writes a new file beside the entry and renames it over the entry. folderRefused tells that
// no file could be made beside it for lack of permission.
ConfigFileStatus SaveBeside(const Entry& entry, const struct stat* existing, const Byte* bytes,
                            std::size_t count, int* osError, bool* folderRefused) {
  *folderRefused = false;
  std::string temporary;
  FileDescriptor file(CreateReplacement(entry, existing, temporary));
  if (!file.Valid()) {
    const int error = errno;
    *folderRefused = error == EACCES || error == EPERM;
    return WriteFailure(osError, error);
  }
  const int folder = entry.folder.Get();
  return FinishReplacement(
      file, bytes, count, osError, Sync,
      [&] { return ::renameat(folder, temporary.c_str(), folder, entry.name.c_str()) == 0; },
      [&] { return ::unlinkat(folder, temporary.c_str(), 0) == 0; });
}

// Writes the entry, which is no link: a stream into a device or pipe, else a new file
// renamed over it (or, where that cannot be, the file written in place).
ConfigFileStatus WriteEntry(const Entry& entry, const struct stat* existing, const Byte* bytes,
                            std::size_t size, int* osError) {
  if (existing != nullptr) {
    const mode_t type = existing->st_mode;
    if (S_ISDIR(type)) return WriteFailure(osError, EISDIR);
    // A device, a pipe or a socket is written into; renaming a file over it would replace it.
    if (S_ISCHR(type) || S_ISFIFO(type) || S_ISSOCK(type)) {
      return WriteStream(entry, *existing, bytes, size, osError);
    }
    if (!S_ISREG(type)) return ConfigFileStatus::NotAFile;
    if (::geteuid() == 0 && !OwnerTrusted(entry.folderInfo, existing->st_uid)) {
      return ConfigFileStatus::ForeignFile;
    }
    // A file this user may not write is refused, as writing it would be; renaming over it
    // would otherwise replace a file its owner has protected.
    if (::faccessat(entry.folder.Get(), entry.name.c_str(), W_OK, 0) != 0) {
      return WriteFailure(osError, errno);
    }
    if (existing->st_nlink > 1) return SaveInPlace(entry, bytes, size, osError);
  }
  bool folderRefused = false;
  const ConfigFileStatus status = SaveBeside(entry, existing, bytes, size, osError, &folderRefused);
  if (status != ConfigFileStatus::Ok && folderRefused && existing != nullptr) {
    return SaveInPlace(entry, bytes, size, osError);
  }
  return status;
}

}  // namespace

// Every symbolic link at the end of the path is followed here, one at a time, each in its
// own folder; a link to a file that does not exist yet names that file. A link to a
// descriptor this process holds open is not followed to the name it shows (which may be no
// path at all, "pipe:[123]"): the descriptor is written.
ConfigFileStatus ReplaceFileContents(const std::string& path, const Byte* bytes, std::size_t size,
                                     int* osError) {
  SetOsError(osError, 0);
  if (path.empty()) return WriteFailure(osError, ENOENT);
  fs::path current(path);
  for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
    Entry entry;
    if (!OpenEntry(current, &entry)) return WriteFailure(osError, errno);
    struct stat info{};
    if (::fstatat(entry.folder.Get(), entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return WriteFailure(osError, errno);
      return WriteEntry(entry, nullptr, bytes, size, osError);
    }
    if (!S_ISLNK(info.st_mode)) return WriteEntry(entry, &info, bytes, size, osError);
    if (!OwnerTrusted(entry.folderInfo, info.st_uid)) return ConfigFileStatus::ForeignLink;
    if (const int descriptor = OwnDescriptor(current); descriptor >= 0) {
      return WriteAll(descriptor, bytes, size) ? ConfigFileStatus::Ok
                                               : WriteFailure(osError, errno);
    }
    fs::path link;
    if (!ReadLink(entry, &link)) return WriteFailure(osError, errno);
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  return WriteFailure(osError, ELOOP);
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
