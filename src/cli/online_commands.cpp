#include "cli/online_commands.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <vector>

#include "cli/cli_files.h"
#include "cli/cli_help.h"
#include "cli/cli_output.h"
#include "cli/fleet.h"
#include "cli/online_session.h"
#include "cli/reader_options.h"
#include "cli/record_writes.h"
#include "cli/stop_signals.h"
#include "core/firmware.h"
#include "core/reader_settings.h"
#include "core/setting_checks.h"
#include "core/setting_names.h"
#include "core/settings_json.h"
#include "core/settings_transactions.h"
#include "core/settings_report.h"
#include "core/shown_text.h"
#include "flows/flow_texts.h"
#include "flows/manual_command_console.h"
#include "flows/reader_connection.h"
#include "flows/reader_flows.h"
#include "sim/simulated_line.h"
#include "transport/discovery.h"

namespace tessaron {

namespace {

int ExitCode(bool ok) { return ok ? CLI_EXIT_OK : CLI_EXIT_FAILURE; }

constexpr const char* TARGET_FILE_HELP =
    "Write to this file instead of a reader, in the kind it holds (a configuration file or a "
    "settings file in JSON; a new file in JSON when its name ends in .json)";

// Gathers what the check of a command text tells: the window shows a wrong item as two
// messages, the tool as one error line.
class TextCheckOutcome : public FlowContext {
 public:
  void Wait(std::chrono::milliseconds) override {}
  void Progress(const std::string&) override {}
  void Tell(const FlowMessage& message) override {
    told_ += (told_.empty() ? "" : " ") + message.text;
    if (!message.cause.empty()) told_ += " (" + message.cause + ")";
  }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  const std::string& Told() const { return told_; }

 private:
  std::string told_;
};


}  // namespace

int RunListCommand(const std::vector<std::string>& simulate, InterfaceType type, bool json,
                   CliContext& context) {
  if (!OptionsUsable(std::string(), simulate, context.err)) return CLI_EXIT_USAGE;
  OnlineSession session(context);
  if (!simulate.empty() && !session.Simulate(simulate)) return CLI_EXIT_FAILURE;

  std::vector<InterfaceType> types(LINES.begin(), LINES.end());
  if (type != InterfaceType::Unknown) types = {type};
  std::vector<ReaderDeviceEntry> entries;
  for (InterfaceType each : types) {
    EnumerateReaders(*session.Environment().devices, each, entries);
  }
  // Each reader by the connection that names it in --reader, its interface and its device.
  if (json) context.out << "[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string connection = ReaderConnectionText(ConnectionOf(entries[i]));
    const char* interface = InterfaceDisplayName(entries[i].interfaceType);
    if (json) {
      const std::pair<std::string, std::string> members[] = {
          {"connection", connection}, {"interface", interface}, {"device", entries[i].name}};
      context.out << (i == 0 ? "\n  " : ",\n  ") << TextMembersJson(members);
    } else {
      context.out << connection << '\t' << interface << '\t' << ShownText(entries[i].name) << '\n';
    }
  }
  if (json) context.out << (entries.empty() ? "]\n" : "\n]\n");
  context.out.flush();
  if (!simulate.empty()) {
    PrintText(context.Notes(), "These are simulated readers: with --simulate the machine's own "
                               "readers are neither listed nor used.");
  }
  if (entries.empty()) context.Notes() << "No " << InterfaceDisplayName(type) << " reader found.\n";
  return CLI_EXIT_OK;
}

int RunReportCommand(const OnlineOptions& options, bool raw, CliContext& context) {
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    std::string firmware;
    if (!ReadOrTell(link, settings, &firmware, session.Flow())) return CLI_EXIT_FAILURE;
    if (firmware.empty()) context.Notes() << "The reader did not report its firmware version.\n";
    PrintReport(context.out, BuildSettingsReport(settings, firmware), raw);
    return CLI_EXIT_OK;
  });
}

int RunVersionCommand(const OnlineOptions& options, CliContext& context) {
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    std::string firmware;
    const ReadOutcome read =
        ReadSettingsAndVersion(link, settings, false, &firmware, session.Flow());
    if (read != ReadOutcome::Ok) {
      TellReadFailure(read, link, session.Flow());
      return CLI_EXIT_FAILURE;
    }
    if (firmware.empty()) {
      const std::string cause = link.FailureCause();
      PrintError(context.err, "no firmware version came back from " + link.Name() +
                                  (cause.empty() ? "" : " (" + cause + ")"));
      return CLI_EXIT_FAILURE;
    }
    PrintText(context.out, firmware);
    return CLI_EXIT_OK;
  });
}

int RunSaveCommand(const OnlineOptions& options, const std::string& path, CliContext& context) {
  // A name that cannot be written is refused before the reader is read.
  if (const int refused = CheckOutputName(path, RecordFileKind::Config, "save", "export", context)) {
    return refused;
  }
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    if (!ReadOrTell(link, settings, nullptr, session.Flow())) return CLI_EXIT_FAILURE;
    if (const int saved = SaveRecord(path, settings, RecordFileKind::Config, context)) return saved;
    PrintText(context.Notes(), texts::SAVE_OK);
    return CLI_EXIT_OK;
  });
}

int RunLoadCommand(const RecordPlace& place, const std::string& path, bool check,
                   CliContext& context) {
  if (!OptionsUsable(place.reader.reader, place.reader.simulate, context.err)) {
    return CLI_EXIT_USAGE;
  }
  return WriteFileRecord(place, path, RecordFileKind::Config, "\"tessaron import\" writes it",
                         true, check, context);
}

int RunDefaultsCommand(const RecordPlace& place, bool check, CliContext& context) {
  return RunWrite(place, WriteRequest{.change = nullptr, .check = check}, context);
}

int RunSendCommand(const OnlineOptions& options, const std::string& text, CliContext& context) {
  // The text is checked before any reader is looked for; a text that is no command is a
  // wrong command line.
  TextCheckOutcome check;
  if (!CheckCommandText(text, check)) {
    PrintError(context.err, check.Told());
    return CLI_EXIT_USAGE;
  }
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ManualCommandConsole console;
    const ManualCommandConsole::Result sent = console.Send(text, &link, nullptr, session.Flow());
    if (!sent.reply.empty()) PrintText(context.out, ManualCommandConsole::ReplyBytesText(sent.reply));
    return ExitCode(sent.sent && sent.succeeded);
  });
}

int RunCloneCommand(const std::vector<std::string>& simulate, const std::string& from,
                    const std::string& to, const FleetOptions& toAll, const std::string& toFile,
                    bool check, CliContext& context) {
  if (!OptionsUsable(from, simulate, context.err) || !OptionsUsable(to, {}, context.err)) {
    return CLI_EXIT_USAGE;
  }
  const int targets = (to.empty() ? 0 : 1) + (toAll.all ? 1 : 0) + (toFile.empty() ? 0 : 1);
  if (from.empty() || targets != 1) {
    PrintError(context.err, "clone needs --from and one of --to, --to-all and --file");
    return CLI_EXIT_USAGE;
  }
  OnlineSession session(context);
  if (!simulate.empty() && !session.Simulate(simulate)) return CLI_EXIT_FAILURE;

  ReaderConnection source;
  ParseReaderConnection(from, &source, nullptr);
  std::string error;
  if (!session.Readers().CheckConnection(source, &error)) {
    PrintError(context.err, error);
    return CLI_EXIT_USAGE;
  }
  std::unique_ptr<ReaderLink> sourceLink;
  std::unique_ptr<ReaderSettings> sourceSettings;
  const SourceReadOutcome read =
      ReadCloneSource(&source, session.Environment(), sourceLink, sourceSettings,
                      session.Flow());
  sourceLink.reset();
  if (read != SourceReadOutcome::Read) return CLI_EXIT_FAILURE;

  // Every target gets the source's record as a loaded file would give it, and is read back.
  const WriteRequest request{.change = WholeRecord(*sourceSettings),
                             .check = check,
                             .replacesFile = true,
                             .words = {texts::CLONE_OK, texts::CLONE_FAILED, "\n"}};
  if (!toFile.empty()) {
    RecordPlace file;
    file.file = toFile;
    return RunWrite(file, request, context);
  }
  if (toAll.all) return RunOnEveryReader(session, toAll, context, WriteWork(request), {source});
  int code = CLI_EXIT_FAILURE;
  std::unique_ptr<ReaderLink> target = session.Connect(to, &code);
  if (!target) return code;
  return WriteReader(session, *target, request);
}

int RunBootLoaderCommand(const OnlineOptions& options, const std::optional<std::string>& password,
                         bool yes, CliContext& context) {
  if (!OptionsUsable(options.reader, options.simulate, context.err)) return CLI_EXIT_USAGE;
  // The password first, as the page asks for it before anything else.
  std::string typed;
  if (password) {
    typed = *password;
  } else {
    context.err << "Boot loader password: ";
    context.err.flush();
    const InputWait waiting;
    if (context.in == nullptr || !std::getline(*context.in, typed)) typed.clear();
  }
  if (!IsBootLoaderPassword(typed)) {
    PrintError(context.err, texts::BOOT_LOADER_PASSWORD_WRONG);
    return CLI_EXIT_FAILURE;
  }
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    if (yes) session.Flow().AnswerYes();
    switch (EnterBootLoader(&link, session.Flow())) {
      case BootLoaderOutcome::Entered:
        return CLI_EXIT_OK;
      case BootLoaderOutcome::Declined:
        PrintError(context.err, "not confirmed; nothing was sent");
        return CLI_EXIT_FAILURE;
      case BootLoaderOutcome::OpenFailed:
      case BootLoaderOutcome::Refused:
        break;
    }
    return CLI_EXIT_FAILURE;
  });
}

// --- registration ---

void AddListCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::string interfaceName;
    std::vector<std::string> simulate;
    bool json = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand("list", "List the readers found, one a line");
  command
      ->add_option("--interface", options->interfaceName,
                   "List only the readers of this interface (all five without it)")
      ->option_text(" NAME")
      ->check(CLI::IsMember(LineNames()));
  command->add_flag("--json", options->json,
                    "Print one JSON list of objects with the connection, interface and device");
  AddSimulateOption(command, &options->simulate);
  SetCommandNotes(command,
                  "Each line holds the connection that names the reader in --reader, its "
                  "interface and its device, separated by tabs.",
                  {"tessaron list", "tessaron list --interface usb-hid --json"});
  command->callback([options, &context] {
    InterfaceType type = InterfaceType::Unknown;
    if (!options->interfaceName.empty()) ParseLineName(options->interfaceName, &type);
    context.exitCode = RunListCommand(options->simulate, type, options->json, context);
  });
}

void AddReportCommand(CLI::App& app, CliContext& context) {
  auto raw = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "report", "Print the current-settings report of a reader");
  AddRawReportFlag(command, raw.get());
  auto options = AddOnlineOptions(command);
  SetCommandNotes(command,
                  "Reads every setting and the firmware version of the reader and prints the "
                  "report the window shows.",
                  {"tessaron report -r usb-hid:0", "tessaron report --simulate=ps2"});
  command->callback([options, raw, &context] {
    context.exitCode = RunReportCommand(*options, *raw, context);
  });
}

void AddVersionCommand(CLI::App& app, CliContext& context) {
  CLI::App* command =
      app.add_subcommand("version", "Print the firmware version text of a reader");
  auto options = AddOnlineOptions(command);
  SetCommandNotes(command, "", {"tessaron version -r usb-rs232:1"});
  command->callback([options, &context] {
    context.exitCode = RunVersionCommand(*options, context);
  });
}

void AddSaveCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "save", "Save all settings of a reader to a configuration file");
  command
      ->add_option("FILE", *path,
                   "Configuration file to write (replaced if it exists); - for standard output")
      ->required();
  auto options = AddOnlineOptions(command);
  SetCommandNotes(command,
                  "A regular file is replaced whole through a new file and a rename; a device or "
                  "a pipe is written into as a stream.",
                  {"tessaron save reader.cfs2", "tessaron save - -r usb-hid:1 > reader.cfs2"});
  command->callback([options, path, &context] {
    context.exitCode = RunSaveCommand(*options, *path, context);
  });
}

void AddLoadCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  auto check = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "load", "Write the settings of a configuration file to a reader");
  command->add_option("FILE", *path, "Configuration file to load; - for standard input")
      ->required();
  auto place = AddPlaceOptions(command, TARGET_FILE_HELP,
                               "Write the file to every reader found and read each back; one "
                               "line per reader, then a summary",
                               check.get());
  SetCommandNotes(command,
                  std::string("The reader is read, written in one frame only when it "
                              "differs, and read back; the changed settings are printed, the "
                              "last line says changed or unchanged. A keyboard-class USB reader "
                              "gets the keyboard format (from firmware ") +
                      VersionNumberText(HID_KB_FORMAT_MIN_VERSION) + " on).",
                  {"tessaron load reader.cfs2 -r usb-hid:0", "tessaron load tills.cfs2 --all --check"},
                  ExitStatusOfWrites("--all"));
  command->callback([place, path, check, &context] {
    context.exitCode = RunLoadCommand(place(), *path, *check, context);
  });
}

void AddDefaultsCommand(CLI::App& app, CliContext& context) {
  auto check = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "defaults", "Restore the factory settings of a reader and read them back");
  auto place = AddPlaceOptions(command, TARGET_FILE_HELP, nullptr, check.get());
  SetCommandNotes(command,
                  "A reader that differs from the factory settings this program knows restores "
                  "its own and is read back; the settings that changed are printed, the last "
                  "line says changed or unchanged. With --check nothing is sent. A --file is "
                  "given the factory settings.",
                  {"tessaron defaults -r rs232:0", "tessaron defaults --check"},
                  ExitStatusOfWrites(nullptr));
  command->callback([place, check, &context] {
    context.exitCode = RunDefaultsCommand(place(), *check, context);
  });
}

void AddSendCommand(CLI::App& app, CliContext& context) {
  auto text = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "send", "Send one command to a reader and print the reply");
  command
      ->add_option("TEXT", *text,
                   "The command from STX to ETX, each byte a backslash, x and one or two "
                   "hexadecimal digits; blanks are ignored; the LRC is added")
      ->required();
  auto options = AddOnlineOptions(command);
  SetCommandNotes(command, "The reply's bytes are printed in hexadecimal.",
                  {"tessaron send '\\x2\\x52\\x22\\x3'"});
  command->callback([options, text, &context] {
    context.exitCode = RunSendCommand(*options, *text, context);
  });
}

void AddBootLoaderCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::optional<std::string> password;
    bool yes = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "bootloader", "Switch a reader into its boot loader for a firmware update");
  command->add_option("--password", options->password,
                      "The boot-loader password (asked for on the terminal without it)")
      ->option_text(" TEXT");
  command->add_flag("-y,--yes", options->yes, "Do not ask for the confirmation");
  auto online = AddOnlineOptions(command);
  SetCommandNotes(command,
                  "Asks for the boot-loader password and a confirmation; the firmware is then "
                  "updated by another tool.",
                  {"tessaron bootloader -r usb-hid:0"});
  command->callback([options, online, &context] {
    context.exitCode = RunBootLoaderCommand(*online, options->password, options->yes, context);
  });
}

void AddCloneCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::string from;
    std::string to;
    std::vector<std::string> simulate;
    FleetOptions toAll;
    std::string file;
    bool check = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "clone", "Copy all settings of one reader to another, or to all others");
  command->add_option("--from", options->from, "Source reader (a CONNECTION as for --reader)")
      ->type_name("CONNECTION")
      ->check(ConnectionValidator())
      ->required();
  CLI::Option* to =
      command->add_option("--to", options->to, "Target reader (a CONNECTION as for --reader)")
          ->type_name("CONNECTION")
          ->check(ConnectionValidator());
  AddFleetOptions(command, "--to-all",
                  "Write to every other reader found and read each back; one line per reader, "
                  "then a summary",
                  &options->toAll);
  command->get_option("--to-all")->excludes(to);
  command->add_option("-f,--file", options->file, TARGET_FILE_HELP)
      ->type_name("FILE")
      ->excludes(to)
      ->excludes(command->get_option("--to-all"));
  AddSimulateOption(command, &options->simulate);
  AddCheckFlag(command, &options->check);
  SetCommandNotes(command,
                  "Each target is written as by load: read, written only when it differs, read "
                  "back, its changed settings printed, the last line changed or unchanged.",
                  {"tessaron clone --from usb-hid:0 --to usb-hid:1",
                   "tessaron clone --from rs232:0 --to-all --jobs 4"},
                  ExitStatusOfWrites("--to-all"));
  command->callback([options, &context] {
    options->toAll.simulate = options->simulate;
    context.exitCode = RunCloneCommand(options->simulate, options->from, options->to,
                                       options->toAll, options->file, options->check, context);
  });
}

}  // namespace tessaron
