#pragma once
// Commands that work on configuration files alone, without a reader.

#include <string>

#include "cli/cli_context.h"
#include "core/interface_type.h"

namespace tessaron {

// "init FILE": writes a configuration file holding the factory defaults.
void AddInitCommand(CLI::App& app, CliContext& context);
// "show FILE [--interface NAME] [--firmware TEXT] [--raw]": prints the current-settings report.
void AddShowCommand(CLI::App& app, CliContext& context);
// "dump FILE": lists the file's settings stream in hexadecimal, one record per line.
void AddDumpCommand(CLI::App& app, CliContext& context);

// The work of each command, apart from its command line. Each returns the exit status and
// writes at most one line to err on failure. A FILE of "-" is standard output for init and
// standard input for show and dump.
int RunInitCommand(const std::string& path, CliContext& context);
int RunShowCommand(const std::string& path, InterfaceType type, const std::string& firmware,
                   bool raw, CliContext& context);
int RunDumpCommand(const std::string& path, CliContext& context);

}  // namespace tessaron
