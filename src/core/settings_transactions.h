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

bool ReadFromReader(ReaderSettings& settings, ReaderPort* port);
WriteResult WriteToReader(ReaderSettings& settings, ReaderPort* port);
// Sends the factory-settings command on an open port; true when acknowledged.
bool RestoreFactorySettings(ReaderPort* port);

}  // namespace tessaron
