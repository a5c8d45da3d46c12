#pragma once
// One behaviour for every command that writes settings (set, import, load, defaults, clone),
// on a reader or in a file, on one reader or on every reader found (--all):
//   1. the record the target holds is read (a keyboard-class USB reader's firmware with it);
//   2. the command makes the record to write of it, and the firmware rule is applied;
//   3. it must take the rules of a reader, in a file too: one frame of at most 400 bytes, and
//      no data-edit rule broken that the target did not break already (else a usage error:
//      nothing is written);
//   4. nothing is written when the target holds it already, nor with --check;
//   5. a reader is written in one frame and read back (after an interface switch where it
//      re-appears), and what it holds is compared with what was written;
//   6. then the changed settings are printed, "name: old -> new", and the last line says
//      "changed", "unchanged" or with --check "would change".
// Standard output carries these results only; progress and notes go to standard error.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/fleet.h"
#include "cli/online_commands.h"
#include "cli/online_session.h"
#include "core/reader_settings.h"
#include "core/setting_names.h"

namespace tessaron {

// Where a command finds its record: the file when one is named, every reader found with
// --all, else the reader.
struct RecordPlace {
  OnlineOptions reader;
  std::string file;
  FleetOptions fleet;
};

// Makes the record to write from the one the target holds (after holds it on entry; link is
// the target reader, null for a file). False, with the reason in error, when it cannot be
// made: a wrong command line.
using RecordChange =
    std::function<bool(ReaderLink* link, ReaderSettings& after, std::string* error)>;

struct WriteRequest {
  // None: the reader restores its factory settings by its own command (defaults); --check
  // then compares with the factory settings the program knows.
  RecordChange change;
  bool check = false;
  // The file is written whole whatever it held, or made (import): what it held only tells
  // the changes.
  bool replacesFile = false;
};

// Runs the write on the place; the exit status.
int RunWrite(const RecordPlace& place, const WriteRequest& request, CliContext& context);
// The write on one reader of a session (clone --to, whose source is read in the session).
int WriteReader(OnlineSession& session, ReaderLink& link, const WriteRequest& request);
// The write as the work on each reader of --all.
ReaderWork WriteWork(const WriteRequest& request);

// A value as a line shows it: "" for an empty one.
std::string ShownValue(const std::string& value);
// One line "name: A -> B" per difference.
void PrintDifferences(std::ostream& out, const std::vector<SettingDifference>& differences);

}  // namespace tessaron
