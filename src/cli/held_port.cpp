#include "cli/held_port.h"

#include "cli/stop_signals.h"
#include "core/command_frame.h"

namespace tessaron {

HeldPort::HeldPort(std::unique_ptr<ReaderPort> inner) : inner_(std::move(inner)) {}

HeldPort::~HeldPort() {
  if (open_) inner_->Close();
}

bool HeldPort::MayStart() {
  if (!StopRequested()) return true;
  NoteLeftUndone();
  std::string name;
  inner_->GetPortName(name);
  PortError stopped;
  stopped.kind = PortErrorKind::Stopped;
  stopped.device = name;
  stopped.detail = StopText();
  SetError(std::move(stopped));
  return false;
}

template <typename Call>
bool HeldPort::Opened(Call open) {
  ClearError();
  if (open_) return true;
  if (!MayStart()) return false;
  open_ = open();
  SetError(inner_->LastError());
  return open_;
}

bool HeldPort::Open(DeviceIndex index) {
  return Opened([&] { return inner_->Open(index); });
}

bool HeldPort::OpenPath(const std::string& path) {
  return Opened([&] { return inner_->OpenPath(path); });
}

bool HeldPort::Close() { return true; }

bool HeldPort::Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                        std::uint32_t* replyLength) {
  ClearError();
  if (!MayStart()) {
    if (replyLength != nullptr) *replyLength = 0;
    return false;
  }
  const bool acknowledged = inner_->Transact(command, commandLength, reply, replyLength);
  SetError(inner_->LastError());
  return acknowledged;
}

bool HeldPort::GetFirmwareVersion(std::string& out) {
  if (TakeCachedVersion(out)) return true;
  // Not open: the port's own steps, which open and close it.
  if (!open_) {
    const bool known = MayStart() && inner_->GetFirmwareVersion(out);
    if (known) versionCache = out;
    if (!StopRequested()) SetError(inner_->LastError());
    return known;
  }
  Byte reply[VERSION_REPLY_BUFFER_SIZE] = {};
  std::uint32_t replyLength = 0;
  bool acknowledged = false;
  SendVersionQuery(reply, &replyLength, &acknowledged);
  // The keyboard line's reply bytes decide whatever its exchange said; the others need an
  // acknowledged exchange.
  if (!acknowledged && GetInterfaceType() != INTERFACE_PS2_KEYBOARD) return false;
  return StoreVersionFromReply(reply, replyLength, out);
}

std::unique_ptr<ReaderPort> HoldForCommand(std::unique_ptr<ReaderPort> port) {
  if (!port) return port;
  return std::make_unique<HeldPort>(std::move(port));
}

}  // namespace tessaron
