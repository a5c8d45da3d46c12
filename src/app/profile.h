#pragma once
// The program's own settings between runs: the per-user profile of "Kaldor" / the product's
// name, group "Settings".

#include "core/version.h"

namespace tessaron {

// Where the remembered interface and device live between runs.
inline constexpr const char* PROFILE_ORGANISATION = "Kaldor";
inline constexpr const char* PROFILE_APPLICATION = SOFTWARE_NAME;
inline constexpr const char* PROFILE_GROUP = "Settings";
inline constexpr const char* PROFILE_INTERFACE_TYPE = "InterfaceType";
inline constexpr const char* PROFILE_DEVICE_INDEX = "DeviceIndex";
// Fast exchanges with serial and USB HID readers (a bool; off when missing).
inline constexpr const char* PROFILE_FAST_REPLIES = "FastReplies";
// The folder last used for a configuration file.
inline constexpr const char* PROFILE_CONFIG_FOLDER = "ConfigFileFolder";

}  // namespace tessaron
