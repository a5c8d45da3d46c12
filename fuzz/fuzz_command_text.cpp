// Feeds arbitrary text to the parser of typed commands ("\x2\x52\x22\x3") and to the checks
// of the manual command console. The first byte picks the capacity of the output buffer;
// the parser must never write past it, and a command it accepts must go out as a framed
// command with its LRC.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/command_frame.h"
#include "core/command_text.h"
#include "fuzz_input.h"

using tessaron::Byte;
using tessaron::CommandTextResult;
using tessaron::ManualCommandCheck;
using tessaron::fuzz::FuzzInput;
using tessaron::fuzz::Require;

namespace {

// Parses into an output buffer of exactly capacity bytes.
CommandTextResult Parse(const std::string& text, std::uint32_t capacity, tessaron::ByteString* bytes) {
  auto out = std::make_unique<Byte[]>(capacity == 0 ? 1 : capacity);
  std::uint32_t count = 0xDEADBEEF;
  const CommandTextResult result =
      tessaron::ParseCommandText(text, capacity == 0 ? nullptr : out.get(), capacity, &count);
  if (result == CommandTextResult::Ok) {
    Require(count >= 1 && count <= capacity);
  } else {
    Require(count == 0);
  }
  bytes->assign(out.get(), out.get() + (result == CommandTextResult::Ok ? count : 0));
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  FuzzInput input(data, size);
  const std::uint32_t capacity = input.Take() * 3u;  // 0 to 765, around the console's 513
  const std::string text(reinterpret_cast<const char*>(input.Rest()), input.Left());

  tessaron::ByteString bytes;
  const CommandTextResult result = Parse(text, capacity, &bytes);

  // With room for every item the text is either refused or gives its bytes; a smaller
  // buffer gives the same, or stops once it is full (before any later invalid item).
  tessaron::ByteString roomy;
  const std::uint32_t items = static_cast<std::uint32_t>(text.size()) + 1;
  const CommandTextResult unlimited = Parse(text, items, &roomy);
  Require(unlimited != CommandTextResult::TooLong);
  if (unlimited == CommandTextResult::InvalidValue) {
    Require(result != CommandTextResult::Ok);
  } else if (roomy.size() <= capacity) {
    Require(result == CommandTextResult::Ok && bytes == roomy);
  } else {
    Require(result == CommandTextResult::TooLong);
  }
  if (result == CommandTextResult::InvalidValue) Require(unlimited == CommandTextResult::InvalidValue);

  tessaron::ByteString frame{0x55};
  const ManualCommandCheck check = tessaron::PrepareManualCommand(text, &frame);
  Require(tessaron::PrepareManualCommand(text, nullptr) == check);
  if (check != ManualCommandCheck::Ok) {
    Require(frame.empty());
    return 0;
  }
  Require(frame.size() >= 3 && frame.size() <= tessaron::MANUAL_COMMAND_FRAME_MAX);
  Require(frame.front() == tessaron::STX && frame[frame.size() - 2] == tessaron::ETX);
  Require(tessaron::ComputeLrc(frame.data(), static_cast<std::uint32_t>(frame.size() - 1)) ==
          frame.back());
  return 0;
}
