#pragma once
// Port access through the kernel's I/O permission bitmap (ioperm, inb, outb).
// Needs root or CAP_SYS_RAWIO and an x86 machine; elsewhere Start always fails. Only the
// helper process tessaron-kbc uses it, from its one thread (the kernel keeps the permission
// per thread).

#include <atomic>
#include <cstdint>

#include "transport/port_io.h"

namespace tessaron {

class IopermPortIo final : public PortIo {
 public:
  IopermPortIo() = default;
  ~IopermPortIo() override;

  // Grants access to the data and status ports to the calling thread.
  bool Start() override;
  // Revokes the access; no more port I/O until the next Start.
  void Stop() override;
  // Only the data and status ports are served; any other port reads 0xFF.
  std::uint8_t ReadPort(std::uint16_t port) override;
  // Only the data and status ports are served; any other port is ignored.
  void WritePort(std::uint16_t port, std::uint8_t value) override;
  // The errno of ioperm when Start was refused (ENOSYS on a machine without I/O ports).
  int LastOsError() const override { return lastOsError_; }

 private:
  // Read by the helper's fault handler too.
  std::atomic<bool> granted_{false};
  std::atomic<int> lastOsError_{0};
};

}  // namespace tessaron
