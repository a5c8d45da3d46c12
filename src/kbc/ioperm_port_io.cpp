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

// Turns the permission for both ports on or off; on failure the errno, and nothing is
// left half granted.
int SetPermission(bool on) {
  const int turnOn = on ? 1 : 0;
  if (ioperm(KBC_DATA_PORT, 1, turnOn) == 0 && ioperm(KBC_STATUS_PORT, 1, turnOn) == 0) return 0;
  const int osError = errno;
  ioperm(KBC_DATA_PORT, 1, 0);
  ioperm(KBC_STATUS_PORT, 1, 0);
  return osError;
}
#endif

}  // namespace

IopermPortIo::~IopermPortIo() { Stop(); }

bool IopermPortIo::Start() {
  if (granted_) return true;
#if TESSARON_HAS_PORT_IO
  lastOsError_ = SetPermission(true);
#else
  lastOsError_ = ENOSYS;
#endif
  granted_ = lastOsError_ == 0;
  return granted_;
}

void IopermPortIo::Stop() {
#if TESSARON_HAS_PORT_IO
  if (granted_) SetPermission(false);
#endif
  granted_ = false;
}

std::uint8_t IopermPortIo::ReadPort(std::uint16_t port) {
#if TESSARON_HAS_PORT_IO
  if (granted_ && IsControllerPort(port)) return inb(port);
#else
  (void)port;
#endif
  return 0xFF;
}

void IopermPortIo::WritePort(std::uint16_t port, std::uint8_t value) {
#if TESSARON_HAS_PORT_IO
  if (granted_ && IsControllerPort(port)) outb(value, port);
#else
  (void)port;
  (void)value;
#endif
}

}  // namespace tessaron
