#include "transport/keyboard_port.h"

#include <chrono>
#include <thread>

#include "core/command_frame.h"
#include "core/message_sink.h"

namespace tessaron {

namespace {

using Clock = std::chrono::steady_clock;

// The one controller access of the process. It is started by the first Open that needs it
// and stays started (the keyboard transport never stops it) until ShutdownWinIo.
struct ControllerAccess {
  std::mutex lock;
  std::shared_ptr<PortIo> io;
  std::uint64_t factoryGeneration = 0;
  bool winIoInitialised = false;
};

ControllerAccess& Access() {
  static ControllerAccess access;
  return access;
}

// The started access, made and started now when there is none yet (or when it came from
// a factory that has been replaced since). Null when the access cannot be had.
std::shared_ptr<PortIo> StartAccess() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  const std::uint64_t generation = PortIoFactoryGeneration();
  if (access.winIoInitialised && access.factoryGeneration == generation) return access.io;
  if (access.winIoInitialised) access.io->Stop();
  access.io.reset();
  access.winIoInitialised = false;

  std::shared_ptr<PortIo> io = CreatePortIo();
  if (!io || !io->Start()) return nullptr;
  access.io = io;
  access.factoryGeneration = generation;
  access.winIoInitialised = true;
  return io;
}

// The started access, or null; never starts one (handing the keyboard back needs no new
// permission: without one nothing was ever taken over).
std::shared_ptr<PortIo> StartedAccess() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  return access.winIoInitialised ? access.io : nullptr;
}

// Spins on the status register until the controller has taken the last byte written.
bool WaitInputEmpty(PortIo& io, Millis timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    if ((io.ReadPort(KBC_STATUS_PORT) & KBC_STATUS_INPUT_FULL) == 0) return true;
    if (Clock::now() >= deadline) return false;
  }
}

// Spins on the status register until a keyboard-line byte waits at the data port.
// A waiting mouse byte is read and thrown away: it never counts as an answer.
bool WaitOutputFull(PortIo& io, Millis timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const std::uint8_t status = io.ReadPort(KBC_STATUS_PORT);
    if ((status & KBC_STATUS_AUX_DATA) != 0) {
      io.ReadPort(KBC_DATA_PORT);
    } else if ((status & KBC_STATUS_OUTPUT_FULL) != 0) {
      return true;
    }
    if (Clock::now() >= deadline) return false;
  }
}

bool ReadByte(PortIo& io, Millis timeout, Byte* value) {
  if (!WaitOutputFull(io, timeout)) return false;
  *value = io.ReadPort(KBC_DATA_PORT);
  return true;
}

void BusyWait(Millis duration) {
  const Clock::time_point deadline = Clock::now() + duration;
  while (Clock::now() < deadline) {
  }
}

}  // namespace

bool IsKeyboardSetCommand(Byte commandCode) {
  return commandCode == 0x53 || commandCode == 0x50 || commandCode == 0x51 || commandCode == 0x4D;
}

bool KeyboardReplyRecogniser::Feed(Byte value) {
  switch (mode_) {
    case BETWEEN_FIELDS:
      lastBetweenFields_ = value;
      if (value == STX) break;
      if (value == ETX) {
        // Only the LRC follows; the end is reached with it, not with the ETX.
        counter_ = 1;
        mode_ = COUNTING;
        return false;
      }
      if (!versionReply_) mode_ = LENGTH_EXPECTED;
      break;
    case LENGTH_EXPECTED:
      counter_ = value;
      mode_ = counter_ != 0 ? COUNTING : BETWEEN_FIELDS;
      break;
    case COUNTING:
      if (counter_ > 0) --counter_;
      if (counter_ == 0) mode_ = BETWEEN_FIELDS;
      break;
  }
  return lastBetweenFields_ == ETX && counter_ == 0;
}

KeyboardPort::KeyboardPort(const TransportTiming& timing) : timing_(timing.keyboard) {}

KeyboardPort::~KeyboardPort() { Close(); }

bool KeyboardPort::GetFirmwareVersion(std::string& out) {
  if (TakeCachedVersion(out)) return true;
  // The caller has opened the port. Whatever Transact says, the reply bytes decide.
  Byte reply[VERSION_REPLY_BUFFER_SIZE] = {};
  std::uint32_t replyLength = VERSION_REPLY_BUFFER_SIZE;
  bool transactOk = false;
  SendVersionQuery(reply, &replyLength, &transactOk);
  return StoreVersionFromReply(reply, replyLength, out);
}

bool KeyboardPort::Open(DeviceIndex /*index*/) {
  if (!StartAccess()) {
    ShowPlatformMessage(KEYBOARD_ACCESS_FAILED_TEXT, KEYBOARD_ACCESS_FAILED_CAPTION);
    return false;
  }
  opened_ = 1;
  SeizeDevice();
  return true;
}

bool KeyboardPort::OpenPath(const std::string& /*path*/) { return Open(0); }

bool KeyboardPort::Close() {
  ReleaseDevice();
  return true;
}

void KeyboardPort::ReleaseDevice() { WriteCommandByte(KBC_COMMAND_BYTE_RELEASED); }

void KeyboardPort::SeizeDevice() { WriteCommandByte(KBC_COMMAND_BYTE_SEIZED); }

std::string KeyboardPort::GetPortName(std::string& out) const {
  out = "PS/2 Keyboard port";
  return out;
}

void KeyboardPort::WriteCommandByte(Byte commandByte) {
  std::lock_guard<std::mutex> guard(lock_);
  const std::shared_ptr<PortIo> io = StartedAccess();
  if (!io) return;
  // The writes happen even when the controller stays busy past the wait.
  WaitInputEmpty(*io, timing_.byteWait);
  io->WritePort(KBC_STATUS_PORT, KBC_WRITE_COMMAND_BYTE);
  WaitInputEmpty(*io, timing_.byteWait);
  io->WritePort(KBC_DATA_PORT, commandByte);
  for (int i = 0; i < KBC_FLUSH_READS; ++i) io->ReadPort(KBC_DATA_PORT);
}

bool KeyboardPort::Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                            std::uint32_t* replyLength) {
  const std::uint32_t capacity = (reply != nullptr && replyLength != nullptr) ? *replyLength : 0;
  if (command == nullptr) commandLength = 0;
  bool result = false;
  {
    std::lock_guard<std::mutex> guard(lock_);
    std::uint32_t received = 0;
    const std::shared_ptr<PortIo> io = StartedAccess();
    if (io) result = TransactLocked(*io, command, commandLength, reply, capacity, &received);
    if (replyLength != nullptr) *replyLength = received;
  }
  std::this_thread::sleep_for(timing_.afterTransaction);
  return result;
}

bool KeyboardPort::TransactLocked(PortIo& io, const Byte* command, std::int32_t commandLength,
                                  Byte* reply, std::uint32_t capacity, std::uint32_t* received) {
  // Bytes beyond the capacity are taken from the line but not stored.
  auto store = [&](Byte value) {
    if (*received < capacity) reply[(*received)++] = value;
  };

  int resends = 0;
  for (std::int32_t i = 0; i < commandLength;) {
    WaitInputEmpty(io, timing_.byteWait);
    io.WritePort(KBC_DATA_PORT, command[i]);
    if (!WaitOutputFull(io, timing_.byteWait)) return false;
    const Byte answer = io.ReadPort(KBC_DATA_PORT);
    if (answer == KEYBOARD_RESEND) {
      if (resends >= KEYBOARD_MAX_RESENDS) return false;
      ++resends;
      continue;
    }
    resends = 0;
    if (answer != KEYBOARD_ACK) return false;
    BusyWait(timing_.ackedBytePause);
    ++i;
  }

  if (commandLength >= 2 && IsKeyboardSetCommand(command[1])) {
    std::this_thread::sleep_for(timing_.setAckPausePerByte * commandLength);
    Byte first = 0;
    if (!ReadByte(io, timing_.setAckWait, &first)) return false;
    store(first);
    if (first == KEYBOARD_ACK) return true;
    if (first != REPLY_UNKNOWN) return false;
    // 0x16: the reader says why in a framed reply.
  }

  const bool versionReply = commandLength >= 3 && command[2] == CMD_GET_FIRMWARE_VERSION;
  KeyboardReplyRecogniser recogniser(versionReply);
  const Clock::time_point deadline = Clock::now() + timing_.replyLimit;
  while (Clock::now() < deadline) {
    Byte value = 0;
    if (!ReadByte(io, timing_.replyByteWait, &value)) continue;
    store(value);
    if (recogniser.Feed(value)) return true;
  }
  return false;
}

bool IsWinIoInitialised() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  return access.winIoInitialised;
}

void ShutdownWinIo() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  if (access.winIoInitialised) access.io->Stop();
  access.io.reset();
  access.winIoInitialised = false;
}

}  // namespace tessaron
