#pragma once
// The settings file in JSON: the whole record, one setting a line, in the order of the name
// table (setting_names.h), so that it reads well, diffs well and can be kept under version
// control and reviewed:
//
//   {
//     "format": "tessaron-settings",
//     "format-version": 1,
//     "settings": {
//       "beep-volume": "high",
//       ...
//       "custom-fields": []
//     }
//   }
//
// Writing a record and reading the file back gives a record whose settings stream is the
// same, byte for byte.

#include <cstddef>
#include <span>
#include <string>
#include <utility>

#include "core/reader_settings.h"
#include "core/setting_names.h"

namespace tessaron {

constexpr const char* SETTINGS_JSON_FORMAT = "tessaron-settings";
constexpr int SETTINGS_JSON_VERSION = 1;
// Larger texts are refused unread: a file of every setting at its longest is far smaller.
constexpr std::size_t SETTINGS_JSON_MAX_SIZE = 256 * 1024;

// The whole file for the record, ending with a line end.
std::string SettingsToJson(const ReaderSettings& settings);
// Just the given settings, as one object with one setting a line.
std::string SettingsObjectJson(const ReaderSettings& settings,
                               std::span<const NamedSetting* const> names);

// The differing settings of two records as one object, one setting a line, each with its
// value in both: {"beep-volume": {"a": "low", "b": "high"}}.
std::string DifferencesJson(const ReaderSettings& first, const ReaderSettings& second,
                            std::span<const SettingDifference> differences);
// An object of text members on one line, for the command line's other JSON output:
// {"connection": "usb-hid:0", "device": "/dev/hidraw2"}.
std::string TextMembersJson(std::span<const std::pair<std::string, std::string>> members);

// Reads a whole file into settings. Every setting must be there, with a value it takes, and
// nothing else; the record must go into one settings stream (of at most the settings buffer's
// 1024 bytes, whatever a reader or a file may take). False, with a message that starts
// with the JSON path of the first problem ("/settings/beep-volume: ..."), for anything else;
// settings is then unchanged. interfaceType and interfaceSwitchPending never change.
bool SettingsFromJson(const std::string& text, ReaderSettings& settings, std::string* error);

}  // namespace tessaron
