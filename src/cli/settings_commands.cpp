#include "cli/settings_commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

#include "cli/cli_files.h"
#include "cli/cli_help.h"
#include "cli/cli_output.h"
#include "core/interface_type.h"
#include "core/setting_checks.h"
#include "core/setting_names.h"
#include "core/settings_json.h"
#include "core/settings_transactions.h"
#include "flows/reader_flows.h"

namespace tessaron {

namespace {

constexpr const char* READER_OPERAND = "reader";
constexpr const char* WRITE_ALL_HELP =
    "Write to every reader found, one line per reader, then a summary";
constexpr const char* FILE_HELP =
    "Work on this file instead of a reader: a configuration file (.cfs2) or a settings file in "
    "JSON, as its contents show; a file that is not there yet is made in JSON when its name "
    "ends in .json, else as a configuration file";

// Runs body(settings) on the record of the place: the file's, or the reader's as read now.
template <typename Body>
int WithRecord(const RecordPlace& place, CliContext& context, Body body) {
  if (!place.file.empty()) {
    ReaderSettings settings;
    const int loaded = LoadRecord(place.file, settings, context);
    return loaded != CLI_EXIT_OK ? loaded : body(settings);
  }
  return WithReader(place.reader, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    return ReadOrTell(link, settings, nullptr, session.Flow()) ? body(settings) : CLI_EXIT_FAILURE;
  });
}

const NamedSetting* FindName(const std::string& name, std::ostream& err) {
  if (const NamedSetting* setting = FindNamedSetting(name)) return setting;
  std::string text = "unknown setting \"" + name + "\"";
  const std::vector<std::string> similar = NamesLike(name);
  for (const std::string& each : similar) {
    text += (&each == &similar.front() ? "; did you mean " : ", ") + each;
  }
  PrintError(err, text + (similar.empty() ? "" : "?") + " (\"tessaron settings\" lists every name)");
  return nullptr;
}

struct Assignment {
  const NamedSetting* setting;
  std::string value;
};

bool Apply(const std::vector<Assignment>& assignments, ReaderSettings& settings,
           std::string* error, bool carryUndefined = false) {
  for (const Assignment& assignment : assignments) {
    if (!SetSettingText(*assignment.setting, assignment.value, settings, error, carryUndefined)) {
      *error = assignment.setting->name + ": " + *error;
      return false;
    }
  }
  return true;
}

// Splits NAME=VALUE texts and checks every name and value (on a record of factory settings:
// no value depends on the others; a byte no option defines is checked where it is applied,
// against what the target holds).
bool ParseAssignments(const std::vector<std::string>& texts, std::vector<Assignment>* assignments,
                      std::ostream& err) {
  for (const std::string& text : texts) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
      PrintError(err, "\"" + text + "\" is no NAME=VALUE");
      return false;
    }
    const NamedSetting* setting = FindName(text.substr(0, equals), err);
    if (setting == nullptr) return false;
    for (const Assignment& earlier : *assignments) {
      if (earlier.setting != setting) continue;
      PrintError(err, setting->name + " is given twice (" + setting->name + "=" + earlier.value +
                          ", " + text + "); give each setting once");
      return false;
    }
    assignments->push_back({setting, text.substr(equals + 1)});
  }
  ReaderSettings scratch;
  std::string error;
  if (Apply(*assignments, scratch, &error, true)) return true;
  PrintError(err, error);
  return false;
}

// Whether the setting applies on the reader's line, as the pages show it there; the data-edit
// settings and the bits no control switches apply on every line. False with a message that
// names the lines it applies on.
bool AppliesOnLine(const NamedSetting& setting, InterfaceType line, std::string* error) {
  if (setting.control == nullptr || AppliesOn(*setting.control, line)) return true;
  *error = setting.name + " applies on " + LineNamesText(setting.control->lines, " and ") +
           " only; this reader is on " + InterfaceLineName(line);
  return false;
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
                << " (factory: " << ShownValue(SettingText(setting, factory)) << ")\n";
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
  const bool all = chosen.empty();
  if (all) {
    for (const NamedSetting& setting : NamedSettings()) chosen.push_back(&setting);
  }
  return WithRecord(place, context, [&](const ReaderSettings& settings) {
    // On a reader, what does not apply on its line is left out of the whole record, and a
    // setting asked for by name is refused; a file keeps every setting.
    if (place.file.empty()) {
      std::string error;
      std::vector<const NamedSetting*> applying;
      for (const NamedSetting* setting : chosen) {
        if (AppliesOnLine(*setting, settings.interfaceType, &error)) {
          applying.push_back(setting);
        } else if (!all) {
          PrintError(context.err, error);
          return CLI_EXIT_USAGE;
        }
      }
      chosen = std::move(applying);
    }
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

int RunSetCommand(const RecordPlace& place, const std::vector<std::string>& assignments,
                  bool check, CliContext& context) {
  std::vector<Assignment> parsed;
  if (!ParseAssignments(assignments, &parsed, context.err)) return CLI_EXIT_USAGE;
  // A reader takes only the settings that apply on its line; a file takes every one.
  const RecordChange change = [parsed](ReaderLink* link, ReaderSettings& after, std::string* error) {
    for (const Assignment& assignment : parsed) {
      if (link != nullptr && !AppliesOnLine(*assignment.setting, link->Interface(), error)) {
        return false;
      }
    }
    return Apply(parsed, after, error);
  };
  return RunWrite(place, WriteRequest{change, check}, context);
}

int RunExportCommand(const RecordPlace& place, const std::string& target, CliContext& context) {
  const std::string other =
      place.file.empty() ? std::string("save") : "import SETTINGS.json --file " + target;
  if (const int refused = CheckOutputName(target, RecordFileKind::Json, "export", other, context)) {
    return refused;
  }
  return WithRecord(place, context, [&](const ReaderSettings& settings) {
    return SaveRecord(target, settings, RecordFileKind::Json, context);
  });
}

int RunImportCommand(const RecordPlace& place, const std::string& source, bool check,
                     CliContext& context) {
  return WriteFileRecord(place, source, RecordFileKind::Json, "\"tessaron load\" writes it",
                         false, check, context);
}

int RunDiffCommand(const std::vector<std::string>& simulate, const std::string& first,
                   const std::string& second, bool json, CliContext& context) {
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
      status = LoadRecord(operand, records[i], context);
    } else {
      if (!session) {
        session = std::make_unique<OnlineSession>(context);
        if (!simulate.empty() && !session->Simulate(simulate)) return CLI_EXIT_USAGE;
      }
      const std::string connection = operand == READER_OPERAND
                                         ? std::string()
                                         : operand.substr(std::strlen(READER_OPERAND) + 1);
      std::unique_ptr<ReaderLink> link = session->Connect(connection);
      status = link && ReadOrTell(*link, records[i], nullptr, session->Flow()) ? CLI_EXIT_OK
                                                                   : CLI_EXIT_FAILURE;
    }
    // As diff does: trouble is 2, whatever kind of trouble.
    if (status != CLI_EXIT_OK) return CLI_EXIT_USAGE;
  }
  const std::vector<SettingDifference> differences = DiffSettings(records[0], records[1]);
  if (json) {
    context.out << DifferencesJson(records[0], records[1], differences);
  } else {
    PrintDifferences(context.out, differences);
  }
  context.out.flush();
  return differences.empty() ? CLI_EXIT_OK : CLI_EXIT_FAILURE;
}

// --- registration ---

void AddSettingsCommand(CLI::App& app, CliContext& context) {
  auto words = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "settings", "List every setting's name, the values it takes and its factory value");
  command->add_flag("--words", *words,
                    "One line a setting for scripts: its name, then the words it takes (none "
                    "for numbers, characters, byte strings and JSON), separated by blanks");
  SetCommandNotes(command, "Values are taken in any letter case.",
                  {"tessaron settings", "tessaron settings --words"});
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
      "get", "Print settings of a reader or a file as \"name = value\" lines");
  command->add_option("NAME", options->names, "Settings to print (all without a name)");
  command->add_flag("--json", options->json, "Print them as one JSON object");
  auto place = AddPlaceOptions(command, FILE_HELP);
  SetCommandNotes(command, "A --file of - is read from standard input.",
                  {"tessaron get beep-volume preamble", "tessaron get --json -f reader.cfs2"});
  command->callback([options, place, &context] {
    context.exitCode = RunGetCommand(place(), options->names, options->json, context);
  });
}

void AddSetCommand(CLI::App& app, CliContext& context) {
  auto assignments = std::make_shared<std::vector<std::string>>();
  auto check = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "set", "Change the named settings of a reader or a file, and nothing else");
  command->add_option("NAME=VALUE", *assignments, "Settings and their new values")->required();
  auto place = AddPlaceOptions(command, FILE_HELP, WRITE_ALL_HELP, check.get());
  SetCommandNotes(command,
                  "A reader is read, changed, written in one frame only when it differs, and "
                  "read back; then each change is printed as \"name: old -> new\" and the last "
                  "line says changed or unchanged. A file is replaced whole. Text is taken as "
                  "one byte per character (Latin-1); write any byte as \\xHH.",
                  {"tessaron set beep-volume=low", "tessaron set preamble='\\stx' -f reader.cfs2",
                   "tessaron set beep-volume=off --all --check"},
                  ExitStatusOfWrites("--all"));
  command->callback([assignments, check, place, &context] {
    context.exitCode = RunSetCommand(place(), *assignments, *check, context);
  });
}

void AddExportCommand(CLI::App& app, CliContext& context) {
  auto file = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "export", "Write every setting of a reader or a file to a settings file in JSON");
  command
      ->add_option("FILE.json", *file,
                   "Settings file to write (replaced if it exists); - for standard output")
      ->required();
  auto place = AddPlaceOptions(command, FILE_HELP);
  SetCommandNotes(command,
                  "A regular file is replaced whole through a new file and a rename; a device or "
                  "a pipe is written into as a stream.",
                  {"tessaron export reader.json", "tessaron export - -f reader.cfs2"});
  command->callback(
      [file, place, &context] { context.exitCode = RunExportCommand(place(), *file, context); });
}

void AddImportCommand(CLI::App& app, CliContext& context) {
  auto file = std::make_shared<std::string>();
  auto check = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "import", "Write every setting of a settings file in JSON to a reader or a file");
  command->add_option("FILE.json", *file, "Settings file to read; - for standard input")
      ->required();
  auto place = AddPlaceOptions(command, FILE_HELP, WRITE_ALL_HELP, check.get());
  SetCommandNotes(command,
                  "Written as by set: read, written in one frame only when it differs, read "
                  "back, each change printed, the last line changed or unchanged. A --file is "
                  "written whole.",
                  {"tessaron import reader.json -r usb-hid:1",
                   "tessaron import tills.json --all --jobs 4"},
                  ExitStatusOfWrites("--all"));
  command->callback([file, check, place, &context] {
    context.exitCode = RunImportCommand(place(), *file, *check, context);
  });
}

void AddDiffCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::string first;
    std::string second;
    std::vector<std::string> simulate;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command =
      app.add_subcommand("diff", "Print the settings that differ between two records");
  const char* operandHelp =
      "A configuration file, a settings file in JSON, - for standard input, \"reader\" (the one "
      "USB reader present) or reader:CONNECTION";
  command->add_option("A", options->first, operandHelp)->required();
  command->add_option("B", options->second, operandHelp)->required();
  command->add_flag("--json", options->json,
                    "Print one JSON object: each differing setting with its values \"a\" and "
                    "\"b\"");
  AddSimulateOption(command, &options->simulate);
  SetCommandNotes(command, "One line \"name: A -> B\" per differing setting.",
                  {"tessaron diff reader reader.json", "tessaron diff a.cfs2 b.json --json"},
                  "Exit status: 0 the same, 1 different, 2 trouble (one line on standard error "
                  "says why).");
  command->callback([options, &context] {
    context.exitCode = RunDiffCommand(options->simulate, options->first, options->second,
                                      options->json, context);
  });
}

}  // namespace tessaron
