#pragma once
// The files the commands name. "-" is standard input where a command only reads its file and
// standard output where it only writes it, so no command makes a file named "-". A regular
// file is replaced whole through a new file and a rename; a device, a pipe or a socket is
// read or written as a stream; a directory is refused (core/config_file.h).
//
// One rule for a file's kind: what a file holds tells whether it is a configuration file
// (.cfs2) or a settings file in JSON, wherever it is read; its name only where its contents
// tell nothing. A command that writes chooses the kind it writes (init and save a
// configuration file, export JSON, a write with --file the kind the file has) and refuses a
// name that says the other kind, naming the command that writes that one. A file that cannot
// be read as a settings file (empty, cut off, malformed) is exit status 2; a read or write
// that the system refuses is 1.

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
// The kind the contents show, else otherwise.
RecordFileKind KindOfContents(const ByteString& bytes, RecordFileKind otherwise);

// Reads the whole of path, or of standard input for "-", at most maxSize bytes. CLI_EXIT_OK,
// or the exit status after one error line.
int ReadInput(const std::string& path, std::size_t maxSize, ByteString* bytes, CliContext& context);

// Loads the record of a file of either kind, as its contents show. CLI_EXIT_OK, or the exit
// status after one error line.
int LoadRecord(const std::string& path, ReaderSettings& settings, CliContext& context);
// The same for a command that takes one kind only: a file of the other kind is a usage error
// that names it and says what to do instead (elsewhere: "\"tessaron import\" writes it").
int LoadRecordOfKind(const std::string& path, RecordFileKind kind, const std::string& elsewhere,
                     ReaderSettings& settings, CliContext& context);
// Decodes a file's bytes as a record of the kind; CLI_EXIT_OK, or CLI_EXIT_USAGE after one
// error line.
int DecodeRecord(const std::string& path, const ByteString& bytes, RecordFileKind kind,
                 ReaderSettings& settings, CliContext& context);

// Before a command that writes a file of the kind does any work: refuses (CLI_EXIT_USAGE) a
// name that says the other kind, with otherCommand, which writes that one; refuses
// (CLI_EXIT_FAILURE) a directory, and a file in a folder that does not exist. CLI_EXIT_OK, or
// the exit status after one error line.
int CheckOutputName(const std::string& path, RecordFileKind kind, const std::string& command,
                    const std::string& otherCommand, CliContext& context);
// A file about to be rewritten holds held under a name that says the other kind: refused
// (CLI_EXIT_USAGE) with what to do. CLI_EXIT_OK when the name fits what it holds.
int CheckHeldKind(const std::string& path, RecordFileKind held, CliContext& context);

// Writes bytes as the whole of path, or to standard output for "-"; CLI_EXIT_USAGE when the
// path is another user's link or file in a shared folder (nothing is written).
int WriteOutput(const std::string& path, const ByteString& bytes, CliContext& context);
// Writes the record as a file of the kind.
int SaveRecord(const std::string& path, const ReaderSettings& settings, RecordFileKind kind,
               CliContext& context);

}  // namespace tessaron
