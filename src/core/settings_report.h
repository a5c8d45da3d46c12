#pragma once
// The current-settings report text; its words are those of the settings table.

#include <string>

#include "core/reader_settings.h"
#include "core/version.h"

namespace tessaron {

// The report, lines ending CR LF, the last line ("Firmware Version: ...") without one.
std::string BuildSettingsReport(const ReaderSettings& settings, const std::string& firmwareVersion);

}  // namespace tessaron
