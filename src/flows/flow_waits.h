#pragma once
// The fixed pauses between the steps of the reader workflows, at their real length. The
// workflows wait through their context, so tests can record them instead of sleeping.

#include <chrono>

namespace tessaron {

using FlowMillis = std::chrono::milliseconds;

// Around the firmware version query of a keyboard-class USB reader before a write, and of a
// clone target.
inline constexpr FlowMillis VERSION_QUERY_WAIT{500};
// After the factory-settings command was acknowledged, before the settings are read back on
// the same open port ("Default All" of the advanced sheet and the command-line tool).
inline constexpr FlowMillis DEFAULTS_READ_BACK_WAIT{700};
// "Default All" of the basic sheet: after opening, before the factory-settings command; and
// after opening again, before the settings are read back.
inline constexpr FlowMillis DEFAULTS_COMMAND_WAIT{700};
inline constexpr FlowMillis DEFAULTS_REOPEN_WAIT{500};
// After reading the settings over the PS/2 keyboard line: before the firmware version is
// asked for, and before a sheet is shown (the settings are then read a second time).
inline constexpr FlowMillis KEYBOARD_VERSION_WAIT{800};
inline constexpr FlowMillis KEYBOARD_SHEET_WAIT{700};
// After a write that switched the reader's USB interface, before it is looked for again.
inline constexpr FlowMillis INTERFACE_SWITCH_WAIT{5000};
// A reader not back after that wait is looked for again this often, this many times.
inline constexpr FlowMillis REAPPEAR_RETRY_WAIT{1000};
inline constexpr int REAPPEAR_RETRIES = 10;
// Manual command: the time the windows keep running after a set command is acknowledged,
// before the settings are read back; and the life of its failure messages.
inline constexpr FlowMillis MANUAL_COMMAND_SETTLE_WAIT{700};
inline constexpr FlowMillis MANUAL_COMMAND_MESSAGE_LIFETIME{1000};

}  // namespace tessaron
