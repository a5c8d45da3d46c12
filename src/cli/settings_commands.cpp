#include "cli/settings_commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>

#include "core/command_frame.h"
#include "core/config_file.h"
#include "core/setting_names.h"
#include "core/settings_json.h"
#include "core/settings_transactions.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

constexpr const char* READER_OPERAND = "reader";
constexpr const char* FILE_HELP =
    "Work on this file instead of a reader: a settings file in JSON when its name ends in "
    ".json, else a configuration file (.cfs2)";

bool IsJsonPath(const std::string& path) {
  constexpr std::string_view suffix = ".json";
  if (path.size() < suffix.size()) return false;
  return std::equal(
      suffix.begin(), suffix.end(), path.end() - static_cast<long>(suffix.size()),
      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// How large a record a file of that kind takes.
std::uint64_t FileLimit(const std::string& path) {
  return IsJsonPath(path) ? SETTINGS_BUFFER_SIZE : CONFIG_FILE_MAX_SIZE - CONFIG_HEADER_SIZE;
}

// Empty values show as "" where a line would otherwise end in nothing.
std::string Shown(const std::string& value) { return value.empty() ? "\"\"" : value; }

void PrintDifferences(std::ostream& out, const std::vector<SettingDifference>& differences) {
  for (const SettingDifference& difference : differences) {
    out << difference.setting->name << ": " << Shown(difference.first) << " -> "
        << Shown(difference.second) << '\n';
  }
  out.flush();
}

// A settings file's text read into settings: CLI_EXIT_OK, or CLI_EXIT_USAGE after a message
// for contents that are refused.
int LoadJsonText(const std::string& name, const std::string& text, ReaderSettings& settings,
                 std::ostream& err) {
  std::string error;
  if (SettingsFromJson(text, settings, &error)) return CLI_EXIT_OK;
  err << "tessaron: " << name << ": " << error << '\n';
  return CLI_EXIT_USAGE;
}

// A file's record: CLI_EXIT_OK, CLI_EXIT_FAILURE when the file cannot be read (or is no
// configuration file), CLI_EXIT_USAGE for a settings file that is refused.
int LoadRecordFile(const std::string& path, ReaderSettings& settings, std::ostream& err) {
  int osError = 0;
  if (!IsJsonPath(path)) {
    const ConfigFileStatus status = LoadConfigFileStatus(settings, path, &osError);
    if (status == ConfigFileStatus::Ok) return CLI_EXIT_OK;
    err << "tessaron: cannot load " << path << ": " << ConfigFileCause(status, osError) << '\n';
    return CLI_EXIT_FAILURE;
  }
  ByteString bytes;
  const ConfigFileStatus status = ReadWholeFile(path, SETTINGS_JSON_MAX_SIZE, &bytes, &osError);
  if (status != ConfigFileStatus::Ok) {
    err << "tessaron: cannot load " << path << ": " << ConfigFileCause(status, osError) << '\n';
    return status == ConfigFileStatus::TooLarge ? CLI_EXIT_USAGE : CLI_EXIT_FAILURE;
  }
  return LoadJsonText(path, std::string(bytes.begin(), bytes.end()), settings, err);
}

int SaveRecordFile(const std::string& path, const ReaderSettings& settings, std::ostream& err) {
  int osError = 0;
  ConfigFileStatus status;
  if (IsJsonPath(path)) {
    const std::string text = SettingsToJson(settings);
    status = ReplaceFileContents(path, reinterpret_cast<const Byte*>(text.data()), text.size(),
                                 &osError);
  } else {
    status = SaveConfigFileStatus(settings, path, &osError);
  }
  if (status == ConfigFileStatus::Ok) return CLI_EXIT_OK;
  err << "tessaron: cannot write " << path << ": " << ConfigFileCause(status, osError) << '\n';
  return CLI_EXIT_FAILURE;
}

// A record that is to go where limit bytes fit; CLI_EXIT_USAGE after a message otherwise.
int CheckFit(const ReaderSettings& settings, std::uint64_t limit, std::ostream& err) {
  std::string error;
  if (CheckSettingsFit(settings, limit, &error)) return CLI_EXIT_OK;
  err << "tessaron: " << error << "; nothing was written\n";
  return CLI_EXIT_USAGE;
}

int ReadRecord(OnlineSession& session, ReaderLink& link, ReaderSettings& settings) {
  return ReadInto(link, session.Flow(), settings) ? CLI_EXIT_OK : CLI_EXIT_FAILURE;
}

// Runs body(settings) on the record of the place: the file's, or the reader's as read now.
template <typename Body>
int WithRecord(const RecordPlace& place, CliContext& context, Body body) {
  if (!place.file.empty()) {
    ReaderSettings settings;
    const int loaded = LoadRecordFile(place.file, settings, context.err);
    return loaded != CLI_EXIT_OK ? loaded : body(settings);
  }
  return WithReader(place.reader, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    const int read = ReadRecord(session, link, settings);
    return read != CLI_EXIT_OK ? read : body(settings);
  });
}

const NamedSetting* FindName(const std::string& name, std::ostream& err) {
  if (const NamedSetting* setting = FindNamedSetting(name)) return setting;
  err << "tessaron: unknown setting \"" << name << "\"";
  const std::vector<std::string> similar = NamesContaining(name);
  if (!similar.empty() && similar.size() <= 8) {
    err << "; did you mean";
    for (const std::string& each : similar) err << (&each == &similar.front() ? " " : ", ") << each;
    err << "?";
  }
  err << " (\"tessaron settings\" lists every name)\n";
  return nullptr;
}

struct Assignment {
  const NamedSetting* setting;
  std::string value;
};

bool Apply(const std::vector<Assignment>& assignments, ReaderSettings& settings,
           std::ostream& err) {
  for (const Assignment& assignment : assignments) {
    std::string error;
    if (!SetSettingText(*assignment.setting, assignment.value, settings, &error)) {
      err << "tessaron: " << assignment.setting->name << ": " << error << '\n';
      return false;
    }
  }
  return true;
}

// Splits NAME=VALUE texts and checks every name and value (on a record of factory settings:
// no value depends on the others).
bool ParseAssignments(const std::vector<std::string>& texts, std::vector<Assignment>* assignments,
                      std::ostream& err) {
  for (const std::string& text : texts) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
      err << "tessaron: \"" << text << "\" is no NAME=VALUE\n";
      return false;
    }
    const NamedSetting* setting = FindName(text.substr(0, equals), err);
    if (setting == nullptr) return false;
    assignments->push_back({setting, text.substr(equals + 1)});
  }
  ReaderSettings scratch;
  return Apply(*assignments, scratch, err);
}

// The interface a USB reader presents with that USB HID format.
const char* InterfaceOfHidFormat(Byte format) {
  return InterfaceDisplayName(format == HID_FORMAT_KALDOR_KEYBOARD ? INTERFACE_USB_HID_KB
                                                                   : INTERFACE_USB_HID);
}

// The names of the settings that differ, for a reader's line.
std::string NamesOf(const std::vector<SettingDifference>& differences) {
  std::string names;
  for (const SettingDifference& difference : differences) {
    if (!names.empty()) names += ", ";
    names += difference.setting->name;
  }
  return names;
}

}  // namespace

bool ReadInto(ReaderLink& link, FlowContext& flow, ReaderSettings& settings) {
  const ReadOutcome read = ReadReader(link, settings, true, nullptr, flow);
  if (read == ReadOutcome::Ok) return true;
  TellReadFailure(read, link, flow);
  return false;
}

ApplyOutcome ApplyRecord(ReaderLink& link, FlowContext& flow, const ReaderSettings& before,
                         ReaderSettings after, const ApplyOptions& options) {
  std::string error;
  if (!CheckSettingsFit(after, MAX_SETTINGS_FRAME, &error)) {
    options.err << "tessaron: " << error << "; nothing was written\n";
    return {ReaderVerdict::Failed, CLI_EXIT_USAGE, error};
  }
  const std::vector<SettingDifference> changes = DiffSettings(before, after);
  PrintDifferences(options.out, changes);
  // Nothing more is sent to a reader that already holds the record.
  if (changes.empty()) return {ReaderVerdict::Unchanged, CLI_EXIT_OK, ""};
  if (options.check) {
    return {ReaderVerdict::WouldChange, CLI_EXIT_WOULD_CHANGE, NamesOf(changes)};
  }
  // Only a USB HID reader changes its interface with the USB HID format.
  const bool hidLine =
      link.Interface() == INTERFACE_USB_HID || link.Interface() == INTERFACE_USB_HID_KB;
  const Byte requested = after.hidFormat;
  if (hidLine && requested != before.hidFormat) {
    after.SelectHidFormat(requested);
    options.out << "The USB HID format changes: the reader will re-appear as a "
                << InterfaceOfHidFormat(requested) << " device.\n";
  }
  const SendResult sent = SendSettings(&link, after, SheetKind::Basic, flow);
  if (after.hidFormat != requested) {
    options.out << "The reader's firmware takes the USB HID keyboard format from version 1.89 "
                   "on; it was written as "
                << SettingText(*FindNamedSetting("hid-format"), after) << ".\n";
  }
  if (sent.result != WriteOk) return {ReaderVerdict::Failed, CLI_EXIT_FAILURE, ""};

  // The reader re-appears on its other interface (the firmware rule may have changed the
  // format too), and is looked for afresh.
  std::unique_ptr<ReaderLink> switched;
  ReaderLink* readBack = &link;
  if (sent.interfaceSwitch || (hidLine && after.hidFormat != before.hidFormat)) {
    const std::string reappears = std::string("the reader re-appears as a ") +
                                  InterfaceOfHidFormat(after.hidFormat) +
                                  " device and was not read back";
    if (!options.findAgain) return {ReaderVerdict::Changed, CLI_EXIT_OK, reappears};
    WaitForSwitchedReader(flow);
    switched = options.findAgain();
    if (!switched) {
      options.err << "The reader was not read back on its new interface; \"tessaron get\" "
                     "shows its settings once it is there.\n";
      return {ReaderVerdict::Changed, CLI_EXIT_OK, reappears};
    }
    readBack = switched.get();
  }
  ReaderSettings written(readBack->Interface());
  if (!ReadInto(*readBack, flow, written)) {
    return {ReaderVerdict::Failed, CLI_EXIT_FAILURE, "written, but it could not be read back"};
  }
  const std::vector<SettingDifference> different = DiffSettings(after, written);
  if (!different.empty()) {
    options.err << "The reader holds other values than were written (written -> read back):\n";
    PrintDifferences(options.err, different);
    return {ReaderVerdict::Failed, CLI_EXIT_FAILURE, "the read-back differs in " + NamesOf(different)};
  }
  return {ReaderVerdict::Changed, CLI_EXIT_OK, ""};
}

namespace {

// The last line of a run that may write, for tools that apply a configuration: "changed"
// when something was written, "would change" (--check) or "unchanged".
int FinishApply(const ApplyOutcome& outcome, std::ostream& out) {
  if (outcome.verdict != ReaderVerdict::Failed) {
    out << VerdictText(outcome.verdict) << '\n';
    out.flush();
  }
  return outcome.exitCode;
}

// Writes the changed record to the reader in one frame, with the firmware rule and the
// interface switch of "Send to MSR", then reads it back to confirm it.
int WriteConfirmed(OnlineSession& session, ReaderLink& link, const ReaderSettings& before,
                   const ReaderSettings& after, bool check, CliContext& context) {
  ApplyOptions options{context.out, context.err, check,
                       [&session] { return session.Connect(std::string()); }};
  return FinishApply(ApplyRecord(link, session.Flow(), before, after, options), context.out);
}

// Reads a settings file, or standard input for "-"; the exit status of a failure.
int ReadJsonSource(const std::string& source, ReaderSettings& settings, CliContext& context) {
  if (source != "-") return LoadRecordFile(source, settings, context.err);
  std::string text;
  if (context.in != nullptr) {
    std::istreambuf_iterator<char> it(*context.in);
    for (std::istreambuf_iterator<char> end; it != end && text.size() <= SETTINGS_JSON_MAX_SIZE;
         ++it) {
      text += *it;
    }
  }
  return LoadJsonText("standard input", text, settings, context.err);
}

bool IsReaderOperand(const std::string& operand) {
  return operand == READER_OPERAND || operand.starts_with(std::string(READER_OPERAND) + ":");
}

}  // namespace

int RunSettingsCommand(bool words, CliContext& context) {
  if (words) {
    for (const NamedSetting& setting : NamedSettings()) {
      context.out << setting.name;
      for (const std::string& word : SettingWords(setting)) context.out << ' ' << word;
      context.out << '\n';
    }
    context.out.flush();
    return CLI_EXIT_OK;
  }
  const ReaderSettings factory;
  std::size_t width = 0;
  for (const NamedSetting& setting : NamedSettings()) width = std::max(width, setting.name.size());
  for (const NamedSetting& setting : NamedSettings()) {
    context.out << setting.name << std::string(width + 2 - setting.name.size(), ' ')
                << SettingValuesText(setting)
                << " (factory: " << Shown(SettingText(setting, factory)) << ")\n";
  }
  context.out.flush();
  return CLI_EXIT_OK;
}

int RunGetCommand(const RecordPlace& place, const std::vector<std::string>& names, bool json,
                  CliContext& context) {
  std::vector<const NamedSetting*> chosen;
  for (const std::string& name : names) {
    const NamedSetting* setting = FindName(name, context.err);
    if (setting == nullptr) return CLI_EXIT_USAGE;
    chosen.push_back(setting);
  }
  if (chosen.empty()) {
    for (const NamedSetting& setting : NamedSettings()) chosen.push_back(&setting);
  }
  return WithRecord(place, context, [&](const ReaderSettings& settings) {
    if (json) {
      context.out << SettingsObjectJson(settings, chosen);
    } else {
      for (const NamedSetting* setting : chosen) {
        const std::string value = SettingText(*setting, settings);
        context.out << setting->name << " =" << (value.empty() ? "" : " ") << value << '\n';
      }
    }
    context.out.flush();
    return CLI_EXIT_OK;
  });
}

ReaderWork ApplyWork(bool check, const RecordChange& change) {
  return [check, change](const ReaderConnection& connection, const PortSetup& ports,
                         FlowContext& flow) -> ReaderResult {
    std::unique_ptr<ReaderLink> link = ReaderLink::Create(connection, ports);
    if (!link) return {ReaderVerdict::Failed, "no port can be made for this interface"};
    ReaderSettings before(link->Interface());
    if (!ReadInto(*link, flow, before)) return {ReaderVerdict::Failed, ""};
    ReaderSettings after(before);
    std::ostringstream notes;
    if (!change(*link, after, notes)) {
      return {ReaderVerdict::Failed, OneLine(notes.str())};
    }
    const ApplyOutcome outcome =
        ApplyRecord(*link, flow, before, after, ApplyOptions{notes, notes, check, nullptr});
    return {outcome.verdict, outcome.detail};
  };
}

int RunSetCommand(const RecordPlace& place, const std::vector<std::string>& assignments,
                  bool check, CliContext& context) {
  std::vector<Assignment> parsed;
  if (!ParseAssignments(assignments, &parsed, context.err)) return CLI_EXIT_USAGE;
  if (place.fleet.all) {
    return RunOnEveryReader(place.fleet, context,
                            ApplyWork(check, [&](ReaderLink&, ReaderSettings& after,
                                                 std::ostream& err) {
                              return Apply(parsed, after, err);
                            }));
  }
  if (place.file.empty()) {
    return WithReader(place.reader, context, [&](OnlineSession& session, ReaderLink& link) {
      ReaderSettings before(link.Interface());
      if (const int read = ReadRecord(session, link, before)) return read;
      ReaderSettings after(before);
      if (!Apply(parsed, after, context.err)) return CLI_EXIT_USAGE;
      return WriteConfirmed(session, link, before, after, check, context);
    });
  }
  ReaderSettings before;
  if (const int loaded = LoadRecordFile(place.file, before, context.err)) return loaded;
  ReaderSettings after(before);
  if (!Apply(parsed, after, context.err)) return CLI_EXIT_USAGE;
  if (const int fits = CheckFit(after, FileLimit(place.file), context.err)) return fits;
  const std::vector<SettingDifference> changes = DiffSettings(before, after);
  PrintDifferences(context.out, changes);
  ApplyOutcome outcome{ReaderVerdict::Unchanged, CLI_EXIT_OK, ""};
  if (!changes.empty() && check) {
    outcome = {ReaderVerdict::WouldChange, CLI_EXIT_WOULD_CHANGE, ""};
  } else if (!changes.empty()) {
    const int saved = SaveRecordFile(place.file, after, context.err);
    outcome = {saved == CLI_EXIT_OK ? ReaderVerdict::Changed : ReaderVerdict::Failed, saved, ""};
  }
  return FinishApply(outcome, context.out);
}

int RunExportCommand(const RecordPlace& place, const std::string& target, CliContext& context) {
  return WithRecord(place, context, [&](const ReaderSettings& settings) {
    if (target != "-") return SaveRecordFile(target, settings, context.err);
    context.out << SettingsToJson(settings);
    context.out.flush();
    return CLI_EXIT_OK;
  });
}

int RunImportCommand(const RecordPlace& place, const std::string& source, bool check,
                     CliContext& context) {
  ReaderSettings imported;
  if (const int read = ReadJsonSource(source, imported, context)) return read;
  if (!place.file.empty()) {
    if (const int fits = CheckFit(imported, FileLimit(place.file), context.err)) return fits;
    return SaveRecordFile(place.file, imported, context.err);
  }
  if (const int fits = CheckFit(imported, MAX_SETTINGS_FRAME, context.err)) return fits;
  if (place.fleet.all) {
    return RunOnEveryReader(place.fleet, context,
                            ApplyWork(check, [&](ReaderLink&, ReaderSettings& after,
                                                 std::ostream&) {
                              after = imported;
                              return true;
                            }));
  }
  return WithReader(place.reader, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings before(link.Interface());
    if (const int read = ReadRecord(session, link, before)) return read;
    return WriteConfirmed(session, link, before, imported, check, context);
  });
}

int RunDiffCommand(const std::vector<std::string>& simulate, const std::string& first,
                   const std::string& second, CliContext& context) {
  const std::string operands[] = {first, second};
  for (const std::string& operand : operands) {
    if (IsReaderOperand(operand) && operand != READER_OPERAND &&
        !OptionsUsable(operand.substr(std::strlen(READER_OPERAND) + 1), {}, context.err)) {
      return CLI_EXIT_USAGE;
    }
  }
  if (!OptionsUsable(std::string(), simulate, context.err)) return CLI_EXIT_USAGE;
  std::unique_ptr<OnlineSession> session;
  ReaderSettings records[2];
  for (int i = 0; i < 2; ++i) {
    const std::string& operand = operands[i];
    int status = CLI_EXIT_OK;
    if (!IsReaderOperand(operand)) {
      status = LoadRecordFile(operand, records[i], context.err);
    } else {
      if (!session) {
        session = std::make_unique<OnlineSession>(context);
        if (!simulate.empty() && !session->Simulate(simulate)) return CLI_EXIT_USAGE;
      }
      const std::string connection = operand == READER_OPERAND
                                         ? std::string()
                                         : operand.substr(std::strlen(READER_OPERAND) + 1);
      std::unique_ptr<ReaderLink> link = session->Connect(connection);
      status = link ? ReadRecord(*session, *link, records[i]) : CLI_EXIT_FAILURE;
    }
    // As diff does: trouble is 2, whatever kind of trouble.
    if (status != CLI_EXIT_OK) return CLI_EXIT_USAGE;
  }
  const std::vector<SettingDifference> differences = DiffSettings(records[0], records[1]);
  PrintDifferences(context.out, differences);
  return differences.empty() ? CLI_EXIT_OK : CLI_EXIT_FAILURE;
}

// --- registration ---

namespace {

// --reader and --simulate, or --file, and for the commands that write (set, import) --all
// with its options and --check; the place is made when the command runs.
std::function<RecordPlace()> AddPlaceOptions(CLI::App* command, bool writes = false,
                                             bool* check = nullptr) {
  auto online = AddOnlineOptions(command);
  auto file = std::make_shared<std::string>();
  CLI::Option* fileOption = command->add_option("-f,--file", *file, FILE_HELP)
                                ->type_name("FILE")
                                ->excludes(command->get_option("--reader"))
                                ->excludes(command->get_option("--simulate"));
  auto fleet = std::make_shared<FleetOptions>();
  if (writes) {
    AddFleetOptions(command, "--all",
                    "Write to every reader found, one line per reader, then a summary",
                    fleet.get());
    command->get_option("--all")->excludes(command->get_option("--reader"))->excludes(fileOption);
    command->add_flag("--check", *check,
                      "Only say what would change; nothing is written (exit 0 when nothing "
                      "would, 3 when something would)");
  }
  return [online, file, fleet] {
    RecordPlace place{*online, *file, *fleet};
    // --simulate belongs to the readers --all works on.
    place.fleet.simulate = online->simulate;
    return place;
  };
}

}  // namespace

void AddSettingsCommand(CLI::App& app, CliContext& context) {
  auto words = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "settings", "List every setting's name, the values it takes and its factory value");
  command->add_flag("--words", *words,
                    "One line a setting for scripts: its name, then the words it takes (none "
                    "for numbers, characters, byte strings and JSON), separated by blanks");
  command->callback(
      [words, &context] { context.exitCode = RunSettingsCommand(*words, context); });
}

void AddGetCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::vector<std::string> names;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "get", "Print settings as \"name = value\" lines, from a reader or from a file");
  command->add_option("NAME", options->names, "Settings to print (all without a name)");
  command->add_flag("--json", options->json, "Print them as one JSON object");
  auto place = AddPlaceOptions(command);
  command->callback([options, place, &context] {
    context.exitCode = RunGetCommand(place(), options->names, options->json, context);
  });
}

void AddSetCommand(CLI::App& app, CliContext& context) {
  auto assignments = std::make_shared<std::vector<std::string>>();
  auto check = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "set",
      "Change the named settings and nothing else, on a reader (read, changed, written in one "
      "frame and read back; nothing written when it holds them already) or in a file, and print "
      "what changed; the last line says changed or unchanged");
  command->add_option("NAME=VALUE", *assignments, "Settings and their new values")->required();
  auto place = AddPlaceOptions(command, true, check.get());
  command->callback([assignments, check, place, &context] {
    context.exitCode = RunSetCommand(place(), *assignments, *check, context);
  });
}

namespace {

// export and import: a settings file and the place of the record.
CLI::App* AddFileCommand(CLI::App& app, const char* name, const char* description,
                         const char* fileHelp, std::shared_ptr<std::string> file) {
  CLI::App* command = app.add_subcommand(name, description);
  command->add_option("FILE.json", *file, fileHelp)->required();
  return command;
}

}  // namespace

void AddExportCommand(CLI::App& app, CliContext& context) {
  auto file = std::make_shared<std::string>();
  CLI::App* command = AddFileCommand(
      app, "export", "Write every setting of a reader or a file to a settings file in JSON",
      "Settings file to write (replaced if it exists); - for standard output", file);
  auto place = AddPlaceOptions(command);
  command->callback(
      [file, place, &context] { context.exitCode = RunExportCommand(place(), *file, context); });
}

void AddImportCommand(CLI::App& app, CliContext& context) {
  auto file = std::make_shared<std::string>();
  auto check = std::make_shared<bool>(false);
  CLI::App* command = AddFileCommand(
      app, "import",
      "Write every setting of a settings file in JSON to a reader (in one frame, read back; "
      "nothing written when it holds them already) or to a file; the last line says changed "
      "or unchanged",
      "Settings file to read; - for standard input", file);
  auto place = AddPlaceOptions(command, true, check.get());
  command->get_option("--check")->excludes(command->get_option("--file"));
  command->callback([file, check, place, &context] {
    context.exitCode = RunImportCommand(place(), *file, *check, context);
  });
}

void AddDiffCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::string first;
    std::string second;
    std::vector<std::string> simulate;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "diff",
      "Print the settings that differ between two records (\"name: A -> B\"); exit 0 when "
      "they are the same, 1 when they differ, 2 on trouble");
  const char* operandHelp =
      "A configuration file, a settings file in JSON, \"reader\" (the one USB reader present) "
      "or reader:CONNECTION";
  command->add_option("A", options->first, operandHelp)->required();
  command->add_option("B", options->second, operandHelp)->required();
  AddSimulateOption(command, &options->simulate);
  command->callback([options, &context] {
    context.exitCode = RunDiffCommand(options->simulate, options->first, options->second, context);
  });
}

}  // namespace tessaron
