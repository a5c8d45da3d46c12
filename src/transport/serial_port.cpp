#include "transport/serial_port.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/command_frame.h"
#include "core/reply_end.h"
#include "transport/discovery.h"
#include "transport/port_failure.h"

namespace tessaron {

SerialPort::SerialPort(InterfaceType type, const TransportTiming& timing,
                       std::shared_ptr<DeviceListing> devices)
    : interfaceType_(type == INTERFACE_USB_RS232 ? INTERFACE_USB_RS232 : INTERFACE_RS232),
      timing_(timing.serial),
      fastReplies_(timing.fastReplies),
      devices_(devices ? std::move(devices) : std::make_shared<EmptyDeviceListing>()) {}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(DeviceIndex index) {
  deviceIndex_ = index;
  Close();
  ClearError();
  InterfaceType kind = INTERFACE_UNKNOWN;
  std::string node;
  if (index < 0 || !FindSerialPort(*devices_, index, &kind, &node)) {
    SetError(PortFailure(PortErrorKind::NotPresent, std::string(), 0,
                         "no serial port at position " + std::to_string(index)));
    return false;
  }
  return OpenPath(node);
}

bool SerialPort::OpenPath(const std::string& path) {
  // One piece of work at a time: whatever was open before is given back first.
  Close();
  ClearError();
  if (path.empty()) {
    SetError(PortFailure(PortErrorKind::NotPresent, path, 0, "no port named"));
    return false;
  }

  std::lock_guard<std::mutex> guard(lock_);
  PortError failure;
  line_ = OpenSerialLine(path, &failure);
  if (!line_) {
    SetError(std::move(failure));
    return false;
  }
  path_ = path;
  return true;
}

bool SerialPort::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  if (line_) {
    line_.reset();
    path_.clear();
  }
  return true;
}

std::string SerialPort::GetPortName(std::string& out) const {
  out = path_;
  return out;
}

bool SerialPort::GetFirmwareVersion(std::string& out) {
  if (TakeCachedVersion(out)) return true;
  if (!line_ && !Open(deviceIndex_)) return false;

  Byte reply[VERSION_REPLY_BUFFER_SIZE] = {};
  std::uint32_t replyLength = 0;
  bool acknowledged = false;
  SendVersionQuery(reply, &replyLength, &acknowledged);
  Close();
  if (!acknowledged) return false;
  return StoreVersionFromReply(reply, replyLength, out);
}

bool SerialPort::Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                          std::uint32_t* replyLength) {
  ClearError();
  if (replyLength == nullptr) {
    SetError(PortFailure(PortErrorKind::Other, path_, 0, "no reply length"));
    return false;
  }
  const std::uint32_t capacity = reply != nullptr ? *replyLength : 0;
  *replyLength = 0;
  if (commandLength < 0 || (commandLength > 0 && command == nullptr)) {
    SetError(PortFailure(PortErrorKind::Other, path_, 0, "no command"));
    return false;
  }

  std::lock_guard<std::mutex> guard(lock_);
  if (!line_) {
    SetError(PortFailure(PortErrorKind::Other, path_, 0, "the port is not open"));
    return false;
  }
  // Late bytes of an earlier reply must not be taken for this one.
  line_->DropInput();
  const LineWait written = line_->Write(command, static_cast<std::size_t>(commandLength),
                                        std::chrono::steady_clock::now() + timing_.writeWait);
  if (written != LineWait::Done) {
    SetError(PortFailure(PortErrorKind::TransferFailed, path_, line_->LastOsError(),
                         written == LineWait::TimedOut ? "the line did not take the command in time"
                                                       : "the command could not be written"));
    return false;
  }

  // The same pause for every command; whatever the reader answers meanwhile waits in the
  // driver's receive queue. Fast mode reads at once and waits as long for the first byte.
  if (!fastReplies_) std::this_thread::sleep_for(timing_.replyPause);

  int readError = 0;
  const std::uint32_t received =
      ReadReply(command, static_cast<std::size_t>(commandLength), reply, capacity, &readError);
  *replyLength = received;
  const bool acknowledged = received > 0 && reply[0] == REPLY_ACK;
  if (!acknowledged) {
    // A reply of the reader's own (a refusal) is no failure of the line.
    if (readError != 0) {
      SetError(PortFailure(PortErrorKind::TransferFailed, path_, readError,
                           "the reply could not be read"));
    } else if (received == 0) {
      SetError(PortFailure(PortErrorKind::NoReply, path_));
    }
  }
  return acknowledged;
}

std::uint32_t SerialPort::ReadReply(const Byte* command, std::size_t commandLength, Byte* reply,
                                    std::uint32_t capacity, int* readError) {
  std::uint32_t count = 0;
  // A full buffer ends the reply; the rest stays in the driver until the next command
  // flushes it.
  while (count < capacity) {
    const Millis wait = fastReplies_ && count == 0 ? timing_.replyPause + timing_.perByteWait
                                                   : timing_.perByteWait;
    Byte byte = 0;
    const LineWait got = line_->ReadByte(&byte, std::chrono::steady_clock::now() + wait);
    if (got != LineWait::Done) {
      // Silence (or a line that went away) ends the reply; anything that arrives later
      // belongs to nobody.
      line_->DropInput();
      if (got == LineWait::Failed) *readError = line_->LastOsError();
      return count;
    }
    reply[count++] = byte;
    // A reply can only be whole after its first byte or after the check byte that follows
    // an ETX.
    if (fastReplies_ && (count == 1 || reply[count - 2] == ETX) &&
        IsWholeReply(command, commandLength, reply, count)) {
      return count;
    }
  }
  return count;
}

}  // namespace tessaron
