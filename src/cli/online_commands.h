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

#include "cli/cli.h"
#include "cli/fleet.h"
#include "cli/online_session.h"
#include "core/interface_type.h"

namespace tessaron {

// The options every command on one reader has.
struct OnlineOptions {
  std::string reader;    // the connection string; empty: the automatic connection
  // The simulated readers, each LINE or LINE:COUNT; empty: none.
  std::vector<std::string> simulate;
};

// Adds --reader and --simulate to a command on one reader.
std::shared_ptr<OnlineOptions> AddOnlineOptions(CLI::App* command);
// Adds --simulate alone (a command that names its readers otherwise); it may be given
// several times.
void AddSimulateOption(CLI::App* command, std::vector<std::string>* lines);
// Adds --check to a command that writes settings.
void AddCheckFlag(CLI::App* command, bool* check);
// Checks the options that CLI11 checks on the command line, for callers of the Run
// functions; false after a message on err.
bool OptionsUsable(const std::string& reader, const std::vector<std::string>& simulate,
                   std::ostream& err);

// Runs body(session, link) on the reader the options name, with the simulated reader
// running when asked for, and returns its exit status. The link goes before the session, so
// no port outlives the simulated reader it may hold.
template <typename Body>
int WithReader(const OnlineOptions& options, CliContext& context, Body body) {
  if (!OptionsUsable(options.reader, options.simulate, context.err)) return CLI_EXIT_USAGE;
  OnlineSession session(context);
  if (!options.simulate.empty() && !session.Simulate(options.simulate)) return CLI_EXIT_FAILURE;
  int code = CLI_EXIT_FAILURE;
  std::unique_ptr<ReaderLink> link = session.Connect(options.reader, &code);
  if (!link) return code;
  return body(session, *link);
}

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
// failure one line there. type INTERFACE_UNKNOWN lists all five interfaces; json: one JSON
// list instead of lines.
int RunListCommand(const std::vector<std::string>& simulate, InterfaceType type, bool json,
                   CliContext& context);
// raw: the report text exactly as the report window shows it (CR LF, no final line end).
int RunReportCommand(const OnlineOptions& options, bool raw, CliContext& context);
int RunVersionCommand(const OnlineOptions& options, CliContext& context);
// path "-": standard output.
int RunSaveCommand(const OnlineOptions& options, const std::string& path, CliContext& context);
// Load, defaults and clone write as every command that writes settings does
// (record_writes.h). fleet.all: the file goes to every reader found instead of the one of
// options; path "-": standard input.
int RunLoadCommand(const OnlineOptions& options, const std::string& path,
                   const FleetOptions& fleet, bool check, CliContext& context);
int RunDefaultsCommand(const OnlineOptions& options, bool check, CliContext& context);
int RunSendCommand(const OnlineOptions& options, const std::string& text, CliContext& context);
// The boot loader: the password (asked for on in when not given), then the confirmation
// (answered yes by --yes), then the command.
int RunBootLoaderCommand(const OnlineOptions& options, const std::optional<std::string>& password,
                         bool yes, CliContext& context);
// Exactly one of to and toAll.all: one target, or every reader found but the source.
int RunCloneCommand(const std::vector<std::string>& simulate, const std::string& from,
                    const std::string& to, const FleetOptions& toAll, bool check,
                    CliContext& context);

}  // namespace tessaron
