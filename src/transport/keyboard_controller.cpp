#include "transport/keyboard_controller.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "core/command_frame.h"
#include "transport/port_failure.h"

namespace tessaron {

namespace {

using Clock = std::chrono::steady_clock;

// Pauses inside an exchange are slept in slices this long, so that a stop is noticed.
constexpr Millis PAUSE_SLICE{10};

// Spins on the status register until the controller has taken the last byte written.
bool WaitInputEmpty(PortIo& io, Millis timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    if ((io.ReadPort(KBC_STATUS_PORT) & KBC_STATUS_INPUT_FULL) == 0) return true;
    if (Clock::now() >= deadline) return false;
  }
}

void BusyWait(Millis duration) {
  const Clock::time_point deadline = Clock::now() + duration;
  while (Clock::now() < deadline) {
  }
}

// Sleeps for duration, or less once stop is set.
void Pause(Millis duration, const std::atomic<bool>& stop) {
  const Clock::time_point deadline = Clock::now() + duration;
  for (;;) {
    const Clock::duration left = deadline - Clock::now();
    if (left <= Clock::duration::zero() || stop.load()) return;
    std::this_thread::sleep_for(std::min<Clock::duration>(left, PAUSE_SLICE));
  }
}

std::string ByteText(Byte value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

// wait, or less when the exchange must end at end.
Millis Within(Millis wait, Clock::time_point end) {
  const auto left = std::chrono::duration_cast<Millis>(end - Clock::now());
  return std::clamp(left, Millis(0), wait);
}

KeyboardExchange Failed(std::uint32_t received, PortErrorKind kind,
                        std::string detail = std::string()) {
  return KeyboardExchange{false, received, PortFailure(kind, std::string(), 0, std::move(detail))};
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

bool PortIoController::Start(PortError* why) {
  if (io_->Start()) return true;
  *why = PortFailure(PortErrorKind::NoPortAccess, std::string(), io_->LastOsError());
  return false;
}

void PortIoController::Stop() { io_->Stop(); }

// The writes happen even when the controller stays busy past the wait.
void PortIoController::SetSeized(bool seized, const KeyboardTiming& timing) {
  WaitInputEmpty(*io_, timing.byteWait);
  io_->WritePort(KBC_STATUS_PORT, KBC_WRITE_COMMAND_BYTE);
  WaitInputEmpty(*io_, timing.byteWait);
  io_->WritePort(KBC_DATA_PORT, seized ? KBC_COMMAND_BYTE_SEIZED : KBC_COMMAND_BYTE_RELEASED);
  for (int i = 0; i < KBC_FLUSH_READS; ++i) io_->ReadPort(KBC_DATA_PORT);
  seized_ = seized;
}

void PortIoController::HandBack() {
  SetSeized(false, KeyboardTiming{});
  Stop();
}

// Spins on the status register until a keyboard-line byte waits at the data port.
// A waiting mouse byte is read and thrown away: it never counts as an answer.
bool PortIoController::WaitOutputFull(Millis timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const std::uint8_t status = io_->ReadPort(KBC_STATUS_PORT);
    if ((status & KBC_STATUS_AUX_DATA) != 0) {
      io_->ReadPort(KBC_DATA_PORT);
    } else if ((status & KBC_STATUS_OUTPUT_FULL) != 0) {
      return true;
    }
    if (Clock::now() >= deadline || stop_.load()) return false;
  }
}

bool PortIoController::ReadByte(Millis timeout, Byte* value) {
  if (!WaitOutputFull(timeout)) return false;
  *value = io_->ReadPort(KBC_DATA_PORT);
  return true;
}

KeyboardExchange PortIoController::Transact(const Byte* command, std::uint32_t commandLength,
                                            Byte* reply, std::uint32_t capacity,
                                            const KeyboardTiming& timing) {
  std::uint32_t received = 0;
  auto store = [&](Byte value) {
    if (received < capacity) reply[received++] = value;
  };

  // No exchange outlasts the limit, whatever the line does: a line that keeps asking for
  // bytes again or answers slowly ends it sooner.
  const Clock::time_point end = Clock::now() + timing.exchangeLimit;
  int resends = 0;
  for (std::uint32_t i = 0; i < commandLength;) {
    if (Clock::now() >= end) {
      return Failed(received, PortErrorKind::TransferFailed,
                    "the command was not sent within " +
                        std::to_string(timing.exchangeLimit.count()) + " ms");
    }
    WaitInputEmpty(*io_, timing.byteWait);
    io_->WritePort(KBC_DATA_PORT, command[i]);
    if (!WaitOutputFull(timing.byteWait)) return Failed(received, PortErrorKind::NoReply);
    const Byte answer = io_->ReadPort(KBC_DATA_PORT);
    if (answer == KEYBOARD_RESEND) {
      if (resends >= KEYBOARD_MAX_RESENDS) {
        return Failed(received, PortErrorKind::TransferFailed,
                      "the line asked for a byte again " + std::to_string(resends + 1) + " times");
      }
      ++resends;
      continue;
    }
    resends = 0;
    if (answer != KEYBOARD_ACK) {
      return Failed(received, PortErrorKind::TransferFailed,
                    "the line answered " + ByteText(answer) + " to a command byte");
    }
    BusyWait(timing.ackedBytePause);
    ++i;
  }

  if (commandLength >= 2 && IsKeyboardSetCommand(command[1])) {
    Pause(Within(timing.setAckPausePerByte * commandLength, end), stop_);
    Byte first = 0;
    if (!ReadByte(Within(timing.setAckWait, end), &first)) {
      return Failed(received, PortErrorKind::NoReply);
    }
    store(first);
    if (first == KEYBOARD_ACK) return KeyboardExchange{true, received, {}};
    // Another answer is the reader's own: the line worked.
    if (first != REPLY_UNKNOWN) return KeyboardExchange{false, received, {}};
    // 0x16: the reader says why in a framed reply.
  }

  const bool versionReply = commandLength >= 3 && command[2] == CMD_GET_FIRMWARE_VERSION;
  KeyboardReplyRecogniser recogniser(versionReply);
  const Clock::time_point deadline = std::min(Clock::now() + timing.replyLimit, end);
  while (Clock::now() < deadline && !stop_.load()) {
    Byte value = 0;
    if (!ReadByte(timing.replyByteWait, &value)) continue;
    store(value);
    if (recogniser.Feed(value)) return KeyboardExchange{true, received, {}};
  }
  if (received == 0) return Failed(received, PortErrorKind::NoReply);
  return Failed(received, PortErrorKind::TransferFailed,
                "the reply broke off after " + std::to_string(received) + " bytes");
}

}  // namespace tessaron
