// The Windows side of file_lock.h: no lock is taken. A file there is replaced with MoveFileEx,
// which an open handle on it would keep from working; the check that a file did not change
// before it is written (record_writes.cpp) keeps a change of another run from being lost.

#include "cli/file_lock.h"

namespace tessaron {

FileLock::~FileLock() = default;

FileLock::Result FileLock::Lock(const std::string&, const std::function<void()>&) {
  return Result::NotLockable;
}

}  // namespace tessaron
