#include "cli/record_writes.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

#include "cli/cli_files.h"
#include "cli/cli_output.h"
#include "cli/file_lock.h"
#include "core/config_file.h"
#include "core/setting_checks.h"
#include "core/settings_json.h"
#include "cli/stop_signals.h"
#include "core/settings_transactions.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

// The exit status of a command on one target.
int ExitCodeOf(const RecordWriteOutcome& outcome) {
  if (outcome.refused) return CLI_EXIT_USAGE;
  switch (outcome.verdict) {
    case ReaderVerdict::Failed: return CLI_EXIT_FAILURE;
    case ReaderVerdict::WouldChange: return CLI_EXIT_WOULD_CHANGE;
    case ReaderVerdict::Unchanged:
    case ReaderVerdict::Changed: break;
  }
  return CLI_EXIT_OK;
}

// The changes, then the last line of a run that may write, for tools that apply a
// configuration.
int Finish(const RecordWriteOutcome& outcome, std::ostream& out) {
  if (outcome.verdict == ReaderVerdict::Changed || outcome.verdict == ReaderVerdict::WouldChange) {
    PrintDifferences(out, outcome.changes);
  }
  if (outcome.verdict != ReaderVerdict::Failed) {
    out << VerdictText(outcome.verdict) << '\n';
    out.flush();
  }
  return ExitCodeOf(outcome);
}

// Reads what a file about to be rewritten holds: its bytes (none for a file that is not
// there yet and is made whole) and its kind. CLI_EXIT_OK, or the exit status after one error
// line.
int ReadHeldFile(const std::string& path, bool replacesFile, ByteString* held, bool* heldRead,
                 RecordFileKind* kind, CliContext& context) {
  *heldRead = false;
  *kind = KindOfName(path);
  if (replacesFile) {
    // What a file held tells the changes; one that cannot be read is written whole.
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored) ||
        ReadWholeFile(path, SETTINGS_JSON_MAX_SIZE, held) != ConfigFileStatus::Ok) {
      return CLI_EXIT_OK;
    }
  } else if (const int read = ReadInput(path, SETTINGS_JSON_MAX_SIZE, held, context)) {
    return read;
  }
  *heldRead = true;
  *kind = KindOfContents(*held, *kind);
  return CheckHeldKind(path, *kind, context);
}

// Whether a regular file still holds what was read from it: a program that takes no lock may
// have written it meanwhile.
bool StillHolds(const std::string& path, const ByteString& held) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(path, ignored)) return true;
  ByteString now;
  return ReadWholeFile(path, SETTINGS_JSON_MAX_SIZE, &now) == ConfigFileStatus::Ok && now == held;
}

// The write on a file: read, change and written back under the file's lock, in the kind it
// has.
int WriteFile(const std::string& path, const WriteRequest& request, CliContext& context) {
  if (path == STANDARD_STREAM) {
    PrintError(context.err, "--file -: standard input cannot be written back; name a file");
    return CLI_EXIT_USAGE;
  }
  // Two runs on one file take turns, from the read to the write.
  FileLock lock;
  const auto waiting = [&context, &path] {
    PrintText(context.Notes(), "Waiting for another run that is changing " + path + " ...");
  };
  if (lock.Lock(path, waiting) == FileLock::Result::Stopped) {
    NoteLeftUndone();
    PrintError(context.err, "nothing was written to " + path + ": " + StopText());
    return CLI_EXIT_FAILURE;
  }
  ByteString held;
  bool heldRead = false;
  RecordFileKind kind = RecordFileKind::Config;
  if (const int read = ReadHeldFile(path, request.replacesFile, &held, &heldRead, &kind, context)) {
    return read;
  }
  ReaderSettings before;
  bool made = !heldRead;
  if (heldRead) {
    ReaderSettings decoded;
    if (!request.replacesFile) {
      if (const int decodedCode = DecodeRecord(path, held, kind, decoded, context)) return decodedCode;
      before = decoded;
    } else {
      // What an imported file replaces only tells the changes; anything else is written whole.
      std::string ignored;
      made = kind == RecordFileKind::Json
                 ? !SettingsFromJson(std::string(held.begin(), held.end()), decoded, &ignored)
                 : DecodeConfigFile(held, decoded) != ConfigFileStatus::Ok;
      if (!made) before = decoded;
    }
  }
  ReaderSettings after;
  std::string error;
  if (!request.change) {
    // defaults: the factory settings.
    after = ReaderSettings(before.interfaceType);
  } else if (!MakeRecordToWrite(before, nullptr, request, after, &error)) {
    PrintError(context.err, error + "; nothing was written");
    return CLI_EXIT_USAGE;
  }
  RecordWriteOutcome outcome{ReaderVerdict::Unchanged, false, "", DiffSettings(before, after)};
  if (made || !outcome.changes.empty()) {
    if (request.check) {
      outcome.verdict = ReaderVerdict::WouldChange;
    } else {
      if (heldRead && !StillHolds(path, held)) {
        PrintError(context.err, path + " was changed by another program while this run worked "
                                       "on it; nothing was written: run the command again");
        return CLI_EXIT_FAILURE;
      }
      if (const int saved = SaveRecord(path, after, kind, context)) return saved;
      outcome.verdict = ReaderVerdict::Changed;
    }
  }
  return Finish(outcome, context.out);
}

}  // namespace

// Empty values show as "" where a line would otherwise end in nothing.
std::string ShownValue(const std::string& value) { return value.empty() ? "\"\"" : value; }

void PrintDifferences(std::ostream& out, const std::vector<SettingDifference>& differences) {
  for (const SettingDifference& difference : differences) {
    out << difference.setting->name << ": " << ShownValue(difference.first) << " -> "
        << ShownValue(difference.second) << '\n';
  }
  out.flush();
}

int WriteReader(OnlineSession& session, ReaderLink& link, const WriteRequest& request) {
  const FindReaderAgain findAgain = [&session] { return session.Connect(std::string()); };
  return Finish(WriteRecordToReader(link, request, findAgain, session.Flow()),
                session.Context().out);
}

ReaderWork WriteWork(const WriteRequest& request) {
  return [request](const ReaderConnection& connection, const ReaderEnvironment& readers,
                   FlowContext& flow) -> ReaderResult {
    std::unique_ptr<ReaderLink> link = ReaderLink::Create(connection, readers);
    if (!link) return {ReaderVerdict::Failed, "no port can be made for this interface"};
    const RecordWriteOutcome outcome = WriteRecordToReader(*link, request, nullptr, flow);
    const bool stopped = outcome.verdict == ReaderVerdict::Failed &&
                         link->Port().LastError().kind == PortErrorKind::Stopped;
    return {outcome.verdict, stopped ? StopText() : outcome.detail, stopped};
  };
}

std::function<RecordPlace()> AddPlaceOptions(CLI::App* command, const char* fileHelp,
                                             const char* allHelp, bool* check) {
  auto online = AddOnlineOptions(command);
  auto file = std::make_shared<std::string>();
  CLI::Option* fileOption = command->add_option("-f,--file", *file, fileHelp)
                                ->type_name("FILE")
                                ->excludes(command->get_option("--reader"))
                                ->excludes(command->get_option("--simulate"));
  auto fleet = std::make_shared<FleetOptions>();
  if (allHelp != nullptr) {
    AddFleetOptions(command, "--all", allHelp, fleet.get());
    command->get_option("--all")->excludes(command->get_option("--reader"))->excludes(fileOption);
  }
  if (check != nullptr) AddCheckFlag(command, check);
  return [online, file, fleet] {
    RecordPlace place{*online, *file, *fleet};
    // --simulate belongs to the readers --all works on.
    place.fleet.simulate = online->simulate;
    return place;
  };
}

RecordChange WholeRecord(const ReaderSettings& record, bool keyboardFormat) {
  return [record, keyboardFormat](ReaderLink* link, ReaderSettings& after, std::string*) {
    const InterfaceType type = after.interfaceType;
    after = record;
    after.interfaceType = type;
    if (keyboardFormat) AskKeyboardFormatOfKeyboardReader(link, after);
    return true;
  };
}

int WriteFileRecord(const RecordPlace& place, const std::string& path, RecordFileKind kind,
                    const std::string& elsewhere, bool keyboardFormat, bool check,
                    CliContext& context) {
  ReaderSettings settings;
  if (const int loaded = LoadRecordOfKind(path, kind, elsewhere, settings, context)) {
    return loaded;
  }
  // A record that no reader takes is refused before any reader is looked for.
  std::string error;
  if (!CheckSettingsFit(settings, MAX_SETTINGS_FRAME, &error)) {
    PrintError(context.err, error + "; nothing was written");
    return CLI_EXIT_USAGE;
  }
  // A file is given the whole record, whatever it held or when it is not there yet.
  return RunWrite(place,
                  WriteRequest{.change = WholeRecord(settings, keyboardFormat),
                               .check = check,
                               .replacesFile = true},
                  context);
}

int RunWrite(const RecordPlace& place, const WriteRequest& request, CliContext& context) {
  if (place.fleet.all) return RunOnEveryReader(place.fleet, context, WriteWork(request));
  if (!place.file.empty()) return WriteFile(place.file, request, context);
  return WithReader(place.reader, context, [&](OnlineSession& session, ReaderLink& link) {
    return WriteReader(session, link, request);
  });
}

}  // namespace tessaron
