#pragma once
// The current-settings report text; its words are those of the settings table.

#include <cstdint>
#include <string>

#include "core/reader_settings.h"
#include "core/version.h"

namespace tessaron {

// "0" -> 0, "1" -> 1, "8" -> 2, anything else -> -1.
std::int32_t HidFormatIndex(Byte value);

// The report, lines ending CR LF, the last line ("Firmware Version: ...") without one.
std::string BuildSettingsReport(const ReaderSettings& settings, const std::string& firmwareVersion);

}  // namespace tessaron
