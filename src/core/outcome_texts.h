#pragma once
// The program's own outcome texts, shared by the settings sheets, the quick clone page and
// the command-line tool so that both say word for word the same.

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

}  // namespace tessaron::texts
