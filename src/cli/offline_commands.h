#pragma once
// Commands that work on configuration files alone, without a reader.

#include <ostream>
#include <string>

#include "cli/cli.h"
#include "core/interface_type.h"

namespace tessaron {

// "init FILE": writes a configuration file holding the factory defaults.
void AddInitCommand(CLI::App& app, CliContext& context);
// "show FILE [--interface NAME] [--firmware TEXT] [--raw]": prints the current-settings report.
void AddShowCommand(CLI::App& app, CliContext& context);
// "dump FILE": lists the file's settings stream in hexadecimal, one record per line.
void AddDumpCommand(CLI::App& app, CliContext& context);

// The work of each command, apart from its command line. Each returns the exit status
// and writes at most one line to err on failure.
int RunInitCommand(const std::string& path, std::ostream& out, std::ostream& err);
int RunShowCommand(const std::string& path, InterfaceType type, const std::string& firmware,
                   bool raw, std::ostream& out, std::ostream& err);
int RunDumpCommand(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace tessaron
