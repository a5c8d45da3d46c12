#pragma once
// Configuration files (.cfs2): "KALDORMSRCFG", "2000", then the settings stream.

#include <cstddef>
#include <string>

#include "core/reader_settings.h"

namespace tessaron {

constexpr char CONFIG_FILE_MAGIC[] = "KALDORMSRCFG";  // 12 bytes in the file, no zero
constexpr char CONFIG_FILE_VERSION[] = "2000";        // 4 bytes in the file, no zero
constexpr std::uint32_t CONFIG_HEADER_SIZE = 16;
constexpr std::uint32_t CONFIG_FILE_MAX_SIZE = 1024;

enum class ConfigFileStatus {
  Ok,
  NotFound,       // no such file
  CannotOpen,     // exists but cannot be opened for reading
  Empty,          // 0 bytes
  TooLarge,       // more than CONFIG_FILE_MAX_SIZE bytes
  ReadFailed,     // could not be read in full
  NotConfigFile,  // magic or version text differs
  BadStreamStart, // the stream does not start with 0x02 0x53 (also a header-only file)
  BadChecksum,    // the stream's LRC does not match
  CutOff,         // the stream ends before its ETX and check byte
  EncodeFailed,   // the record does not fit a settings stream
  WriteFailed,    // the file could not be written
  SettingsJson,   // a settings file in JSON, not a configuration file
  NotAFile,       // neither a file nor a device, pipe or socket that takes a stream
  // In a sticky folder that everyone may write to (/tmp), an entry of another user than this
  // one and the folder's owner, which is not written through: a link (never followed), or a
  // regular file (never replaced by root).
  ForeignLink,
  ForeignFile,
};

// A short English phrase for a status, for command-line messages ("not found", ...).
const char* ConfigFileStatusText(ConfigFileStatus status);
// The phrase, followed by the operating system's text of osError when it is not 0.
std::string ConfigFileCause(ConfigFileStatus status, int osError);

// The whole file of the record: the header and the settings stream (EncodeFailed when the
// record does not fit a settings stream).
ConfigFileStatus ConfigFileContents(const ReaderSettings& settings, ByteString* bytes);
// Reads a whole file's bytes into the record (NotConfigFile to CutOff as for a load, and
// SettingsJson for the text of a settings file in JSON); the record changes only on Ok.
ConfigFileStatus DecodeConfigFile(const ByteString& bytes, ReaderSettings& settings);
// Whether the bytes start as a configuration file does (its magic) or as a settings file in
// JSON (an object, after any blanks).
bool LooksLikeConfigFile(const ByteString& bytes);
bool LooksLikeSettingsJson(const ByteString& bytes);

// Writes the record's settings stream behind the header. An existing file is replaced
// through a temporary file beside it and a rename, so that a failed save leaves the old file
// whole; where the folder does not allow that, or the file's owner and group could not be
// kept, or other hard links share the file, a file that may be written is written in place.
// A symbolic link stays a link: the file it names is written. The file keeps its permission
// bits. An existing file that this user may not write is not replaced. In a sticky folder
// that everyone may write to, another user's link is not followed (ForeignLink) and root
// does not replace another user's file (ForeignFile), as the kernel's own rules for such
// folders have it; nothing is written then.
// osError, when given, receives the errno of the failing call (0 on success and for a
// failure without an operating-system cause).
ConfigFileStatus SaveConfigFileStatus(const ReaderSettings& settings, const std::string& path,
                                      int* osError = nullptr);
// Loads a configuration file into the record. The record changes only when the status is Ok;
// interfaceType and interfaceSwitchPending never change. A file over CONFIG_FILE_MAX_SIZE is
// TooLarge, unless its first CONFIG_FILE_MAX_SIZE bytes begin as a settings file in JSON does
// (LooksLikeSettingsJson): that one is SettingsJson, so that the user hears which command takes
// it. osError as for the save.
ConfigFileStatus LoadConfigFileStatus(ReaderSettings& settings, const std::string& path,
                                      int* osError = nullptr);

// The file routes of the two above, for other files the program writes and reads whole (the
// settings files in JSON). ReplaceFileContents writes count bytes as the whole file exactly as
// SaveConfigFileStatus writes a configuration file; only a regular file (or none yet) is
// replaced that way. A character device, a named pipe or socket, and a descriptor the program
// holds open (/dev/stdout, /dev/fd/N) take the bytes as a stream: nothing is renamed over
// them, and a pipe waits for its reader. A directory (WriteFailed with EISDIR) and anything
// else (NotAFile) are refused. ReadWholeFile reads a regular file of at most maxSize bytes, or
// a character device or pipe as a stream up to its end (NotFound, CannotOpen, Empty, TooLarge
// and ReadFailed as for a load); on TooLarge bytes holds the first maxSize bytes.
ConfigFileStatus ReplaceFileContents(const std::string& path, const Byte* bytes, std::size_t count,
                                     int* osError = nullptr);
ConfigFileStatus ReadWholeFile(const std::string& path, std::size_t maxSize, ByteString* bytes,
                               int* osError = nullptr);

inline bool SaveConfigFile(const ReaderSettings& settings, const std::string& path) {
  return SaveConfigFileStatus(settings, path) == ConfigFileStatus::Ok;
}
inline bool LoadConfigFile(ReaderSettings& settings, const std::string& path) {
  return LoadConfigFileStatus(settings, path) == ConfigFileStatus::Ok;
}

}  // namespace tessaron
