// Feeds arbitrary text to the reader of settings files in JSON. Whatever a file holds, the
// reader must refuse it with a message, or give a record that goes into one settings stream;
// and such a record, written as a file again and read back, must give the very same stream.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "core/settings_json.h"
#include "fuzz_input.h"

namespace {

using tessaron::Byte;
using tessaron::fuzz::Require;

using Stream = std::array<Byte, 1024>;

std::uint32_t Encode(const tessaron::ReaderSettings& settings, Stream& stream) {
  std::uint32_t length = stream.size();
  Require(tessaron::EncodeSettings(settings, stream.data(), &length));
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tessaron::ReaderSettings settings;
  std::string error;
  if (!tessaron::SettingsFromJson(text, settings, &error)) {
    Require(!error.empty());
    return 0;
  }
  Stream stream{};
  const std::uint32_t length = Encode(settings, stream);

  tessaron::ReaderSettings again;
  Require(tessaron::SettingsFromJson(tessaron::SettingsToJson(settings), again, &error));
  Stream second{};
  Require(Encode(again, second) == length && second == stream);
  return 0;
}
