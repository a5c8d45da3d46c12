#pragma once
// Every command that writes settings (set, import, load, defaults, clone) writes the same way
// (flows/record_write.h), on a reader or in a file, on one reader or on every reader found
// (--all); this prints it: the changed settings, "name: old -> new", on standard output, and
// a last line that says "changed", "unchanged" or with --check "would change". Standard
// output carries these results only; progress and notes go to standard error.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "cli/cli_files.h"
#include "cli/fleet.h"
#include "cli/online_session.h"
#include "cli/reader_options.h"
#include "core/reader_settings.h"
#include "core/setting_names.h"
#include "flows/record_write.h"

namespace tessaron {

// Where a command finds its record: the file when one is named, every reader found with
// --all, else the reader.
struct RecordPlace {
  OnlineOptions reader;
  std::string file;
  FleetOptions fleet;
};

using WriteRequest = RecordWriteRequest;

// Adds --reader and --simulate, or --file (described by fileHelp), to a command; with
// allHelp --all with its options, and with check --check. The place is made when the command
// runs.
std::function<RecordPlace()> AddPlaceOptions(CLI::App* command, const char* fileHelp,
                                             const char* allHelp = nullptr, bool* check = nullptr);

// Runs the write on the place; the exit status.
int RunWrite(const RecordPlace& place, const WriteRequest& request, CliContext& context);
// The change that writes a whole record; with keyboardFormat in the keyboard format on a
// keyboard-class USB reader (as "Load from File" does; the firmware rule of the write takes
// it back on a firmware that does not take it).
RecordChange WholeRecord(const ReaderSettings& record, bool keyboardFormat = true);
// load and import: the whole record of a file of that kind written to the place. The file is
// read and checked before any reader is looked for (elsewhere: the command that writes a
// file of the other kind).
int WriteFileRecord(const RecordPlace& place, const std::string& path, RecordFileKind kind,
                    const std::string& elsewhere, bool keyboardFormat, bool check,
                    CliContext& context);
// The write on one reader of a session (clone --to, whose source is read in the session).
int WriteReader(OnlineSession& session, ReaderLink& link, const WriteRequest& request);
// The write as the work on each reader of --all.
ReaderWork WriteWork(const WriteRequest& request);

// A value as a line shows it: "" for an empty one.
std::string ShownValue(const std::string& value);
// One line "name: A -> B" per difference.
void PrintDifferences(std::ostream& out, const std::vector<SettingDifference>& differences);

}  // namespace tessaron
