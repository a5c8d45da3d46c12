#include "sim/simulated_keyboard_controller.h"

#include <algorithm>
#include <utility>

#include "core/command_frame.h"

namespace tessaron::sim {

namespace {

// The controller command that queues the current command byte for the host.
constexpr std::uint8_t KBC_READ_COMMAND_BYTE = 0x20;
// A reader never holds more than this of an unfinished frame; the rest is line noise.
constexpr std::size_t MAX_PENDING_FRAME = 4096;

std::shared_ptr<SimulatedReader> KeyboardLineReader() {
  SimulatedReaderConfig config;
  config.interfaceType = InterfaceType::Ps2Keyboard;
  return std::make_shared<SimulatedReader>(config);
}

}  // namespace

SimulatedKeyboardController::SimulatedKeyboardController(std::shared_ptr<SimulatedReader> reader)
    : reader_(reader ? std::move(reader) : KeyboardLineReader()) {}

bool SimulatedKeyboardController::Start() {
  std::lock_guard<std::mutex> guard(lock_);
  if (startRefused_) return false;
  started_ = true;
  ++startCount_;
  return true;
}

void SimulatedKeyboardController::Stop() {
  std::lock_guard<std::mutex> guard(lock_);
  started_ = false;
}

std::uint8_t SimulatedKeyboardController::Status() {
  std::uint8_t status = KBC_STATUS_SYSTEM_FLAG;
  if (inputBusyLeft_ > 0) {
    status |= KBC_STATUS_INPUT_FULL;
    --inputBusyLeft_;
  }
  if (!output_.empty()) {
    if (!output_.front().mouse) {
      status |= KBC_STATUS_OUTPUT_FULL;
    } else {
      status |= KBC_STATUS_AUX_DATA;
      if (mouseOutputFullFlag_) status |= KBC_STATUS_OUTPUT_FULL;
    }
  }
  return status;
}

std::uint8_t SimulatedKeyboardController::ReadPort(std::uint16_t port) {
  std::lock_guard<std::mutex> guard(lock_);
  ++readCount_;
  // Without the port permission nothing reaches the controller.
  if (!started_) return 0xFF;
  if (port == KBC_STATUS_PORT) return Status();
  if (port != KBC_DATA_PORT) return 0xFF;
  // An empty output buffer reads as the last byte that was in it.
  if (!output_.empty()) {
    lastRead_ = output_.front().value;
    output_.pop_front();
  }
  return lastRead_;
}

void SimulatedKeyboardController::WritePort(std::uint16_t port, std::uint8_t value) {
  std::lock_guard<std::mutex> guard(lock_);
  ++writeCount_;
  if (!started_) return;
  if (port == KBC_STATUS_PORT) {
    inputBusyLeft_ = inputBusyReads_;
    commandBytePending_ = value == KBC_WRITE_COMMAND_BYTE;
    if (value == KBC_READ_COMMAND_BYTE) QueueForHost(commandByte_);
    return;
  }
  if (port != KBC_DATA_PORT) return;
  inputBusyLeft_ = inputBusyReads_;
  if (commandBytePending_) {
    commandBytePending_ = false;
    commandByte_ = value;
    commandBytes_.push_back(value);
    // The host changes the command byte when it opens or closes the port, around every
    // piece of work: a frame still unfinished by then never will be (a malformed command),
    // and must not spoil the next one.
    frameBuffer_.clear();
    return;
  }
  TakeHostByte(value);
}

void SimulatedKeyboardController::TakeHostByte(Byte value) {
  if (lineDead_) return;
  if (!forcedAnswers_.empty()) {
    ForcedAnswers& forced = forcedAnswers_.front();
    if (forced.afterBytes == 0) {
      QueueForHost(forced.answer);
      if (--forced.count <= 0) forcedAnswers_.pop_front();
      return;
    }
    --forced.afterBytes;
  }
  QueueForHost(KEYBOARD_ACK);
  hostBytes_.push_back(value);

  frameBuffer_.push_back(value);
  // Bytes that can never begin a frame (anything before an STX and its direction letter)
  // are ignored by the reader.
  const std::size_t garbage =
      SimulatedReader::LeadingGarbageLength(frameBuffer_.data(), frameBuffer_.size());
  frameBuffer_.erase(frameBuffer_.begin(),
                     frameBuffer_.begin() + static_cast<std::ptrdiff_t>(garbage));
  if (frameBuffer_.size() > MAX_PENDING_FRAME) {
    frameBuffer_.clear();
    return;
  }
  const std::size_t length = SimulatedReader::CompleteFrameLength(frameBuffer_.data(), frameBuffer_.size());
  if (length == 0) return;
  const std::size_t taken = std::min(length, frameBuffer_.size());
  ByteString frame(frameBuffer_.begin(), frameBuffer_.begin() + static_cast<std::ptrdiff_t>(taken));
  frameBuffer_.erase(frameBuffer_.begin(), frameBuffer_.begin() + static_cast<std::ptrdiff_t>(taken));
  frames_.push_back(frame);

  ByteString reply;
  if (!scriptedReplies_.empty()) {
    reply = std::move(scriptedReplies_.front());
    scriptedReplies_.pop_front();
  } else if (!noReply_) {
    reply = reader_->HandleCommand(frame.data(), frame.size(), ReplyStyle::Keyboard);
  }
  for (Byte b : reply) QueueForHost(b);
}

void SimulatedKeyboardController::QueueForHost(Byte value) {
  if (mouseInterleave_) output_.push_back({SIMULATED_MOUSE_BYTE, true});
  output_.push_back({value, false});
}

void SimulatedKeyboardController::SetStartRefused(bool refused) {
  std::lock_guard<std::mutex> guard(lock_);
  startRefused_ = refused;
}

void SimulatedKeyboardController::ForceAnswers(Byte answer, int count, int afterBytes) {
  std::lock_guard<std::mutex> guard(lock_);
  if (count <= 0) return;
  forcedAnswers_.push_back({std::max(afterBytes, 0), answer, count});
}

void SimulatedKeyboardController::SetLineDead(bool dead) {
  std::lock_guard<std::mutex> guard(lock_);
  lineDead_ = dead;
}

void SimulatedKeyboardController::SetNoReply(bool noReply) {
  std::lock_guard<std::mutex> guard(lock_);
  noReply_ = noReply;
}

void SimulatedKeyboardController::ScriptReply(const ByteString& reply) {
  std::lock_guard<std::mutex> guard(lock_);
  scriptedReplies_.push_back(reply);
}

void SimulatedKeyboardController::SetMouseInterleave(bool interleave, bool outputFullFlag) {
  std::lock_guard<std::mutex> guard(lock_);
  mouseInterleave_ = interleave;
  mouseOutputFullFlag_ = outputFullFlag;
}

void SimulatedKeyboardController::SetInputBusyReads(int reads) {
  std::lock_guard<std::mutex> guard(lock_);
  inputBusyReads_ = std::max(reads, 0);
}

bool SimulatedKeyboardController::IsStarted() const {
  std::lock_guard<std::mutex> guard(lock_);
  return started_;
}

int SimulatedKeyboardController::StartCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return startCount_;
}

std::vector<Byte> SimulatedKeyboardController::CommandBytes() const {
  std::lock_guard<std::mutex> guard(lock_);
  return commandBytes_;
}

Byte SimulatedKeyboardController::CommandByte() const {
  std::lock_guard<std::mutex> guard(lock_);
  return commandByte_;
}

ByteString SimulatedKeyboardController::HostBytes() const {
  std::lock_guard<std::mutex> guard(lock_);
  return hostBytes_;
}

std::vector<ByteString> SimulatedKeyboardController::Frames() const {
  std::lock_guard<std::mutex> guard(lock_);
  return frames_;
}

std::size_t SimulatedKeyboardController::PendingOutput() const {
  std::lock_guard<std::mutex> guard(lock_);
  return output_.size();
}

std::size_t SimulatedKeyboardController::ReadCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return readCount_;
}

std::size_t SimulatedKeyboardController::WriteCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return writeCount_;
}

void SimulatedKeyboardController::ResetCounts() {
  std::lock_guard<std::mutex> guard(lock_);
  readCount_ = 0;
  writeCount_ = 0;
}

}  // namespace tessaron::sim
