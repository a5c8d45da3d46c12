#pragma once
// The options of the commands that talk to readers, and the run of a command on one reader:
// --reader CONNECTION (see reader_connection.h) or the one USB reader present, --simulate
// to add simulated readers, --check for the commands that write.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/online_session.h"

namespace CLI {
class Validator;
}

namespace tessaron {

// Checks an option's value as a CONNECTION.
CLI::Validator ConnectionValidator();

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

}  // namespace tessaron
