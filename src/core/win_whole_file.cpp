// Files read and written whole on Windows: the routes of ReplaceFileContents and
// ReadWholeFile (config_file.h) through the C runtime, in binary mode, and MoveFileExA. The
// error codes are the C runtime's errno values, as on every other system.

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <string>

#include "core/config_file.h"
#include "core/file_routes.h"

namespace tessaron {

namespace {

// The errno value of a system error code of a file call.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return EIO;
  }
}

// Writes into a device (NUL, CON, a COM port) as a stream: nothing is replaced.
ConfigFileStatus WriteStream(const std::string& target, const Byte* bytes, std::size_t count,
                             int* osError) {
  FileDescriptor file(::_open(target.c_str(), _O_WRONLY | _O_BINARY));
  if (!file.Valid()) return WriteFailure(osError, errno);
  if (!WriteAll(file.Get(), bytes, count)) return WriteFailure(osError, errno);
  if (!file.Close()) return WriteFailure(osError, errno);
  return ConfigFileStatus::Ok;
}

// Writes a new file beside target and moves it over target.
ConfigFileStatus SaveBeside(const std::string& target, const Byte* bytes, std::size_t count,
                            int* osError) {
  std::string temporaryPath;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporaryPath = TemporaryNameFor(target);
    fd = ::_open(temporaryPath.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                 _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno != EEXIST) return WriteFailure(osError, errno);
  }
  FileDescriptor file(fd);
  if (!file.Valid()) return WriteFailure(osError, EEXIST);
  return FinishReplacement(
      file, bytes, count, osError, [](int fd) { return ::_commit(fd) == 0; },
      [&] {
        if (::MoveFileExA(temporaryPath.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
          return true;
        }
        errno = ErrnoOf(::GetLastError());
        return false;
      },
      [&] { return ::_unlink(temporaryPath.c_str()) == 0; });
}

}  // namespace

ConfigFileStatus ReplaceFileContents(const std::string& path, const Byte* bytes, std::size_t size,
                                     int* osError) {
  SetOsError(osError, 0);
  if (path.empty()) return WriteFailure(osError, ENOENT);
  struct _stat64 existing {};
  const bool exists = ::_stat64(path.c_str(), &existing) == 0;
  if (exists && (existing.st_mode & _S_IFMT) == _S_IFDIR) return WriteFailure(osError, EISDIR);
  if (exists && (existing.st_mode & _S_IFMT) == _S_IFCHR) {
    return WriteStream(path, bytes, size, osError);
  }
  if (exists && (existing.st_mode & _S_IFMT) != _S_IFREG) return ConfigFileStatus::NotAFile;
  // A read-only file is refused, as writing it would be.
  if (exists && ::_access(path.c_str(), 2) != 0) return WriteFailure(osError, errno);
  return SaveBeside(path, bytes, size, osError);
}

ConfigFileStatus ReadWholeFile(const std::string& path, std::size_t maxSize, ByteString* bytes,
                               int* osError) {
  SetOsError(osError, 0);
  bytes->clear();
  FileDescriptor file(::_open(path.c_str(), _O_RDONLY | _O_BINARY));
  if (!file.Valid()) {
    const int error = errno;
    SetOsError(osError, error);
    return error == ENOENT ? ConfigFileStatus::NotFound : ConfigFileStatus::CannotOpen;
  }
  struct _stat64 info {};
  if (::_fstat64(file.Get(), &info) != 0) {
    SetOsError(osError, errno);
    return ConfigFileStatus::CannotOpen;
  }
  const int type = info.st_mode & _S_IFMT;
  const bool stream = type == _S_IFCHR || type == _S_IFIFO;
  if (!stream && type != _S_IFREG) {
    SetOsError(osError, type == _S_IFDIR ? EISDIR : 0);
    return ConfigFileStatus::CannotOpen;
  }
  return ReadOpenFile(file.Get(), stream, static_cast<std::uint64_t>(info.st_size), maxSize, bytes,
                      osError);
}

}  // namespace tessaron
