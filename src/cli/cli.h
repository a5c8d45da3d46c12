#pragma once
// The command-line tool "tessaron": one subcommand per job, each registered by its own
// function so that further commands can be added without touching the others.

#include <functional>
#include <istream>
#include <ostream>

#include "cli/cli_context.h"

namespace tessaron {

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
  // The readers: nothing present unless the caller gives the system's devices
  // (ReaderEnvironment::System(), as the program does) or others.
  ReaderEnvironment readers = ReaderEnvironment();
};

// Parses the command line, runs the chosen command and returns the exit status.
// Help goes to out; usage errors and failures go to err. Never throws.
int RunCli(int argc, const char* const* argv, const CliEnvironment& environment);

// RunCli on the program's own standard streams: the tool's main.
int RunCliOnStandardStreams(int argc, const char* const* argv);

}  // namespace tessaron
