#pragma once
// Reading and writing a whole settings record through an open reader port.

#include <cstdint>

#include "core/reader_port.h"
#include "core/reader_settings.h"

namespace tessaron {

enum WriteResult : int {
  WriteOk = 0,
  WriteFailed = 1,
  WriteTooLong = 2,
  WriteRejected = 3,
};

constexpr std::uint32_t MAX_SETTINGS_FRAME = 400;

// Reads all settings into the record over an open port. The record's interfaceType takes
// the port's as soon as the port is ready, even when the read fails later on; the rest of the
// record changes only when the reply decodes in full, ETX and check byte included.
bool ReadFromReader(ReaderSettings& settings, ReaderPort* port);
// Writes the whole record in one settings frame over an open port. WriteTooLong (nothing
// sent) when the frame would pass MAX_SETTINGS_FRAME bytes or one of its blocks holds more
// than its length byte can announce; WriteFailed when the port is missing or not ready or
// the record cannot be encoded for another reason. interfaceSwitchPending is cleared only
// once the frame has been sent.
WriteResult WriteToReader(ReaderSettings& settings, ReaderPort* port);
// Sends the factory-settings command on an open port; true when acknowledged.
bool RestoreFactorySettings(ReaderPort* port);
// Sends the boot-loader command with its key on an open port; true when acknowledged.
bool EnterBootLoaderMode(ReaderPort* port);

// Number of bytes the settings frame of this record takes on the wire, counting every
// string and block at its true size (a block length byte only holds it modulo 256).
std::uint64_t SettingsFrameLength(const ReaderSettings& settings);

// Largest content of the three blocks 0xFA, 0xFB, 0xFC; more than 255 bytes cannot be
// announced by the block's length byte.
std::uint64_t LongestSettingsBlock(const ReaderSettings& settings);

}  // namespace tessaron
