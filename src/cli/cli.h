#pragma once
// The command-line tool "tessaron": one subcommand per job, each registered by its own
// function so that further commands can be added without touching the others.

#include <istream>
#include <ostream>

namespace CLI {
class App;
}

namespace tessaron {

// Exit statuses of the tool.
constexpr int CLI_EXIT_OK = 0;
constexpr int CLI_EXIT_FAILURE = 1;  // a file or reader could not be used
constexpr int CLI_EXIT_USAGE = 2;    // wrong command line
constexpr int CLI_EXIT_WOULD_CHANGE = 3;  // --check: a write would change something

// Where a run of the tool reads and writes, and how fast its readers are driven.
struct CliEnvironment {
  std::ostream& out;
  std::ostream& err;
  std::istream* in = nullptr;  // answers to questions; none: every question is answered no
  // Factor on every transport time and every pause between steps; the program runs at 1
  // (the real timing), tests shorten it.
  double timingScale = 1.0;
  // err is a terminal: long runs show their progress on one line that is written over.
  bool errIsTerminal = false;
};

// What every command writes to and where it leaves its exit status.
struct CliContext {
  std::ostream& out;
  std::ostream& err;
  std::istream* in = nullptr;
  double timingScale = 1.0;
  int exitCode = CLI_EXIT_OK;
  // --fast: exchanges end as soon as a whole reply has come.
  bool fastReplies = false;
  bool errIsTerminal = false;
};

// Adds one subcommand to the tool; its callback runs the command and sets exitCode.
using CommandRegistration = void (*)(CLI::App& app, CliContext& context);

// Parses the command line, runs the chosen command and returns the exit status.
// Help goes to out; usage errors and failures go to err. Never throws.
int RunCli(int argc, const char* const* argv, const CliEnvironment& environment);

}  // namespace tessaron
