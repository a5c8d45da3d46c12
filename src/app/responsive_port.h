#pragma once
// A reader port for the windows: every open, close and exchange of the port it wraps runs
// off the window thread while the windows keep painting (RunWhileWindowsPaint), so that a
// 2.5 s serial exchange or a 3.5 s keyboard-line reply no longer freezes them.

#include <memory>
#include <string>

#include "core/reader_port.h"
#include "transport/reader_environment.h"

namespace tessaron {

class BusyWindows;
class UiServices;

class ResponsivePort : public ReaderPort {
 public:
  // User input is held off through busy while a call runs.
  ResponsivePort(std::unique_ptr<ReaderPort> inner, BusyWindows& busy);
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
  BusyWindows& busy_;
};

// The readers as the windows reach them: every port made is a ResponsivePort, and what a
// port has to say (the keyboard line's refusal) is shown through ui over the active window,
// from whichever thread it comes. ui outlives every port made.
ReaderEnvironment ReadersForWindows(ReaderEnvironment readers, UiServices& ui);

}  // namespace tessaron
