#include "cli/record_writes.h"

#include <filesystem>
#include <optional>
#include <sstream>

#include "cli/cli_files.h"
#include "cli/cli_output.h"
#include "core/command_frame.h"
#include "core/settings_transactions.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

// What the write on one target came to.
struct WriteOutcome {
  ReaderVerdict verdict;
  int exitCode;        // for a command on this one target
  std::string detail;  // for the target's line among many
};

// Where one write prints: the changes, the notes, the failures. Among many readers all three
// are dropped: the reader's line tells how it went.
struct WriteStreams {
  std::ostream& out;
  std::ostream& notes;
  std::ostream& err;
  // Finds the reader again after an interface switch; none: it is not read back then.
  std::function<std::unique_ptr<ReaderLink>()> findAgain;
};

// The names of the settings that differ, for a reader's line.
std::string NamesOf(const std::vector<SettingDifference>& differences) {
  std::string names;
  for (const SettingDifference& difference : differences) {
    if (!names.empty()) names += ", ";
    names += difference.setting->name;
  }
  return names;
}

// The interface a USB reader presents with that USB HID format.
const char* InterfaceOfHidFormat(Byte format) {
  return InterfaceDisplayName(format == HID_FORMAT_KALDOR_KEYBOARD ? INTERFACE_USB_HID_KB
                                                                   : INTERFACE_USB_HID);
}

WriteOutcome Refused(const std::string& reason, const WriteStreams& streams) {
  PrintError(streams.err, reason + "; nothing was written");
  return {ReaderVerdict::Failed, CLI_EXIT_USAGE, reason};
}

// The changes, and the verdict of a write that is confirmed.
WriteOutcome Written(const std::vector<SettingDifference>& changes, const WriteStreams& streams,
                     const std::string& detail = std::string()) {
  PrintDifferences(streams.out, changes);
  return {ReaderVerdict::Changed, CLI_EXIT_OK, detail};
}

// The changes with --check, or that there are none.
std::optional<WriteOutcome> NothingToWrite(const std::vector<SettingDifference>& changes,
                                           bool check, const WriteStreams& streams) {
  if (changes.empty()) return WriteOutcome{ReaderVerdict::Unchanged, CLI_EXIT_OK, ""};
  if (!check) return std::nullopt;
  PrintDifferences(streams.out, changes);
  return WriteOutcome{ReaderVerdict::WouldChange, CLI_EXIT_WOULD_CHANGE, NamesOf(changes)};
}

// defaults: the reader's own command, and the settings it holds then.
WriteOutcome RestoreDefaults(ReaderLink& link, FlowContext& flow, const ReaderSettings& before,
                             bool check, const WriteStreams& streams) {
  if (check) {
    return *NothingToWrite(DiffSettings(before, ReaderSettings(link.Interface())), true, streams);
  }
  ReaderSettings after(link.Interface());
  if (!RestoreFactoryDefaults(&link, after, SheetKind::Advanced, flow)) {
    return {ReaderVerdict::Failed, CLI_EXIT_FAILURE, ""};
  }
  const std::vector<SettingDifference> changes = DiffSettings(before, after);
  if (changes.empty()) return {ReaderVerdict::Unchanged, CLI_EXIT_OK, ""};
  return Written(changes, streams);
}

// Brings a reader that holds before to what the request makes of it (see record_writes.h).
WriteOutcome WriteRecord(ReaderLink& link, FlowContext& flow, const ReaderSettings& before,
                         double firmware, const WriteRequest& request,
                         const WriteStreams& streams) {
  if (!request.change) return RestoreDefaults(link, flow, before, request.check, streams);
  ReaderSettings after(before);
  std::string error;
  if (!request.change(&link, after, &error)) return Refused(error, streams);
  const Byte requested = after.hidFormat;
  KeepFirmwareFormat(link.Interface(), firmware, after);
  if (after.hidFormat != requested) {
    streams.notes << "The reader's firmware takes the USB HID keyboard format from version 1.89 "
                     "on; it is written as "
                  << SettingText(*FindNamedSetting("hid-format"), after) << ".\n";
  }
  if (!CheckWritable(before, after, MAX_SETTINGS_FRAME, &error)) return Refused(error, streams);
  const std::vector<SettingDifference> changes = DiffSettings(before, after);
  if (auto outcome = NothingToWrite(changes, request.check, streams)) return *outcome;

  // Only a USB HID reader changes its interface with the USB HID format.
  const bool hidLine =
      link.Interface() == INTERFACE_USB_HID || link.Interface() == INTERFACE_USB_HID_KB;
  if (hidLine && after.hidFormat != before.hidFormat) {
    after.SelectHidFormat(after.hidFormat);
    streams.notes << "The USB HID format changes: the reader will re-appear as a "
                  << InterfaceOfHidFormat(after.hidFormat) << " device.\n";
  }
  const SendResult sent = SendSettings(&link, after, SheetKind::Basic, flow);
  if (sent.result != WriteOk) return {ReaderVerdict::Failed, CLI_EXIT_FAILURE, ""};

  // The reader re-appears on its other interface and is looked for afresh.
  std::unique_ptr<ReaderLink> switched;
  ReaderLink* readBack = &link;
  if (sent.interfaceSwitch || (hidLine && after.hidFormat != before.hidFormat)) {
    const std::string reappears = std::string("the reader re-appears as a ") +
                                  InterfaceOfHidFormat(after.hidFormat) +
                                  " device and was not read back";
    if (!streams.findAgain) return Written(changes, streams, reappears);
    WaitForSwitchedReader(flow);
    switched = streams.findAgain();
    if (!switched) {
      streams.notes << "The reader was not read back on its new interface; \"tessaron get\" "
                       "shows its settings once it is there.\n";
      return Written(changes, streams, reappears);
    }
    readBack = switched.get();
  }
  ReaderSettings held(readBack->Interface());
  if (!ReadInto(*readBack, flow, held)) {
    return {ReaderVerdict::Failed, CLI_EXIT_FAILURE, "written, but it could not be read back"};
  }
  const std::vector<SettingDifference> different = DiffSettings(after, held);
  if (!different.empty()) {
    const std::string detail = "the read-back differs in " + NamesOf(different);
    PrintError(streams.err, "the reader holds other values than were written: " + detail);
    return {ReaderVerdict::Failed, CLI_EXIT_FAILURE, detail};
  }
  return Written(changes, streams);
}

// Reads the record a reader holds before a write; a keyboard-class USB reader's firmware
// number with it, for the format it takes.
bool ReadBefore(ReaderLink& link, FlowContext& flow, ReaderSettings& before, double* firmware) {
  std::string version;
  const bool keyboard = link.Interface() == INTERFACE_USB_HID_KB;
  if (!ReadInto(link, flow, before, keyboard ? &version : nullptr)) return false;
  *firmware = keyboard ? ParseVersionNumber(version) : 0.0;
  return true;
}

// The last line of a run that may write, for tools that apply a configuration.
int Finish(const WriteOutcome& outcome, std::ostream& out) {
  if (outcome.verdict != ReaderVerdict::Failed) {
    out << VerdictText(outcome.verdict) << '\n';
    out.flush();
  }
  return outcome.exitCode;
}

// The write on a file.
int WriteFile(const std::string& path, const WriteRequest& request, CliContext& context) {
  const WriteStreams streams{context.out, context.Notes(), context.err, nullptr};
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
  ReaderSettings after(before);
  std::string error;
  if (!request.change(nullptr, after, &error)) return Refused(error, streams).exitCode;
  if (!CheckWritable(before, after, MAX_SETTINGS_FRAME, &error)) {
    return Refused(error, streams).exitCode;
  }
  const std::vector<SettingDifference> changes = DiffSettings(before, after);
  WriteOutcome outcome{ReaderVerdict::Unchanged, CLI_EXIT_OK, ""};
  if (request.check && (made || !changes.empty())) {
    PrintDifferences(context.out, changes);
    outcome = {ReaderVerdict::WouldChange, CLI_EXIT_WOULD_CHANGE, ""};
  } else if (made || !changes.empty()) {
    if (const int saved = SaveRecord(path, after, kind, context)) return saved;
    outcome = Written(changes, streams);
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
  CliContext& context = session.Context();
  ReaderSettings before(link.Interface());
  double firmware = 0;
  if (!ReadBefore(link, session.Flow(), before, &firmware)) return CLI_EXIT_FAILURE;
  const WriteStreams streams{context.out, context.Notes(), context.err,
                             [&session] { return session.Connect(std::string()); }};
  return Finish(WriteRecord(link, session.Flow(), before, firmware, request, streams),
                context.out);
}

ReaderWork WriteWork(const WriteRequest& request) {
  return [request](const ReaderConnection& connection, const PortSetup& ports,
                   FlowContext& flow) -> ReaderResult {
    std::unique_ptr<ReaderLink> link = ReaderLink::Create(connection, ports);
    if (!link) return {ReaderVerdict::Failed, "no port can be made for this interface"};
    ReaderSettings before(link->Interface());
    double firmware = 0;
    if (!ReadBefore(*link, flow, before, &firmware)) return {ReaderVerdict::Failed, ""};
    std::ostringstream dropped;
    const WriteOutcome outcome =
        WriteRecord(*link, flow, before, firmware, request, {dropped, dropped, dropped, nullptr});
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
