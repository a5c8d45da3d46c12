#pragma once
// Settings records as the settings stream a reader stores, and back: for the tests that set
// up or look at what a reader holds.

#include <cstdint>

#include "core/byte_string.h"
#include "core/command_frame.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"

namespace tessaron::testing {

// Encodes settings into *stream; false when they do not encode.
inline bool EncodeStream(const ReaderSettings& settings, ByteString* stream) {
  Byte buffer[SETTINGS_BUFFER_SIZE] = {};
  std::uint32_t length = sizeof buffer;
  if (!EncodeSettings(settings, buffer, &length)) return false;
  stream->assign(buffer, buffer + length);
  return true;
}

// Decodes stream over *settings; false when it does not decode.
inline bool DecodeStream(const ByteString& stream, ReaderSettings* settings) {
  return DecodeSettings(stream.data(), static_cast<std::uint32_t>(stream.size()), settings);
}

// The stream of settings; empty when they do not encode.
inline ByteString StreamOf(const ReaderSettings& settings) {
  ByteString stream;
  EncodeStream(settings, &stream);
  return stream;
}

// The settings in stream, decoded over the defaults as far as it decodes.
inline ReaderSettings SettingsIn(const ByteString& stream) {
  ReaderSettings settings;
  DecodeStream(stream, &settings);
  return settings;
}

}  // namespace tessaron::testing
