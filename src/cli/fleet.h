#pragma once
// Many readers at once: a command with --all (clone: --to-all) does its work on every reader
// that discovery finds, one after the other or several at once (--jobs), and prints one line
// per reader with its connection and its result, then a summary. A reader that fails never
// stops the others.

#include <functional>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "flows/flow_context.h"
#include "flows/reader_connection.h"
#include "flows/record_write.h"

namespace CLI {
class App;
}

namespace tessaron {

class OnlineSession;

struct FleetOptions {
  bool all = false;
  std::vector<std::string> simulate;
  // Only the readers of this interface (any of the five lines); empty: the USB readers,
  // which discovery tells by their ids (a serial port or the keyboard line may have no
  // reader behind it, so they are asked for by name).
  std::string interfaceName;
  int jobs = 1;
};

// Adds allFlag ("--all" or "--to-all"), --jobs and --interface to a command; --simulate is
// the command's own, passed in.
void AddFleetOptions(CLI::App* command, const char* allFlag, const char* allHelp,
                     FleetOptions* options);

// The word of a verdict, as a reader's line and a run's last line say it.
const char* VerdictText(ReaderVerdict verdict);

struct ReaderResult {
  ReaderVerdict verdict = ReaderVerdict::Failed;
  std::string detail;  // shown behind the verdict, e.g. why it failed
  // The run was asked to stop before the work on the reader was done (verdict Failed).
  bool stopped = false;
};

// The work on one reader, reached through readers. Its flow keeps the reader's failures for
// its line; waits are slept.
using ReaderWork = std::function<ReaderResult(const ReaderConnection& connection,
                                              const ReaderEnvironment& readers,
                                              FlowContext& flow)>;

// Runs work on every reader found (but skip) in the session, whose simulated readers run
// already and are taken whatever their line. Exit status: 1 when a reader failed or none was
// found, else 3 when one would change (--check), else 0. The last line says "changed" when a
// reader was written, "would change" when one would be, else "unchanged". A stop signal
// (Ctrl-C, SIGTERM, SIGHUP) lets the exchange in progress with each reader end (a write is
// never cut off) and starts nothing new: the readers done keep their lines, a reader whose
// work was cut says so on its line, the summary counts the readers not done, and the exit
// status is 128 + the signal's number when there are any. A second signal ends the program
// at once.
int RunOnEveryReader(OnlineSession& session, const FleetOptions& options, CliContext& context,
                     const ReaderWork& work, const std::vector<ReaderConnection>& skip = {});
// The same in a session of its own, with the simulated readers of the options running.
int RunOnEveryReader(const FleetOptions& options, CliContext& context, const ReaderWork& work);

}  // namespace tessaron
