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
  // Standard input was closed when the program started (in is then null).
  bool inClosed = false;
};

// Parses the command line, runs the chosen command and returns the exit status.
// Help goes to out; usage errors and failures go to err. Never throws.
int RunCli(int argc, const char* const* argv, const CliEnvironment& environment);

// Which of the standard descriptors were closed when the program started.
struct ClosedStandardStreams {
  bool in = false;
  bool out = false;
};

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed, before anything else
// is opened: else the first file or port opened would take its place, and the tool's notes
// would go down a reader's line or into a settings file. Says which were closed; nothing to
// do on Windows.
ClosedStandardStreams OpenClosedStandardStreams();

// RunCli on the program's own standard streams: the tool's main. A standard output that was
// closed fails the run as soon as something is written to it; a closed standard input is
// said to be closed where it is read.
int RunCliOnStandardStreams(int argc, const char* const* argv,
                            ClosedStandardStreams closed = ClosedStandardStreams());

}  // namespace tessaron
