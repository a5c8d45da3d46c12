#pragma once
// The command-line tool "tessaron": one subcommand per job, each registered by its own
// function so that further commands can be added without touching the others.

#include <ostream>

namespace CLI {
class App;
}

namespace tessaron {

// Exit statuses of the tool.
constexpr int CLI_EXIT_OK = 0;
constexpr int CLI_EXIT_FAILURE = 1;  // a file or reader could not be used
constexpr int CLI_EXIT_USAGE = 2;    // wrong command line

// What every command writes to and where it leaves its exit status.
struct CliContext {
  std::ostream& out;
  std::ostream& err;
  int exitCode = CLI_EXIT_OK;
};

// Adds one subcommand to the tool; its callback runs the command and sets exitCode.
using CommandRegistration = void (*)(CLI::App& app, CliContext& context);

// Parses the command line, runs the chosen command and returns the exit status.
// Help goes to out; usage errors and failures go to err. Never throws.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace tessaron
