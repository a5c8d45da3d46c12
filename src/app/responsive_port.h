#pragma once
// A reader port for the windows: every open, close and exchange of the port it wraps runs
// off the window thread while the windows keep painting (RunWhileWindowsPaint), so that a
// 2.5 s serial exchange or a 3.5 s keyboard-line reply no longer freezes them.

#include <memory>
#include <string>

#include "core/reader_port.h"

namespace tessaron {

class ResponsivePort : public ReaderPort {
 public:
  explicit ResponsivePort(std::unique_ptr<ReaderPort> inner);
  ~ResponsivePort() override;

  void ReleaseDevice() override;
  void SeizeDevice() override;
  InterfaceType GetInterfaceType() const override;
  std::string GetPortName(std::string& out) const override;

 protected:
  bool OpenDevice(DeviceIndex index) override;
  bool OpenDeviceAt(const std::string& path) override;
  void CloseDevice() override;
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override;

 private:
  // Runs one call of the wrapped port off the window thread and takes over its error.
  template <typename Call>
  auto Run(Call call);

  std::unique_ptr<ReaderPort> inner_;
};

// Wraps a port made for the windows.
std::unique_ptr<ReaderPort> MakeResponsive(std::unique_ptr<ReaderPort> port);

}  // namespace tessaron
