#include "cli/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "cli/stop_signals.h"

namespace tessaron {

namespace {

// How often a run that waits for the lock looks again (and at a stop request).
constexpr std::chrono::milliseconds LOCK_RETRY{25};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

FileLock::Result FileLock::Lock(const std::string& path, const std::function<void()>& waiting) {
  bool told = false;
  for (;;) {
    if (StopRequested()) return Result::Stopped;
    struct stat named {};
    const bool exists = ::stat(path.c_str(), &named) == 0;
    // A device or a pipe is a stream that nobody replaces.
    if (exists && !S_ISREG(named.st_mode)) return Result::NotLockable;
    const int fd = exists ? ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)
                          : ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // What cannot be opened to be read cannot be read either, and the run says so then.
    if (fd < 0) return Result::NotLockable;
    int locked = 0;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 &&
           (errno == EWOULDBLOCK || errno == EINTR)) {
      if (!told && waiting) waiting();
      told = true;
      if (StopRequested()) break;
      std::this_thread::sleep_for(LOCK_RETRY);
    }
    if (locked != 0) {
      ::close(fd);
      return StopRequested() ? Result::Stopped : Result::NotLockable;
    }
    // The lock counts while the name leads to what was locked: the file itself, or for a file
    // that is still missing its folder.
    struct stat held {};
    struct stat now {};
    const bool existsNow = ::stat(path.c_str(), &now) == 0;
    if (::fstat(fd, &held) == 0 && existsNow == exists && (!exists || SameFile(held, now))) {
      fd_ = fd;
      return Result::Locked;
    }
    ::close(fd);
  }
}

}  // namespace tessaron
