#pragma once
// The files the commands name. "-" is standard input where a command only reads its file and
// standard output where it only writes it, so no command makes a file named "-". A regular
// file is replaced whole through a new file and a rename; a device, a pipe or a socket is
// read or written as a stream; a directory is refused (core/config_file.h). A configuration
// file (.cfs2) and a settings file in JSON are told apart by what they hold, and a file of
// the other kind than a command takes is named as such, with the command that takes it.

#include <cstddef>
#include <string>

#include "cli/cli_context.h"
#include "core/byte_string.h"
#include "core/reader_settings.h"

namespace tessaron {

constexpr const char* STANDARD_STREAM = "-";

enum class RecordFileKind { Config, Json };

// The name of a file in messages: "standard input" for "-".
std::string ShownName(const std::string& path);

// The kind a file's name asks for: a settings file in JSON when it ends in ".json", a
// configuration file when it ends in ".cfs2", else otherwise.
RecordFileKind KindOfName(const std::string& path,
                          RecordFileKind otherwise = RecordFileKind::Config);

// Reads the whole of path, or of standard input for "-", at most maxSize bytes. CLI_EXIT_OK,
// or the exit status after one error line.
int ReadInput(const std::string& path, std::size_t maxSize, ByteString* bytes, CliContext& context);

// Loads the record of a file of either kind, as its contents show (by its name where they do
// not). CLI_EXIT_OK; CLI_EXIT_FAILURE for a file that cannot be read or decoded;
// CLI_EXIT_USAGE for a settings file that is refused, each after one error line.
int LoadRecord(const std::string& path, ReaderSettings& settings, CliContext& context);
// The same for a command that takes one kind only: a file of the other kind is a usage error
// that names it and says what to do instead (elsewhere: "use import").
int LoadRecordOfKind(const std::string& path, RecordFileKind kind, const std::string& elsewhere,
                     ReaderSettings& settings, CliContext& context);

// Loads a regular file of the kind without a word when it cannot: what a file held that is
// written whole anyway.
bool PeekRecord(const std::string& path, RecordFileKind kind, ReaderSettings& settings);

// Writes bytes as the whole of path, or to standard output for "-"; CLI_EXIT_USAGE when the
// path is another user's link or file in a shared folder (nothing is written).
int WriteOutput(const std::string& path, const ByteString& bytes, CliContext& context);
// Writes the record as a file of the kind.
int SaveRecord(const std::string& path, const ReaderSettings& settings, RecordFileKind kind,
               CliContext& context);

}  // namespace tessaron
