#include "transport/keyboard_port.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/command_frame.h"
#include "transport/port_failure.h"
#include "transport/signal_hand_back.h"

namespace tessaron {

namespace {

using Clock = std::chrono::steady_clock;

// How long the hand-back on a signal waits for an exchange under way to notice it; the
// exchange's waits end at once then, so only a pause already begun can hold it up.
constexpr Millis HAND_BACK_WAIT{1000};
// Pauses inside an exchange are slept in slices this long, so that a hand-back is noticed.
constexpr Millis PAUSE_SLICE{10};

// The one controller access of the process. It is started by the first Open that needs it
// and stays started (the keyboard transport never stops it) until StopControllerAccess. A
// port that brings another port access (a test's simulated controller) replaces it.
struct ControllerAccess {
  std::mutex lock;
  std::shared_ptr<PortIo> io;
  bool started = false;
  // Held for every sequence of port accesses (a command-byte change, a whole exchange), so
  // that the hand-back on a signal never cuts into one. Taken after a port's own lock and
  // before `lock`.
  std::timed_mutex traffic;
  // Set once a signal is ending the program: exchanges stop waiting and no access starts.
  std::atomic<bool> handingBack{false};
};

ControllerAccess& Access() {
  static ControllerAccess access;
  return access;
}

bool HandingBack() { return Access().handingBack.load(); }

void HandBackController();

// The started access, started now with io when there is none yet (or when it is another
// one). Null when the access cannot be had; why then says why.
std::shared_ptr<PortIo> StartAccess(const std::shared_ptr<PortIo>& io, PortError* why) {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  if (access.started && access.io == io) return access.io;
  if (access.started) access.io->Stop();
  access.io.reset();
  access.started = false;
  if (access.handingBack) {
    *why = PortFailure(PortErrorKind::Other, std::string(), 0, "the program is ending");
    return nullptr;
  }

  if (!io) {
    *why = PortFailure(PortErrorKind::NoPortAccess, std::string());
    return nullptr;
  }
  if (!io->Start()) {
    *why = PortFailure(PortErrorKind::NoPortAccess, std::string(), io->LastOsError());
    return nullptr;
  }
  access.io = io;
  access.started = true;
  // From now on the keyboard may be seized: a signal that ends the program gives it back.
  InstallSignalHandBack(&HandBackController);
  return io;
}

// The started access, or null; never starts one (handing the keyboard back needs no new
// permission: without one nothing was ever taken over).
std::shared_ptr<PortIo> StartedAccess() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  return access.started ? access.io : nullptr;
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
// A waiting mouse byte is read and thrown away: it never counts as an answer. Gives up at
// once when a signal is ending the program.
bool WaitOutputFull(PortIo& io, Millis timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const std::uint8_t status = io.ReadPort(KBC_STATUS_PORT);
    if ((status & KBC_STATUS_AUX_DATA) != 0) {
      io.ReadPort(KBC_DATA_PORT);
    } else if ((status & KBC_STATUS_OUTPUT_FULL) != 0) {
      return true;
    }
    if (Clock::now() >= deadline || HandingBack()) return false;
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

// Sleeps for duration, or less when a signal is ending the program.
void Pause(Millis duration) {
  const Clock::time_point deadline = Clock::now() + duration;
  for (;;) {
    const Clock::duration left = deadline - Clock::now();
    if (left <= Clock::duration::zero() || HandingBack()) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(left, PAUSE_SLICE));
  }
}

// Writes a new controller command byte and empties the data port. The writes happen even
// when the controller stays busy past the wait.
void WriteControllerCommandByte(PortIo& io, Byte commandByte, Millis byteWait) {
  WaitInputEmpty(io, byteWait);
  io.WritePort(KBC_STATUS_PORT, KBC_WRITE_COMMAND_BYTE);
  WaitInputEmpty(io, byteWait);
  io.WritePort(KBC_DATA_PORT, commandByte);
  for (int i = 0; i < KBC_FLUSH_READS; ++i) io.ReadPort(KBC_DATA_PORT);
}

// Runs on the hand-back thread when a signal ends the program: lets an exchange under way
// end, gives the keyboard back to the system and drops the port permission.
void HandBackController() {
  ControllerAccess& access = Access();
  access.handingBack = true;
  std::unique_lock<std::timed_mutex> traffic(access.traffic, std::defer_lock);
  // Should the exchange not end in time, the keyboard is given back all the same.
  (void)traffic.try_lock_for(HAND_BACK_WAIT);
  std::shared_ptr<PortIo> io;
  {
    std::lock_guard<std::mutex> guard(access.lock);
    if (access.started) io = access.io;
  }
  if (io) WriteControllerCommandByte(*io, KBC_COMMAND_BYTE_RELEASED, KeyboardTiming{}.byteWait);
  StopControllerAccess();
}

std::string ByteText(Byte value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
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

KeyboardPort::KeyboardPort(const TransportTiming& timing, std::shared_ptr<PortIo> io)
    : timing_(timing.keyboard), io_(std::move(io)) {}

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
  ClearError();
  PortError refusal;
  if (!StartAccess(io_, &refusal)) {
    SetError(std::move(refusal));
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
  out = PS2_PORT_NAME;
  return out;
}

void KeyboardPort::WriteCommandByte(Byte commandByte) {
  std::lock_guard<std::mutex> guard(lock_);
  std::lock_guard<std::timed_mutex> traffic(Access().traffic);
  const std::shared_ptr<PortIo> io = StartedAccess();
  if (!io) return;
  WriteControllerCommandByte(*io, commandByte, timing_.byteWait);
}

bool KeyboardPort::Transact(const Byte* command, std::int32_t commandLength, Byte* reply,
                            std::uint32_t* replyLength) {
  ClearError();
  const std::uint32_t capacity = (reply != nullptr && replyLength != nullptr) ? *replyLength : 0;
  if (command == nullptr) commandLength = 0;
  bool result = false;
  PortError failure;
  {
    std::lock_guard<std::mutex> guard(lock_);
    std::lock_guard<std::timed_mutex> traffic(Access().traffic);
    std::uint32_t received = 0;
    const std::shared_ptr<PortIo> io = StartedAccess();
    if (io) {
      result = TransactLocked(*io, command, commandLength, reply, capacity, &received, &failure);
    } else {
      failure = PortFailure(PortErrorKind::Other, std::string(), 0,
                            "the keyboard controller access is not started");
    }
    if (replyLength != nullptr) *replyLength = received;
  }
  if (!result) SetError(std::move(failure));
  Pause(timing_.afterTransaction);
  return result;
}

bool KeyboardPort::TransactLocked(PortIo& io, const Byte* command, std::int32_t commandLength,
                                  Byte* reply, std::uint32_t capacity, std::uint32_t* received,
                                  PortError* failure) {
  // Bytes beyond the capacity are taken from the line but not stored.
  auto store = [&](Byte value) {
    if (*received < capacity) reply[(*received)++] = value;
  };
  auto fail = [&](PortErrorKind kind, std::string detail = std::string()) {
    *failure = PortFailure(kind, std::string(), 0, std::move(detail));
    return false;
  };

  int resends = 0;
  for (std::int32_t i = 0; i < commandLength;) {
    WaitInputEmpty(io, timing_.byteWait);
    io.WritePort(KBC_DATA_PORT, command[i]);
    if (!WaitOutputFull(io, timing_.byteWait)) return fail(PortErrorKind::NoReply);
    const Byte answer = io.ReadPort(KBC_DATA_PORT);
    if (answer == KEYBOARD_RESEND) {
      if (resends >= KEYBOARD_MAX_RESENDS) {
        return fail(PortErrorKind::TransferFailed, "the line asked for a byte again " +
                                                       std::to_string(resends + 1) + " times");
      }
      ++resends;
      continue;
    }
    resends = 0;
    if (answer != KEYBOARD_ACK) {
      return fail(PortErrorKind::TransferFailed,
                  "the line answered " + ByteText(answer) + " to a command byte");
    }
    BusyWait(timing_.ackedBytePause);
    ++i;
  }

  if (commandLength >= 2 && IsKeyboardSetCommand(command[1])) {
    Pause(timing_.setAckPausePerByte * commandLength);
    Byte first = 0;
    if (!ReadByte(io, timing_.setAckWait, &first)) return fail(PortErrorKind::NoReply);
    store(first);
    if (first == KEYBOARD_ACK) return true;
    // Another answer is the reader's own: the line worked.
    if (first != REPLY_UNKNOWN) return false;
    // 0x16: the reader says why in a framed reply.
  }

  const bool versionReply = commandLength >= 3 && command[2] == CMD_GET_FIRMWARE_VERSION;
  KeyboardReplyRecogniser recogniser(versionReply);
  const Clock::time_point deadline = Clock::now() + timing_.replyLimit;
  while (Clock::now() < deadline && !HandingBack()) {
    Byte value = 0;
    if (!ReadByte(io, timing_.replyByteWait, &value)) continue;
    store(value);
    if (recogniser.Feed(value)) return true;
  }
  if (*received == 0) return fail(PortErrorKind::NoReply);
  return fail(PortErrorKind::TransferFailed,
              "the reply broke off after " + std::to_string(*received) + " bytes");
}

bool IsControllerAccessStarted() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  return access.started;
}

void StopControllerAccess() {
  ControllerAccess& access = Access();
  std::lock_guard<std::mutex> guard(access.lock);
  if (access.started) access.io->Stop();
  access.io.reset();
  access.started = false;
}

}  // namespace tessaron
