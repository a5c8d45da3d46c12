#pragma once
// The command-line tool "tessaron": one subcommand per job, each registered by its own
// function so that further commands can be added without touching the others.

#include <functional>
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
constexpr int CLI_EXIT_INTERRUPTED = 130;  // Ctrl-C ended a run over many readers early

// Where a run of the tool reads and writes, and how fast its readers are driven.
struct CliEnvironment {
  std::ostream& out;
  std::ostream& err;
  std::istream* in = nullptr;  // standard input: "-" files, answers to questions
  // Factor on every transport time and every pause between steps; the program runs at 1
  // (the real timing), tests shorten it.
  double timingScale = 1.0;
  // err is a terminal: long runs show their progress on one line that is written over.
  bool errIsTerminal = false;
  // Writes out what is left and closes it; 0, or the errno of a write that failed. None:
  // the state of out alone tells.
  std::function<int()> finishOut = nullptr;
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
  // --quiet: no progress and no notes, only results and failures.
  bool quiet = false;

  // Where progress and notes go: err, or nowhere with --quiet.
  std::ostream& Notes() { return quiet ? nowhere : err; }
  std::ostream nowhere{nullptr};
};

// Adds one subcommand to the tool; its callback runs the command and sets exitCode.
using CommandRegistration = void (*)(CLI::App& app, CliContext& context);

// Parses the command line, runs the chosen command and returns the exit status.
// Help goes to out; usage errors and failures go to err. Never throws.
int RunCli(int argc, const char* const* argv, const CliEnvironment& environment);

// RunCli on the program's own standard streams: the tool's main.
int RunCliOnStandardStreams(int argc, const char* const* argv);

}  // namespace tessaron
