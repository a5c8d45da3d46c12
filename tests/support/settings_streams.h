#pragma once
// Settings records as the settings stream a reader stores, and back: for the tests that set
// up or look at what a reader holds.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/command_frame.h"
#include "core/data_edit_model.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "core/settings_table.h"

namespace tessaron::test_support {

// The stream of a record in its default state: the reader's factory settings.
inline const ByteString DEFAULT_STREAM = {
    0x02, 0x53, 0x10, 0x01, 0x30, 0x11, 0x01, 0x32, 0x12, 0x01, 0x30, 0x44, 0x01, 0x30, 0x45,
    0x01, 0x30, 0x41, 0x01, 0x35, 0x42, 0x01, 0x30, 0x43, 0x01, 0x30, 0x47, 0x01, 0x11, 0x48,
    0x01, 0x13, 0x13, 0x01, 0x30, 0x17, 0x01, 0x0D, 0x15, 0x01, 0x30, 0x16, 0x01, 0x59, 0x21,
    0x01, 0x0D, 0x1B, 0x01, 0x30, 0x19, 0x01, 0x31, 0x1A, 0x01, 0x31, 0x1D, 0x01, 0x31, 0x60,
    0x01, 0x30, 0x23, 0x01, 0x30, 0x61, 0x01, 0x25, 0x62, 0x01, 0x25, 0x63, 0x01, 0x3B, 0x64,
    0x01, 0x25, 0x65, 0x01, 0x3B, 0x66, 0x01, 0x25, 0x67, 0x01, 0x21, 0x68, 0x01, 0x3B, 0xD2,
    0x01, 0x00, 0xD3, 0x01, 0x00, 0xFA, 0x00, 0xFB, 0x00, 0xFC, 0x08, 0x00, 0xFF, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0xFF, 0x69, 0x01, 0x3F, 0x6A, 0x01, 0x3F, 0x6B, 0x01, 0x3F, 0x14, 0x01,
    0x01, 0x24, 0x01, 0x30, 0x25, 0x01, 0x40, 0x34, 0x01, 0x00, 0x35, 0x01, 0x00, 0x36, 0x01,
    0x00, 0x37, 0x01, 0x00, 0x38, 0x01, 0x00, 0x39, 0x01, 0x00, 0x03, 0xE7};

// The bytes followed by their LRC.
inline ByteString WithLrc(ByteString bytes) {
  bytes.push_back(ComputeLrc(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
  return bytes;
}

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

struct MemberChange {
  std::string what;
  Byte funcId;
  std::function<void(ReaderSettings&)> change;
};

// A change of every member of the record: each bit of every one-byte record, each string,
// each data-edit member (the last three records hold several each).
inline std::vector<MemberChange> EveryMemberChange() {
  std::vector<MemberChange> changes;
  for (const SettingsRecordInfo& record : SettingsRecords()) {
    for (int bit = 0; record.kind == RecordKind::OneByte && bit < 8; ++bit) {
      changes.push_back(
          {std::string(record.memberName) + " bit " + std::to_string(bit), record.funcId,
           [&record, bit](ReaderSettings& s) { *RecordByte(record, s) ^= 1 << bit; }});
    }
    if (record.kind == RecordKind::String) {
      changes.push_back({record.memberName, record.funcId, [&record](ReaderSettings& s) {
                           RecordString(record, s)->push_back('A');
                         }});
    }
  }
  for (std::size_t i = 0; i < CARD_KIND_COUNT; ++i) {
    changes.push_back({"formula", 0xFC, [i](ReaderSettings& s) { s.formulas[i] = {0x21}; }});
  }
  changes.push_back({"added fields", 0xFA, [](ReaderSettings& s) { s.addedFields = {{'A'}}; }});
  for (std::size_t t = 0; t < TRACK_COUNT; ++t) {
    const Byte track = static_cast<Byte>((t + 1) << 5);
    changes.push_back({"length limit", 0xFB, [t, track](ReaderSettings& s) {
                         s.lengthLimits[t] = {TAG_LENGTH_LIMIT, track, 1, 2};
                       }});
    changes.push_back({"match string", 0xFB, [t, track](ReaderSettings& s) {
                         s.matchStrings[t] = {TAG_MATCH_STRING, track, 0, 1, 'A'};
                       }});
  }
  changes.push_back({"custom fields", 0xFB, [](ReaderSettings& s) {
                       s.customFields = {{TAG_BEFORE, 0x21, 1, 1, 'A'}};
                     }});
  return changes;
}

}  // namespace tessaron::test_support
