// Feeds arbitrary bytes to the stream decoder, then encodes whatever it decoded. Whatever a
// reader or a file hands over, neither side may read or write outside its buffers, and a
// record that encodes must decode back to the same stream.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/reader_settings.h"
#include "core/settings_codec.h"

using tessaron::Byte;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  // An exact-size copy, so that a read past the count is caught even for empty input.
  auto bytes = std::make_unique<Byte[]>(size == 0 ? 1 : size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = data[i];

  tessaron::ReaderSettings settings;
  tessaron::DecodeSettings(bytes.get(), static_cast<std::uint32_t>(size), &settings);

  std::array<Byte, 1024> stream{};
  std::uint32_t length = stream.size();
  if (!tessaron::EncodeSettings(settings, stream.data(), &length)) {
    if (length != 0) std::abort();
    return 0;
  }
  if (length > stream.size()) std::abort();

  // What encodes must decode to a record that encodes to the very same bytes.
  tessaron::ReaderSettings again;
  if (!tessaron::DecodeSettings(stream.data(), length, &again)) std::abort();
  std::array<Byte, 1024> second{};
  std::uint32_t secondLength = second.size();
  if (!tessaron::EncodeSettings(again, second.data(), &secondLength)) std::abort();
  if (secondLength != length) std::abort();
  for (std::uint32_t i = 0; i < length; ++i) {
    if (second[i] != stream[i]) std::abort();
  }
  return 0;
}
