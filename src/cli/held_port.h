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

  // The version query on the held port, without the close that a port does after it on its
  // own.
  bool GetFirmwareVersion(std::string& out) override;
  // Opens the device unless it is open already.
  bool Open(DeviceIndex index) override;
  bool OpenPath(const std::string& path) override;
  // Keeps the device open: the port's destruction closes it.
  bool Close() override;
  void ReleaseDevice() override { inner_->ReleaseDevice(); }
  void SeizeDevice() override { inner_->SeizeDevice(); }
  bool Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                std::uint32_t* replyLength) override;
  InterfaceType GetInterfaceType() const override { return inner_->GetInterfaceType(); }
  bool IsReady() const override { return inner_->IsReady(); }
  std::string GetPortName(std::string& out) const override { return inner_->GetPortName(out); }

 private:
  // False, with the port's error saying so, once the run was asked to stop.
  bool MayStart();
  template <typename Call>
  bool Opened(Call open);

  std::unique_ptr<ReaderPort> inner_;
  bool open_ = false;
};

// Wraps every port the tool makes.
std::unique_ptr<ReaderPort> HoldForCommand(std::unique_ptr<ReaderPort> port);

}  // namespace tessaron
