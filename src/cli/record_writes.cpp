#include "cli/record_writes.h"

#include <filesystem>

#include "cli/cli_files.h"
#include "cli/cli_output.h"

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

// The write on a file.
int WriteFile(const std::string& path, const WriteRequest& request, CliContext& context) {
  if (path == STANDARD_STREAM) {
    PrintError(context.err, "--file -: standard input cannot be written back; name a file");
    return CLI_EXIT_USAGE;
  }
  const RecordFileKind kind = KindOfName(path);
  ReaderSettings before;
  bool made = false;
  if (request.replacesFile) {
    // What a regular file held tells the changes; anything else is written whole.
    std::error_code ignored;
    made = !std::filesystem::is_regular_file(path, ignored) ||
           !PeekRecord(path, kind, before);
  } else if (const int loaded = LoadRecordOfKind(
                 path, kind, "a name ending in .json is a settings file in JSON, any other a "
                             "configuration file",
                 before, context)) {
    return loaded;
  }
  ReaderSettings after;
  std::string error;
  if (!MakeRecordToWrite(before, nullptr, request, after, &error)) {
    PrintError(context.err, error + "; nothing was written");
    return CLI_EXIT_USAGE;
  }
  RecordWriteOutcome outcome{ReaderVerdict::Unchanged, false, "", DiffSettings(before, after)};
  if (made || !outcome.changes.empty()) {
    if (request.check) {
      outcome.verdict = ReaderVerdict::WouldChange;
    } else {
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
    return {outcome.verdict, outcome.detail};
  };
}

int RunWrite(const RecordPlace& place, const WriteRequest& request, CliContext& context) {
  if (place.fleet.all) return RunOnEveryReader(place.fleet, context, WriteWork(request));
  if (!place.file.empty()) return WriteFile(place.file, request, context);
  return WithReader(place.reader, context, [&](OnlineSession& session, ReaderLink& link) {
    return WriteReader(session, link, request);
  });
}

}  // namespace tessaron
