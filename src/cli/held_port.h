#pragma once
// A reader port held for the whole of one command: the first open stays until the command is
// done and the port goes, so that reading a reader, writing it and reading it back take one
// open and one lock, and no other program can take the port in between. Once the run has been
// asked to stop (stop_signals.h), the exchange in progress ends and no open or exchange
// starts: each is refused with a failure of its own kind that says so.

#include <memory>
#include <string>

#include "core/reader_port.h"

namespace tessaron {

class HeldPort : public ReaderPort {
 public:
  explicit HeldPort(std::unique_ptr<ReaderPort> inner);
  // Closes the port the command held.
  ~HeldPort() override;

  void ReleaseDevice() override { inner_->ReleaseDevice(); }
  void SeizeDevice() override { inner_->SeizeDevice(); }
  InterfaceType GetInterfaceType() const override { return inner_->GetInterfaceType(); }
  std::string GetPortName(std::string& out) const override { return inner_->GetPortName(out); }

 protected:
  // Opens the device unless the command holds it already.
  bool OpenDevice(DeviceIndex index) override;
  bool OpenDeviceAt(const std::string& path) override;
  // Keeps the device: the port's destruction closes it.
  void CloseDevice() override {}
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override;

 private:
  // False, with the port's error saying so, once the run was asked to stop.
  bool MayStart();
  template <typename Call>
  bool Opened(Call open);

  std::unique_ptr<ReaderPort> inner_;
  bool held_ = false;
};

// Wraps every port the tool makes.
std::unique_ptr<ReaderPort> HoldForCommand(std::unique_ptr<ReaderPort> port);

}  // namespace tessaron
