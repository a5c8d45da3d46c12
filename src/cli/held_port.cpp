#include "cli/held_port.h"

#include "cli/stop_signals.h"

namespace tessaron {

HeldPort::HeldPort(std::unique_ptr<ReaderPort> inner) : inner_(std::move(inner)) {}

HeldPort::~HeldPort() {
  if (held_) inner_->Close();
}

namespace {

PortError StoppedFailure(const ReaderPort& port) {
  std::string name;
  port.GetPortName(name);
  PortError stopped;
  stopped.kind = PortErrorKind::Stopped;
  stopped.device = name;
  stopped.detail = StopText();
  return stopped;
}

}  // namespace

bool HeldPort::MayStart() {
  if (!StopRequested()) return true;
  NoteLeftUndone();
  SetError(StoppedFailure(*inner_));
  return false;
}

template <typename Call>
bool HeldPort::Opened(Call open) {
  if (held_) return true;
  if (!MayStart()) return false;
  held_ = open();
  SetError(inner_->LastError());
  return held_;
}

bool HeldPort::OpenDevice(DeviceIndex index) {
  return Opened([&] { return inner_->Open(index); });
}

bool HeldPort::OpenDeviceAt(const std::string& path) {
  return Opened([&] { return inner_->OpenPath(path); });
}

HeldPort::Exchanged HeldPort::Exchange(std::span<const Byte> command, std::span<Byte> reply) {
  if (StopRequested()) {
    NoteLeftUndone();
    return Exchanged{0, false, StoppedFailure(*inner_)};
  }
  const PortReply answer = inner_->Transact(command, reply);
  return Exchanged{answer.bytes.size(), answer.ok, answer.failure};
}

std::unique_ptr<ReaderPort> HoldForCommand(std::unique_ptr<ReaderPort> port) {
  if (!port) return port;
  return std::make_unique<HeldPort>(std::move(port));
}

}  // namespace tessaron
