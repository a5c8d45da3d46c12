#pragma once
// The reader workflows of the online commands, step for step as the main window, the
// settings sheets, the manual command page and the quick clone page run them. Each opens
// the port, runs its exchanges, closes the port again and leaves the texts to its caller.
// Before each exchange a line goes to the progress stream ("Reading settings from ...").

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

#include "cli/reader_connection.h"
#include "core/byte_string.h"
#include "core/reader_settings.h"
#include "core/settings_transactions.h"

namespace tessaron {

// The fixed pauses between steps, at their real length.
constexpr std::chrono::milliseconds VERSION_QUERY_WAIT{500};     // around the USB-HID-KB version query
constexpr std::chrono::milliseconds DEFAULTS_READ_BACK_WAIT{700};  // factory settings, then read back
constexpr std::chrono::milliseconds KEYBOARD_VERSION_WAIT{800};  // PS/2: settings read, then version

// How a flow waits and where it says what it does.
struct FlowContext {
  std::function<void(std::chrono::milliseconds)> pause;
  std::ostream& progress;

  void Wait(std::chrono::milliseconds length) const {
    if (pause) pause(length);
  }
};

enum class ReadOutcome { Ok, OpenFailed, ReadFailed };

// Reads every setting into settings. With firmware given, also the firmware version (after
// 800 ms when the settings came over "PS/2 Keyboard"); a missing version leaves it empty
// and does not fail the read.
ReadOutcome ReadReaderSettings(ReaderLink& link, ReaderSettings& settings, std::string* firmware,
                               const FlowContext& flow);

enum class VersionOutcome { Ok, OpenFailed, NoVersion };
VersionOutcome ReadFirmwareVersion(ReaderLink& link, std::string* firmware,
                                   const FlowContext& flow);

struct SendOutcome {
  WriteResult result = WriteFailed;
  // The record asked for an interface switch before the write.
  bool interfaceSwitch = false;
};

// "Send to MSR": on a "USB-HID-KB" reader the firmware version is read first (500 ms after
// opening, and 500 ms more after closing); below 1.89, or when it cannot be read, the record
// goes out with USB HID format "0". Then the whole record goes out in one frame.
SendOutcome SendSettings(ReaderLink& link, ReaderSettings& settings, const FlowContext& flow);

// "Default All": the factory-settings command and, once acknowledged, 700 ms later the
// settings read back into settings on the same open port. True when the read succeeded.
bool RestoreDefaults(ReaderLink& link, ReaderSettings& settings, const FlowContext& flow);

struct CommandOutcome {
  bool opened = false;
  bool succeeded = false;  // the transport's verdict on the exchange
  ByteString reply;
};

// One typed command frame (with its LRC) and the reply collected for it.
CommandOutcome SendCommandFrame(ReaderLink& link, const ByteString& frame,
                                const FlowContext& flow);

enum class CloneOutcome { Ok, TargetOpenFailed, Rejected, Failed };

// Quick clone's write: on a "USB-HID-KB" target whose firmware is 1.89 or later the record
// is switched to USB HID format "8" first; then the whole record goes to the target.
// source is the record read from the source reader (it may be changed by the rule).
CloneOutcome CloneSettings(ReaderSettings& source, ReaderLink& target, const FlowContext& flow);

}  // namespace tessaron
