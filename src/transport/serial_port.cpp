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
    : interfaceType_(type == InterfaceType::UsbRs232 ? InterfaceType::UsbRs232 : InterfaceType::Rs232),
      timing_(timing.serial),
      fastReplies_(timing.fastReplies),
      devices_(devices ? std::move(devices) : std::make_shared<EmptyDeviceListing>()) {}

SerialPort::~SerialPort() { CloseDevice(); }

bool SerialPort::OpenDevice(DeviceIndex index) {
  InterfaceType kind = InterfaceType::Unknown;
  std::string node;
  if (index < 0 || !FindSerialPort(*devices_, index, &kind, &node)) {
    SetError(PortFailure(PortErrorKind::NotPresent, std::string(), 0,
                         "no serial port at position " + std::to_string(index)));
    return false;
  }
  return OpenDeviceAt(node);
}

bool SerialPort::OpenDeviceAt(const std::string& path) {
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

void SerialPort::CloseDevice() {
  std::lock_guard<std::mutex> guard(lock_);
  line_.reset();
  path_.clear();
}

std::string SerialPort::GetPortName(std::string& out) const {
  out = path_;
  return out;
}

SerialPort::Exchanged SerialPort::Exchange(std::span<const Byte> command, std::span<Byte> reply) {
  Exchanged result;
  std::lock_guard<std::mutex> guard(lock_);
  if (!line_) {
    result.failure = PortFailure(PortErrorKind::Other, path_, 0, "the port is not open");
    return result;
  }
  // Late bytes of an earlier reply must not be taken for this one.
  line_->DropInput();
  const LineWait written = line_->Write(command.data(), command.size(),
                                        std::chrono::steady_clock::now() + timing_.writeWait);
  if (written != LineWait::Done) {
    result.failure = PortFailure(PortErrorKind::TransferFailed, path_, line_->LastOsError(),
                                 written == LineWait::TimedOut
                                     ? "the line did not take the command in time"
                                     : "the command could not be written");
    return result;
  }

  // The same pause for every command; whatever the reader answers meanwhile waits in the
  // driver's receive queue. Fast mode reads at once and waits as long for the first byte.
  if (!fastReplies_) std::this_thread::sleep_for(timing_.replyPause);

  int readError = 0;
  result.received = ReadReply(command, reply, &readError);
  result.ok = result.received > 0 && reply[0] == REPLY_ACK;
  if (!result.ok) {
    // A reply of the reader's own (a refusal) is no failure of the line.
    if (readError != 0) {
      result.failure = PortFailure(PortErrorKind::TransferFailed, path_, readError,
                                   "the reply could not be read");
    } else if (result.received == 0) {
      result.failure = PortFailure(PortErrorKind::NoReply, path_);
    }
  }
  return result;
}

std::size_t SerialPort::ReadReply(std::span<const Byte> command, std::span<Byte> reply,
                                  int* readError) {
  std::size_t count = 0;
  // A full buffer ends the reply; the rest stays in the driver until the next command
  // flushes it.
  while (count < reply.size()) {
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
        IsWholeReply(command.data(), command.size(), reply.data(), count)) {
      return count;
    }
  }
  return count;
}

}  // namespace tessaron
