#include "kbc/ioperm_port_io.h"

#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define TESSARON_HAS_PORT_IO 1
#else
#define TESSARON_HAS_PORT_IO 0
#endif

namespace tessaron {

namespace {

#if TESSARON_HAS_PORT_IO
bool IsControllerPort(std::uint16_t port) {
  return port == KBC_DATA_PORT || port == KBC_STATUS_PORT;
}

// The kernel keeps the I/O permission per thread; this mirrors it for the calling thread.
thread_local bool grantedInThisThread = false;

// osError receives the errno of a refused request.
bool SetPermission(bool on, int* osError = nullptr) {
  const int turnOn = on ? 1 : 0;
  const bool ok = ioperm(KBC_DATA_PORT, 1, turnOn) == 0 && ioperm(KBC_STATUS_PORT, 1, turnOn) == 0;
  if (!ok && osError != nullptr) *osError = errno;
  if (!on) {
    grantedInThisThread = false;
    return ok;
  }
  if (!ok) {
    // Leave nothing half granted.
    ioperm(KBC_DATA_PORT, 1, 0);
    ioperm(KBC_STATUS_PORT, 1, 0);
  }
  grantedInThisThread = ok;
  return ok;
}

// Makes sure the calling thread may touch the ports before any inb/outb, which would
// otherwise kill the process.
bool EnsureGranted(int* osError = nullptr) {
  return grantedInThisThread || SetPermission(true, osError);
}
#endif

}  // namespace

IopermPortIo::~IopermPortIo() {
  if (started_) Stop();
}

bool IopermPortIo::Start() {
  lastOsError_ = 0;
#if TESSARON_HAS_PORT_IO
  int osError = 0;
  if (!EnsureGranted(&osError)) {
    lastOsError_ = osError;
    return false;
  }
  started_ = true;
  return true;
#else
  lastOsError_ = ENOSYS;
  return false;
#endif
}

void IopermPortIo::Stop() {
  started_ = false;
#if TESSARON_HAS_PORT_IO
  if (grantedInThisThread) SetPermission(false);
#endif
}

std::uint8_t IopermPortIo::ReadPort(std::uint16_t port) {
#if TESSARON_HAS_PORT_IO
  if (started_ && IsControllerPort(port) && EnsureGranted()) return inb(port);
#else
  (void)port;
#endif
  return 0xFF;
}

void IopermPortIo::WritePort(std::uint16_t port, std::uint8_t value) {
#if TESSARON_HAS_PORT_IO
  if (started_ && IsControllerPort(port) && EnsureGranted()) outb(value, port);
#else
  (void)port;
  (void)value;
#endif
}

}  // namespace tessaron
