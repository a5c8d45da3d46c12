#pragma once
// An advisory lock on a settings file for the whole of a read-change-write (set, import,
// load, defaults and clone with --file), so that two runs on the same file take turns and
// neither change is lost. The lock is the system's advisory file lock on the file itself;
// a file that does not exist yet is locked through its folder. Files are replaced by a rename,
// so a lock counts only while the name still leads to the file that was locked: a run that
// waited on a file that was replaced meanwhile locks the new one. Each system has a file of
// its own that defines it.

#include <functional>
#include <string>

namespace tessaron {

class FileLock {
 public:
  enum class Result {
    Locked,       // held until the object goes
    NotLockable,  // a stream, or a file or folder the system takes no lock on: go on unlocked
    Stopped,      // the run was asked to stop while it waited
  };

  FileLock() = default;
  // Releases the lock.
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock on the file at path, waiting while another run holds it; waiting is called
  // once when it has to wait. Gives up when the run is asked to stop (stop_signals.h).
  Result Lock(const std::string& path, const std::function<void()>& waiting);

 private:
  int fd_ = -1;
};

}  // namespace tessaron
