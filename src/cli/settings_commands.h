#pragma once
// Commands on named settings: list them, get and set them on a reader or in a file, keep a
// whole record as a settings file in JSON (export, import), and compare two records (diff).
// A file is a settings file in JSON when its name ends in ".json", else a configuration file.

#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/record_writes.h"

namespace tessaron {

void AddSettingsCommand(CLI::App& app, CliContext& context);
void AddGetCommand(CLI::App& app, CliContext& context);
void AddSetCommand(CLI::App& app, CliContext& context);
void AddExportCommand(CLI::App& app, CliContext& context);
void AddImportCommand(CLI::App& app, CliContext& context);
void AddDiffCommand(CLI::App& app, CliContext& context);

// The work of each command, apart from its command line; each returns the exit status.
// words: one line a setting, its name and then the words it takes, separated by blanks (for
// shell completion) instead of the table for people.
int RunSettingsCommand(bool words, CliContext& context);
// No names: every setting. json: one JSON object instead of "name = value" lines.
int RunGetCommand(const RecordPlace& place, const std::vector<std::string>& names, bool json,
                  CliContext& context);
// assignments: "NAME=VALUE" each. All are checked before the record is read; an unknown name
// or value is a usage error and nothing is written. set and import write as every command
// that writes settings does (record_writes.h).
int RunSetCommand(const RecordPlace& place, const std::vector<std::string>& assignments,
                  bool check, CliContext& context);
// target "-": standard output.
int RunExportCommand(const RecordPlace& place, const std::string& target, CliContext& context);
// source "-": standard input.
int RunImportCommand(const RecordPlace& place, const std::string& source, bool check,
                     CliContext& context);
// Each operand a file ("-": standard input), "reader" (the automatic connection) or
// "reader:CONNECTION". 0 when the records hold the same settings, 1 when they differ, 2 when
// one cannot be had. json: one JSON object of the differences.
int RunDiffCommand(const std::vector<std::string>& simulate, const std::string& first,
                   const std::string& second, bool json, CliContext& context);

}  // namespace tessaron
