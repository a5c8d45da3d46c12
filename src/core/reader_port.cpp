#include "core/reader_port.h"

#include <algorithm>

#include "core/command_frame.h"
#include "core/firmware.h"

namespace tessaron {

bool ReaderPort::Open(DeviceIndex index) {
  Close();
  ClearError();
  lastIndex_ = index;
  lastPath_.clear();
  open_ = OpenDevice(index);
  return open_;
}

bool ReaderPort::OpenPath(const std::string& path) {
  Close();
  ClearError();
  lastPath_ = path;
  open_ = OpenDeviceAt(path);
  return open_;
}

void ReaderPort::Close() {
  if (!open_) return;
  open_ = false;
  CloseDevice();
}

bool ReaderPort::Reopen() {
  return lastPath_.empty() ? Open(lastIndex_) : OpenPath(lastPath_);
}

PortReply ReaderPort::Transact(std::span<const Byte> command, std::span<Byte> reply) {
  ClearError();
  Exchanged exchanged;
  if (open_) {
    exchanged = Exchange(command, reply);
  } else {
    std::string name;
    exchanged.failure.kind = PortErrorKind::Other;
    exchanged.failure.device = GetPortName(name);
    exchanged.failure.detail = "the port is not open";
  }
  SetError(exchanged.failure);
  // A port never hands out more than the buffer it was given.
  return PortReply{reply.first(std::min(exchanged.received, reply.size())), exchanged.ok,
                   std::move(exchanged.failure)};
}

bool ReaderPort::GetFirmwareVersion(std::string& out) {
  if (versionCache_.empty()) {
    const bool wasOpen = open_;
    if (wasOpen || Reopen()) {
      Byte command[COMMAND_BUFFER_SIZE] = {};
      std::uint32_t commandLength = COMMAND_BUFFER_SIZE;
      Byte reply[VERSION_REPLY_BUFFER_SIZE] = {};
      if (BuildCommandFrame(CMD_GET_FIRMWARE_VERSION, 0, nullptr, command, &commandLength)) {
        const PortReply answer = Transact(std::span(command, commandLength), reply);
        if (answer.ok) versionCache_ = FirmwareVersionText(answer.bytes);
      }
      if (!wasOpen) Close();
    }
  }
  out = versionCache_;
  return !out.empty();
}

}  // namespace tessaron
