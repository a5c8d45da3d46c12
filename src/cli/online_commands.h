#pragma once
// Commands that talk to readers: list, report, version, save, load, defaults, send, clone.
// Each names its reader with --reader CONNECTION (see reader_connection.h) or connects
// automatically to the one USB reader present; --simulate[=LINE] adds the built-in
// simulated reader to the devices found.

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/fleet.h"
#include "cli/reader_options.h"
#include "cli/record_writes.h"
#include "core/interface_type.h"

namespace tessaron {

void AddListCommand(CLI::App& app, CliContext& context);
void AddReportCommand(CLI::App& app, CliContext& context);
void AddVersionCommand(CLI::App& app, CliContext& context);
void AddSaveCommand(CLI::App& app, CliContext& context);
void AddLoadCommand(CLI::App& app, CliContext& context);
void AddDefaultsCommand(CLI::App& app, CliContext& context);
void AddSendCommand(CLI::App& app, CliContext& context);
void AddCloneCommand(CLI::App& app, CliContext& context);
void AddBootLoaderCommand(CLI::App& app, CliContext& context);

// The work of each command, apart from its command line; each returns the exit status.
// Results go to out; progress and the outcome texts of success are notes on err, each
// failure one line there. type InterfaceType::Unknown lists all five interfaces; json: one JSON
// list instead of lines.
int RunListCommand(const std::vector<std::string>& simulate, InterfaceType type, bool json,
                   CliContext& context);
// raw: the report text exactly as the report window shows it (CR LF, no final line end).
int RunReportCommand(const OnlineOptions& options, bool raw, CliContext& context);
int RunVersionCommand(const OnlineOptions& options, CliContext& context);
// path "-": standard output.
int RunSaveCommand(const OnlineOptions& options, const std::string& path, CliContext& context);
// Load, defaults and clone write as every command that writes settings does
// (record_writes.h), on the place's reader, file or (load) every reader found; path "-":
// standard input.
int RunLoadCommand(const RecordPlace& place, const std::string& path, bool check,
                   CliContext& context);
int RunDefaultsCommand(const RecordPlace& place, bool check, CliContext& context);
int RunSendCommand(const OnlineOptions& options, const std::string& text, CliContext& context);
// The boot loader: the password (asked for on in when not given), then the confirmation
// (answered yes by --yes), then the command.
int RunBootLoaderCommand(const OnlineOptions& options, const std::optional<std::string>& password,
                         bool yes, CliContext& context);
// Exactly one of to, toAll.all and toFile: one target, every reader found but the source, or
// a file.
int RunCloneCommand(const std::vector<std::string>& simulate, const std::string& from,
                    const std::string& to, const FleetOptions& toAll, const std::string& toFile,
                    bool check, CliContext& context);

}  // namespace tessaron
