#pragma once
// Commands on named settings: list them, get and set them on a reader or in a file, keep a
// whole record as a settings file in JSON (export, import), and compare two records (diff).
// A file is a settings file in JSON when its name ends in ".json", else a configuration file.

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/fleet.h"
#include "cli/online_commands.h"
#include "core/reader_settings.h"
#include "flows/flow_context.h"
#include "flows/reader_connection.h"

namespace tessaron {

void AddSettingsCommand(CLI::App& app, CliContext& context);
void AddGetCommand(CLI::App& app, CliContext& context);
void AddSetCommand(CLI::App& app, CliContext& context);
void AddExportCommand(CLI::App& app, CliContext& context);
void AddImportCommand(CLI::App& app, CliContext& context);
void AddDiffCommand(CLI::App& app, CliContext& context);

// Where get, set, export and import find their record: the file when one is named, every
// reader found with --all (set and import), else the reader.
struct RecordPlace {
  OnlineOptions reader;
  std::string file;
  FleetOptions fleet;
};

// Reads the reader's record into settings; false after the failure was told.
bool ReadInto(ReaderLink& link, FlowContext& flow, ReaderSettings& settings);

struct ApplyOptions {
  std::ostream& out;  // the settings that change, and notes on the interface switch
  std::ostream& err;  // why a record was refused or read back otherwise
  bool check = false;  // only say what would change
  // Finds the reader again after an interface switch; none: it is not read back then.
  std::function<std::unique_ptr<ReaderLink>()> findAgain;
};

struct ApplyOutcome {
  ReaderVerdict verdict;
  int exitCode;        // for a command on this one reader
  std::string detail;  // for the reader's line among many
};

// Brings a reader that holds before to after: nothing is written when the two hold the same
// settings (or with check); otherwise one frame with the firmware rule and the interface
// switch of "Send to MSR", then the settings are read back and compared.
ApplyOutcome ApplyRecord(ReaderLink& link, FlowContext& flow, const ReaderSettings& before,
                         ReaderSettings after, const ApplyOptions& options);

// The work of each command, apart from its command line; each returns the exit status.
// words: one line a setting, its name and then the words it takes, separated by blanks (for
// shell completion) instead of the table for people.
int RunSettingsCommand(bool words, CliContext& context);
// No names: every setting. json: one JSON object instead of "name = value" lines.
int RunGetCommand(const RecordPlace& place, const std::vector<std::string>& names, bool json,
                  CliContext& context);
// Makes the record to write from a reader's own (after holds it on entry); false, with the
// reason on err, when it cannot be made.
using RecordChange =
    std::function<bool(ReaderLink& link, ReaderSettings& after, std::ostream& err)>;
// The work of --all for a command that writes: reads a reader, changes its record and
// applies it (see ApplyRecord).
ReaderWork ApplyWork(bool check, const RecordChange& change);

// assignments: "NAME=VALUE" each. All are checked before the record is read; an unknown name
// or value is a usage error and nothing is written. set and import write only what differs:
// the last line says "changed", "unchanged" or, with check (nothing written, exit 3 when
// something would change), "would change".
int RunSetCommand(const RecordPlace& place, const std::vector<std::string>& assignments,
                  bool check, CliContext& context);
// target "-": standard output.
int RunExportCommand(const RecordPlace& place, const std::string& target, CliContext& context);
// source "-": standard input.
int RunImportCommand(const RecordPlace& place, const std::string& source, bool check,
                     CliContext& context);
// Each operand a file, "reader" (the automatic connection) or "reader:CONNECTION". 0 when the
// records hold the same settings, 1 when they differ, 2 when one cannot be had.
int RunDiffCommand(const std::vector<std::string>& simulate, const std::string& first,
                   const std::string& second,
                   CliContext& context);

}  // namespace tessaron
