#pragma once
// What every command of the tool writes to, reaches its readers through and leaves its exit
// status in, and the exit statuses themselves.

#include <istream>
#include <ostream>

#include "transport/reader_environment.h"

namespace CLI {
class App;
}

namespace tessaron {

// Exit statuses of the tool.
constexpr int CLI_EXIT_OK = 0;
constexpr int CLI_EXIT_FAILURE = 1;  // a file or reader could not be used
constexpr int CLI_EXIT_USAGE = 2;    // wrong command line
constexpr int CLI_EXIT_WOULD_CHANGE = 3;  // --check: a write would change something
// A stop signal left work undone: 128 + the signal's number (130 for Ctrl-C, 143 for SIGTERM).
constexpr int CLI_EXIT_SIGNAL_BASE = 128;

// What every command writes to and where it leaves its exit status.
struct CliContext {
  std::ostream& out;
  std::ostream& err;
  std::istream* in = nullptr;
  double timingScale = 1.0;
  // The devices, ports and messages the readers are reached through (before the run's own
  // timing and the simulated readers are added).
  ReaderEnvironment readers;
  int exitCode = CLI_EXIT_OK;
  // --fast: exchanges end as soon as a whole reply has come.
  bool fastReplies = false;
  bool errIsTerminal = false;
  // Standard input was closed when the program started.
  bool inClosed = false;
  // --quiet: no progress and no notes, only results and failures.
  bool quiet = false;

  // Where progress and notes go: err, or nowhere with --quiet.
  std::ostream& Notes() { return quiet ? nowhere : err; }
  std::ostream nowhere{nullptr};
};

// Adds one subcommand to the tool; its callback runs the command and sets exitCode.
using CommandRegistration = void (*)(CLI::App& app, CliContext& context);

}  // namespace tessaron
