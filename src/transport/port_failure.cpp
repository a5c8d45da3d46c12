#include "transport/port_failure.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

namespace tessaron {

namespace {

// The same device node: same inode, or the same character device behind another node.
bool SameNode(const struct stat& a, const struct stat& b) {
  if (a.st_dev == b.st_dev && a.st_ino == b.st_ino) return true;
  return S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode) && a.st_rdev == b.st_rdev;
}

bool ParsePid(const char* text, long* pid) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value <= 0) return false;
  *pid = value;
  return true;
}

// The owner of a lock on the node, from the kernel's table of file locks. Each line reads
// "ID: TYPE ADVISORY|MANDATORY READ|WRITE PID MAJOR:MINOR:INODE START END" with the device
// numbers in hexadecimal; lines of processes waiting for a lock carry "->" after the ID.
bool FindLockOwner(const struct stat& node, long* pid) {
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string id, type, mandatory, mode, owner, where;
    fields >> id >> type;
    if (type == "->") continue;
    fields >> mandatory >> mode >> owner >> where;
    unsigned major = 0, minor = 0;
    unsigned long inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%lu", &major, &minor, &inode) != 3) continue;
    if (makedev(major, minor) != node.st_dev || inode != node.st_ino) continue;
    if (ParsePid(owner.c_str(), pid)) return true;  // OFD locks show -1: no owner to name
  }
  return false;
}

// A process that has the node open, by its descriptors in /proc.
bool FindOpener(const struct stat& node, long* pid) {
  DIR* processes = ::opendir("/proc");
  if (processes == nullptr) return false;
  bool found = false;
  while (!found) {
    const dirent* process = ::readdir(processes);
    if (process == nullptr) break;
    long candidate = 0;
    if (!ParsePid(process->d_name, &candidate)) continue;
    const std::string fdFolder = std::string("/proc/") + process->d_name + "/fd";
    DIR* descriptors = ::opendir(fdFolder.c_str());
    if (descriptors == nullptr) continue;  // gone, or another user's process
    while (const dirent* descriptor = ::readdir(descriptors)) {
      if (descriptor->d_name[0] == '.') continue;
      struct stat target {};
      // stat follows the descriptor's link to the file it has open.
      if (::stat((fdFolder + "/" + descriptor->d_name).c_str(), &target) == 0 &&
          SameNode(target, node)) {
        *pid = candidate;
        found = true;
        break;
      }
    }
    ::closedir(descriptors);
  }
  ::closedir(processes);
  return found;
}

std::string CommandName(long pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

}  // namespace

PortErrorKind OpenErrorKind(int osError) {
  switch (osError) {
    case EACCES:
    case EPERM:
      return PortErrorKind::AccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return PortErrorKind::NotPresent;
    case EBUSY:
      return PortErrorKind::Busy;
    default:
      return PortErrorKind::Other;
  }
}

PortError OpenFailure(int osError, const std::string& device) {
  if (OpenErrorKind(osError) == PortErrorKind::Busy) return BusyFailure(osError, device);
  return PortFailure(OpenErrorKind(osError), device, osError);
}

PortError BusyFailure(int osError, const std::string& device) {
  PortError error = PortFailure(PortErrorKind::Busy, device, osError);
  FindDeviceHolder(device, &error.holderPid, &error.holderName);
  return error;
}

bool FindDeviceHolder(const std::string& path, long* pid, std::string* name) {
  long holder = 0;
  struct stat node {};
  if (path.empty() || ::stat(path.c_str(), &node) != 0) return false;
  if (!FindLockOwner(node, &holder) && !FindOpener(node, &holder)) return false;
  if (pid != nullptr) *pid = holder;
  if (name != nullptr) *name = CommandName(holder);
  return true;
}

PortErrorKind DeviceQueryErrorKind(int osError) {
  if (osError == ENOTTY || osError == EINVAL) return PortErrorKind::NotAReader;
  const PortErrorKind kind = OpenErrorKind(osError);
  return kind == PortErrorKind::NotPresent ? kind : PortErrorKind::Other;
}

std::string OsErrorText(int osError) { return osError != 0 ? std::strerror(osError) : ""; }

std::string AccessRemedy(InterfaceType line) {
  if (line == InterfaceType::UsbHid || line == InterfaceType::UsbHidKb) {
    return "install the readers' udev rules (sudo cp build/packaging/70-tessaron-readers.rules "
           "/etc/udev/rules.d/ && sudo udevadm control --reload) and plug the reader in again.";
  }
  return "add your user to the group dialout (sudo adduser $USER dialout) and log in again.";
}

}  // namespace tessaron
