#include "cli/online_commands.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <vector>

#include "cli/fleet.h"
#include "cli/online_session.h"
#include "cli/settings_commands.h"
#include "core/reader_settings.h"
#include "core/settings_report.h"
#include "flows/flow_texts.h"
#include "flows/interface_names.h"
#include "flows/manual_command_console.h"
#include "flows/reader_connection.h"
#include "flows/reader_flows.h"
#include "sim/simulated_line.h"
#include "transport/discovery.h"

namespace tessaron {

namespace {

constexpr const char* READER_HELP =
    "Reader to use: a serial device path (/dev/ttyUSB0, used as RS232), NAME:PATH with NAME "
    "rs232, usb-rs232, usb-hid or usb-hid-kb and PATH a tty or hidraw node, or NAME:INDEX "
    "with NAME also ps2 and INDEX the device index \"tessaron list\" shows. Without it the "
    "one USB reader present is used";
constexpr const char* SIMULATE_HELP =
    "Add the built-in simulated reader to the readers found; --simulate=LINE picks its line: "
    "rs232, usb-rs232, usb-hid, usb-hid-kb or ps2 (plain --simulate: usb-hid); LINE:COUNT "
    "adds several (usb-hid:3), and the option may be given more than once";

std::string ConnectionError(const std::string& text) {
  std::string error;
  return ParseReaderConnection(text, nullptr, &error) ? std::string() : error;
}


int ExitCode(bool ok) { return ok ? CLI_EXIT_OK : CLI_EXIT_FAILURE; }

// The change of --all that writes record to every reader, in the keyboard format on a
// keyboard-class USB reader (as "Load from File" does).
RecordChange KeepFormatOf(const ReaderSettings& record) {
  return [&record](ReaderLink& link, ReaderSettings& after, std::ostream&) {
    after = record;
    KeepKeyboardFormat(&link, after);
    return true;
  };
}

// --- command-line options shared by the commands ---

CLI::Validator ConnectionValidator() {
  return CLI::Validator([](std::string& text) { return ConnectionError(text); }, "", "");
}

void AddReaderOption(CLI::App* command, std::string* reader) {
  command->add_option("-r,--reader", *reader, READER_HELP)
      ->type_name("CONNECTION")
      ->check(ConnectionValidator());
}

}  // namespace

bool OptionsUsable(const std::string& reader, const std::vector<std::string>& simulate,
                   std::ostream& err) {
  if (!reader.empty()) {
    const std::string error = ConnectionError(reader);
    if (!error.empty()) {
      err << "tessaron: " << error << '\n';
      return false;
    }
  }
  std::string error;
  if (!ParseSimulateRequests(simulate, nullptr, &error)) {
    err << "tessaron: --simulate: " << error << '\n';
    return false;
  }
  return true;
}

void AddSimulateOption(CLI::App* command, std::vector<std::string>* lines) {
  command->add_flag("--simulate{" + std::string(sim::SimulatedLineName(sim::DEFAULT_SIMULATED_LINE)) +
                        "}",
                    *lines, SIMULATE_HELP)
      ->type_name("[=LINE[:COUNT]]")
      ->check(CLI::Validator(
          [](std::string& request) {
            std::string error;
            return ParseSimulateRequests({request}, nullptr, &error) ? std::string() : error;
          },
          "", ""));
}

std::shared_ptr<OnlineOptions> AddOnlineOptions(CLI::App* command) {
  auto options = std::make_shared<OnlineOptions>();
  AddReaderOption(command, &options->reader);
  AddSimulateOption(command, &options->simulate);
  return options;
}

int RunListCommand(const std::vector<std::string>& simulate, InterfaceType type,
                   CliContext& context) {
  if (!OptionsUsable(std::string(), simulate, context.err)) return CLI_EXIT_USAGE;
  OnlineSession session(context);
  if (!simulate.empty() && !session.Simulate(simulate)) return CLI_EXIT_FAILURE;

  std::vector<InterfaceType> types;
  if (type == INTERFACE_UNKNOWN) {
    for (InterfaceType each = INTERFACE_RS232; each < INTERFACE_TYPE_COUNT; ++each) {
      types.push_back(each);
    }
  } else {
    types.push_back(type);
  }
  std::size_t found = 0;
  for (InterfaceType each : types) {
    std::vector<ReaderDeviceEntry> entries;
    EnumerateReaders(each, entries);
    for (const ReaderDeviceEntry& entry : entries) {
      context.out << InterfaceDisplayName(entry.interfaceType) << '\t' << entry.deviceIndex
                  << '\t' << entry.name << '\n';
      ++found;
    }
  }
  context.out.flush();
  if (found == 0) context.err << "No " << InterfaceDisplayName(type) << " reader found.\n";
  return CLI_EXIT_OK;
}

int RunReportCommand(const OnlineOptions& options, bool raw, CliContext& context) {
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    std::string firmware;
    const ReadOutcome read = ReadReader(link, settings, true, &firmware, session.Flow());
    if (read != ReadOutcome::Ok) {
      TellReadFailure(read, link, session.Flow());
      return CLI_EXIT_FAILURE;
    }
    if (firmware.empty()) context.err << "tessaron: the reader did not report its firmware version\n";
    PrintReport(context.out, BuildSettingsReport(settings, firmware), raw);
    return CLI_EXIT_OK;
  });
}

int RunVersionCommand(const OnlineOptions& options, CliContext& context) {
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    std::string firmware;
    const ReadOutcome read = ReadReader(link, settings, false, &firmware, session.Flow());
    if (read != ReadOutcome::Ok) {
      TellReadFailure(read, link, session.Flow());
      return CLI_EXIT_FAILURE;
    }
    if (firmware.empty()) {
      context.err << "tessaron: no firmware version came back from " << link.Name() << '\n';
      const std::string cause = link.FailureCause();
      if (!cause.empty()) PrintText(context.err, cause);
      return CLI_EXIT_FAILURE;
    }
    PrintText(context.out, firmware);
    return CLI_EXIT_OK;
  });
}

int RunSaveCommand(const OnlineOptions& options, const std::string& path, CliContext& context) {
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    if (!ReadInto(link, session.Flow(), settings)) return CLI_EXIT_FAILURE;
    return ExitCode(SaveSettingsFile(settings, path, SheetKind::Basic, session.Flow()));
  });
}

int RunLoadCommand(const OnlineOptions& options, const std::string& path,
                   const FleetOptions& fleet, CliContext& context) {
  if (!OptionsUsable(options.reader, options.simulate, context.err)) return CLI_EXIT_USAGE;
  // The file is checked before any reader is looked for.
  ReaderSettings settings;
  {
    ConsoleFlowContext fileFlow(context.out, context.err, context.in, context.timingScale);
    if (!LoadSettingsFile(settings, path, fileFlow)) return CLI_EXIT_FAILURE;
  }
  // A keyboard-class USB reader is always given the keyboard format; the firmware rule of
  // the write takes it back on firmware older than 1.89.
  if (fleet.all) {
    return RunOnEveryReader(fleet, context, ApplyWork(false, KeepFormatOf(settings)));
  }
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    KeepKeyboardFormat(&link, settings);
    const SendResult sent = SendSettings(&link, settings, SheetKind::Basic, session.Flow());
    return ExitCode(sent.result == WriteOk);
  });
}

int RunDefaultsCommand(const OnlineOptions& options, CliContext& context) {
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    return ExitCode(RestoreFactoryDefaults(&link, settings, SheetKind::Advanced, session.Flow()));
  });
}

int RunSendCommand(const OnlineOptions& options, const std::string& text, CliContext& context) {
  // The text is checked before any reader is looked for; a text that is no command is a
  // wrong command line.
  {
    ConsoleFlowContext checkFlow(context.out, context.err, context.in, context.timingScale);
    if (!CheckCommandText(text, checkFlow)) return CLI_EXIT_USAGE;
  }
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    ManualCommandConsole console;
    const ManualCommandConsole::Result sent = console.Send(text, &link, nullptr, session.Flow());
    if (!sent.reply.empty()) PrintText(context.out, ManualCommandConsole::ReplyBytesText(sent.reply));
    return ExitCode(sent.sent && sent.succeeded);
  });
}

int RunCloneCommand(const std::vector<std::string>& simulate, const std::string& from,
                    const std::string& to, const FleetOptions& toAll, CliContext& context) {
  if (!OptionsUsable(from, simulate, context.err) || !OptionsUsable(to, {}, context.err)) {
    return CLI_EXIT_USAGE;
  }
  if (from.empty() || (to.empty() != toAll.all)) {
    context.err << "tessaron: clone needs --from and one of --to and --to-all\n";
    return CLI_EXIT_USAGE;
  }
  OnlineSession session(context);
  if (!simulate.empty() && !session.Simulate(simulate)) return CLI_EXIT_FAILURE;

  ReaderConnection source;
  ParseReaderConnection(from, &source, nullptr);
  std::unique_ptr<ReaderLink> sourceLink;
  std::unique_ptr<ReaderSettings> sourceSettings;
  const SourceReadOutcome read =
      ReadCloneSource(&source, session.Timing(), sourceLink, sourceSettings, session.Flow());
  sourceLink.reset();
  if (read != SourceReadOutcome::Read) return CLI_EXIT_FAILURE;

  if (toAll.all) {
    // Every other reader gets the source's record as a loaded file would give it, and is
    // read back.
    return RunOnEveryReader(session, toAll, context,
                            ApplyWork(false, KeepFormatOf(*sourceSettings)), {source});
  }
  ReaderConnection target;
  ParseReaderConnection(to, &target, nullptr);
  std::unique_ptr<ReaderLink> targetLink;
  const WriteResult written = CloneToTarget(sourceSettings.get(), true, &target, session.Timing(),
                                            targetLink, session.Flow());
  return ExitCode(written == WriteOk);
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
    if (context.in == nullptr || !std::getline(*context.in, typed)) typed.clear();
  }
  if (!IsBootLoaderPassword(typed)) {
    PrintText(context.err, texts::BOOT_LOADER_PASSWORD_WRONG);
    return CLI_EXIT_FAILURE;
  }
  return WithReader(options, context, [&](OnlineSession& session, ReaderLink& link) {
    if (yes) session.Flow().AnswerYes();
    switch (EnterBootLoader(&link, session.Flow())) {
      case BootLoaderOutcome::Entered:
        return CLI_EXIT_OK;
      case BootLoaderOutcome::Declined:
        context.err << "Nothing was sent.\n";
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
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "list", "List the readers found: interface, device index and device name, one a line");
  std::vector<std::string> lines(CliInterfaceNames().begin() + 1, CliInterfaceNames().end());
  command
      ->add_option("--interface", options->interfaceName,
                   "List only the readers of this interface (all five without it)")
      ->check(CLI::IsMember(lines));
  AddSimulateOption(command, &options->simulate);
  command->callback([options, &context] {
    InterfaceType type = INTERFACE_UNKNOWN;
    if (!options->interfaceName.empty()) ParseCliInterfaceName(options->interfaceName, &type);
    context.exitCode = RunListCommand(options->simulate, type, context);
  });
}

void AddReportCommand(CLI::App& app, CliContext& context) {
  auto raw = std::make_shared<bool>(false);
  CLI::App* command = app.add_subcommand(
      "report", "Read all settings and the firmware version of a reader and print its report");
  AddRawReportFlag(command, raw.get());
  auto options = AddOnlineOptions(command);
  command->callback([options, raw, &context] {
    context.exitCode = RunReportCommand(*options, *raw, context);
  });
}

void AddVersionCommand(CLI::App& app, CliContext& context) {
  CLI::App* command =
      app.add_subcommand("version", "Print the firmware version text of a reader");
  auto options = AddOnlineOptions(command);
  command->callback([options, &context] {
    context.exitCode = RunVersionCommand(*options, context);
  });
}

void AddSaveCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "save", "Read all settings of a reader and save them to a configuration file");
  command->add_option("FILE", *path, "Configuration file to write (replaced if it exists)")
      ->required();
  auto options = AddOnlineOptions(command);
  command->callback([options, path, &context] {
    context.exitCode = RunSaveCommand(*options, *path, context);
  });
}

void AddLoadCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "load", "Load a configuration file and write its settings to a reader");
  command->add_option("FILE", *path, "Configuration file to load")->required();
  auto options = AddOnlineOptions(command);
  auto fleet = std::make_shared<FleetOptions>();
  AddFleetOptions(command, "--all",
                  "Write the file to every reader found and read each back; one line per "
                  "reader, then a summary",
                  fleet.get());
  command->get_option("--all")->excludes(command->get_option("--reader"));
  command->callback([options, path, fleet, &context] {
    fleet->simulate = options->simulate;
    context.exitCode = RunLoadCommand(*options, *path, *fleet, context);
  });
}

void AddDefaultsCommand(CLI::App& app, CliContext& context) {
  CLI::App* command = app.add_subcommand(
      "defaults", "Restore the factory settings of a reader and read them back");
  auto options = AddOnlineOptions(command);
  command->callback([options, &context] {
    context.exitCode = RunDefaultsCommand(*options, context);
  });
}

void AddSendCommand(CLI::App& app, CliContext& context) {
  auto text = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "send", "Send one command typed as \\x2\\x52\\x22\\x3 (LRC added) and print the reply");
  command
      ->add_option("TEXT", *text,
                   "The command from STX to ETX, each byte a backslash, x and one or two "
                   "hexadecimal digits; blanks are ignored")
      ->required();
  auto options = AddOnlineOptions(command);
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
      "bootloader",
      "Switch a reader into its boot loader, so that its firmware can be updated by another "
      "tool; asks for the boot-loader password and a confirmation");
  command->add_option("--password", options->password,
                      "The boot-loader password (asked for on the terminal without it)");
  command->add_flag("-y,--yes", options->yes, "Do not ask for the confirmation");
  auto online = AddOnlineOptions(command);
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
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "clone",
      "Read all settings of one reader and write them to another, or to every other reader "
      "found (--to-all)");
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
  AddSimulateOption(command, &options->simulate);
  command->callback([options, &context] {
    options->toAll.simulate = options->simulate;
    context.exitCode =
        RunCloneCommand(options->simulate, options->from, options->to, options->toAll, context);
  });
}

}  // namespace tessaron
