#pragma once
// The program's own outcome texts. The reader workflows show them through their context, so
// the windows and the command-line tool say word for word the same.

namespace tessaron::texts {

// Writing the settings record ("Send to MSR").
inline constexpr const char* WRITE_OK =
    "The configuration settings have been written to Tessaron device successfully!\n";
inline constexpr const char* INTERFACE_SWITCHED =
    "The interface is switched, please wait some second to re-open it.";
inline constexpr const char* WRITE_FAILED = "Could not write configuration settings to Tessaron device!";
inline constexpr const char* WRITE_TOO_LONG =
    "The command is too long, maybe there are too many fields in the formulas, please check it!";
inline constexpr const char* UNKNOWN_FUNC_IDS = "Warning! There are unknown FuncIDs in the command.";

// Configuration files.
inline constexpr const char* SAVE_OK = "Save configuration to file successfully.";
inline constexpr const char* SAVE_FAILED = "Failed to save configuration to file.";
inline constexpr const char* LOAD_FAILED = "Failed to load configuration from file.";
inline constexpr const char* LOAD_OK = "Load configuration from file successfully.";
// The advanced sheet's wording of the save outcomes.
inline constexpr const char* SAVE_OK_ADVANCED = "Save configuration file successfully.";
inline constexpr const char* SAVE_FAILED_ADVANCED = "Failed to save configuration file.";

// Factory settings ("Default All").
inline constexpr const char* DEFAULTS_OK = "Set default settings to Tessaron device successfully!";
inline constexpr const char* DEFAULTS_FAILED = "Set default settings to Tessaron device failed!";
// The basic sheet's own steps of "Default All".
inline constexpr const char* DEFAULTS_OPEN_FAILED = "Fail to open deivce!";
inline constexpr const char* DEFAULTS_REOPEN_FAILED =
    "Fail to open deivce to read setting again. Please try it again";
inline constexpr const char* DEFAULTS_READ_BACK_FAILED = "Fail to read the settings. Please try again.";

// Where the listing does not offer the keyboard line (Windows, where only a kernel driver may
// reach the keyboard controller): the command line's refusal, and the window's greyed-out
// choice.
inline constexpr const char* KEYBOARD_LINE_NOT_OFFERED =
    "The PS/2 keyboard line is not offered on this system: only a kernel driver may reach its "
    "keyboard controller. Connect the reader by USB or RS232.";

// Reading a reader.
inline constexpr const char* READ_FAILED = "Could not read configuration settings from Tessaron device!";

// Quick clone.
inline constexpr const char* SOURCE_OPEN_FAILED =
    "Could not open the source Tessaron device! or It is not Tessaron device";
inline constexpr const char* SOURCE_READ_OK =
    "Read configuration settings from Source MSR device successfully!";
inline constexpr const char* TARGET_OPEN_FAILED =
    "Could not open the target Tessaron device! or It is not Tessaron device";
inline constexpr const char* CLONE_OK = "Clone to Target MSR device successfully!";
inline constexpr const char* CLONE_FAILED = "Could not Clone to Target MSR device!";
inline constexpr const char* NO_MEMORY = "NO Enough Memory!";
inline constexpr const char* SELECT_SOURCE = "Please select a source MSR device!";
inline constexpr const char* SELECT_TARGET = "Please select a target MSR device!";
inline constexpr const char* READ_SOURCE_FIRST = "Please Read From MSR First!";

// The manual command console.
inline constexpr const char* COMMAND_TEXT_INVALID_VALUE = "Invalid value in the command text!";
inline constexpr const char* COMMAND_TEXT_EMPTY = "Please Input the command string!";
inline constexpr const char* COMMAND_TEXT_REFUSED = "The command text is too long or invalid!";
inline constexpr const char* COMMAND_NOT_FRAMED =
    "The start/end character is not STX/ETX!\nIt is not a legal command!";
inline constexpr const char* DEVICE_OPEN_FAILED =
    "Could not open this Tessaron device! or It is not Tessaron device";
inline constexpr const char* COMMAND_UNKNOWN = "Warning: Unkown Command!";
inline constexpr const char* COMMAND_FAILED = "Send Command---failed!";

// Boot loader mode.
inline constexpr const char* BOOT_LOADER_PASSWORD_WRONG = "Invalid password!";
inline constexpr const char* BOOT_LOADER_WARNING_CAPTION = "Warning";
inline constexpr const char* BOOT_LOADER_WARNING =
    "It is IMPORTANT! Do not enter the Boot Loader mode without specific instructions.\n"
    "Do you want to continue?";
inline constexpr const char* BOOT_LOADER_OK = "Set Boot Loader mode successfully!";
inline constexpr const char* BOOT_LOADER_FAILED = "Fail to set Boot Loader mode!";

}  // namespace tessaron::texts
