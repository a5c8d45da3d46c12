#include "cli/online_commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <vector>

#include "cli/interface_names.h"
#include "cli/online_session.h"
#include "core/outcome_texts.h"
#include "cli/reader_connection.h"
#include "cli/reader_flows.h"
#include "core/command_frame.h"
#include "core/command_text.h"
#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_report.h"
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
    "rs232, usb-rs232, usb-hid, usb-hid-kb or ps2 (plain --simulate: usb-hid)";

// Prints a text on a line of its own (a text may already end with its line break).
void PrintText(std::ostream& stream, const std::string& text) {
  stream << text;
  if (text.empty() || text.back() != '\n') stream << '\n';
  stream.flush();
}

std::string ConnectionError(const std::string& text) {
  std::string error;
  return ParseReaderConnection(text, nullptr, &error) ? std::string() : error;
}

bool SimulatedLineKnown(const std::string& name) {
  return sim::ParseSimulatedLine(name, nullptr);
}

// Checks the options that CLI11 checks on the command line, for callers of the Run
// functions; false after a message on err.
bool OptionsUsable(const std::string& reader, const std::string& simulate, std::ostream& err) {
  if (!reader.empty()) {
    const std::string error = ConnectionError(reader);
    if (!error.empty()) {
      err << "tessaron: " << error << '\n';
      return false;
    }
  }
  if (!simulate.empty() && !SimulatedLineKnown(simulate)) {
    err << "tessaron: --simulate: unknown line \"" << simulate << "\"; expected "
        << SimulatedLineNames() << '\n';
    return false;
  }
  return true;
}

// Runs body(session, link) on the reader the options name, with the simulated reader
// running when asked for. The link goes before the session, so no port outlives the
// simulated reader it may hold.
template <typename Body>
int WithReader(const OnlineOptions& options, std::ostream& out, std::ostream& err, Body body) {
  if (!OptionsUsable(options.reader, options.simulate, err)) return CLI_EXIT_USAGE;
  OnlineSession session(out, err);
  if (!options.simulate.empty() && !session.Simulate(options.simulate)) return CLI_EXIT_FAILURE;
  std::unique_ptr<ReaderLink> link = session.Connect(options.reader);
  if (!link) return CLI_EXIT_FAILURE;
  return body(session, *link);
}

// Says why a read of all settings did not work; true when it did.
bool ReportRead(ReadOutcome outcome, std::ostream& err) {
  switch (outcome) {
    case ReadOutcome::Ok:
      return true;
    case ReadOutcome::OpenFailed:
      PrintText(err, COMMAND_OPEN_FAILED_TEXT);
      return false;
    case ReadOutcome::ReadFailed:
      PrintText(err, texts::READ_FAILED);
      return false;
  }
  return false;
}

std::string ReplyText(const ByteString& reply) {
  std::string text;
  char hex[8];
  for (Byte value : reply) {
    std::snprintf(hex, sizeof hex, "0x%02x", value);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
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

void AddSimulateOption(CLI::App* command, std::string* line) {
  command->add_flag("--simulate{" + std::string(sim::SimulatedLineName(sim::DEFAULT_SIMULATED_LINE)) +
                        "}",
                    *line, SIMULATE_HELP)
      ->type_name("[=LINE]")
      ->check(CLI::Validator(
          [](std::string& name) {
            return SimulatedLineKnown(name)
                       ? std::string()
                       : "unknown line \"" + name + "\"; expected " + SimulatedLineNames();
          },
          "", ""));
}

// Adds --reader and --simulate to a command on one reader.
std::shared_ptr<OnlineOptions> AddOnlineOptions(CLI::App* command) {
  auto options = std::make_shared<OnlineOptions>();
  AddReaderOption(command, &options->reader);
  AddSimulateOption(command, &options->simulate);
  return options;
}

}  // namespace

int RunListCommand(const std::string& simulate, InterfaceType type, std::ostream& out,
                   std::ostream& err) {
  if (!OptionsUsable(std::string(), simulate, err)) return CLI_EXIT_USAGE;
  OnlineSession session(out, err);
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
      out << InterfaceDisplayName(entry.interfaceType) << '\t' << entry.deviceIndex << '\t'
          << entry.name << '\n';
      ++found;
    }
  }
  out.flush();
  if (found == 0) err << "No " << InterfaceDisplayName(type) << " reader found.\n";
  return CLI_EXIT_OK;
}

int RunReportCommand(const OnlineOptions& options, std::ostream& out, std::ostream& err) {
  return WithReader(options, out, err, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    std::string firmware;
    if (!ReportRead(ReadReaderSettings(link, settings, &firmware, session.Flow()), err)) {
      return CLI_EXIT_FAILURE;
    }
    if (firmware.empty()) err << "tessaron: the reader did not report its firmware version\n";
    out << BuildSettingsReport(settings, firmware);
    out.flush();
    return CLI_EXIT_OK;
  });
}

int RunVersionCommand(const OnlineOptions& options, std::ostream& out, std::ostream& err) {
  return WithReader(options, out, err, [&](OnlineSession& session, ReaderLink& link) {
    std::string firmware;
    switch (ReadFirmwareVersion(link, &firmware, session.Flow())) {
      case VersionOutcome::Ok:
        PrintText(out, firmware);
        return CLI_EXIT_OK;
      case VersionOutcome::OpenFailed:
        PrintText(err, COMMAND_OPEN_FAILED_TEXT);
        return CLI_EXIT_FAILURE;
      case VersionOutcome::NoVersion:
        break;
    }
    err << "tessaron: no firmware version came back from " << link.Name() << '\n';
    return CLI_EXIT_FAILURE;
  });
}

int RunSaveCommand(const OnlineOptions& options, const std::string& path, std::ostream& out,
                   std::ostream& err) {
  return WithReader(options, out, err, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    if (!ReportRead(ReadReaderSettings(link, settings, nullptr, session.Flow()), err)) {
      return CLI_EXIT_FAILURE;
    }
    const ConfigFileStatus status = SaveConfigFileStatus(settings, path);
    if (status != ConfigFileStatus::Ok) {
      PrintText(err, texts::SAVE_FAILED);
      err << "tessaron: cannot write " << path << ": " << ConfigFileStatusText(status) << '\n';
      return CLI_EXIT_FAILURE;
    }
    PrintText(out, texts::SAVE_OK);
    return CLI_EXIT_OK;
  });
}

int RunLoadCommand(const OnlineOptions& options, const std::string& path, std::ostream& out,
                   std::ostream& err) {
  if (!OptionsUsable(options.reader, options.simulate, err)) return CLI_EXIT_USAGE;
  // The file is checked before any reader is looked for.
  ReaderSettings settings;
  const ConfigFileStatus status = LoadConfigFileStatus(settings, path);
  if (status != ConfigFileStatus::Ok) {
    PrintText(err, texts::LOAD_FAILED);
    err << "tessaron: cannot load " << path << ": " << ConfigFileStatusText(status) << '\n';
    return CLI_EXIT_FAILURE;
  }
  return WithReader(options, out, err, [&](OnlineSession& session, ReaderLink& link) {
    // A keyboard-class USB reader is always given the keyboard format; the firmware rule
    // of the write below takes it back on firmware older than 1.89.
    if (link.Interface() == INTERFACE_USB_HID_KB) settings.hidFormat = '8';
    const SendOutcome sent = SendSettings(link, settings, session.Flow());
    switch (sent.result) {
      case WriteOk: {
        std::string text = texts::WRITE_OK;
        if (sent.interfaceSwitch) text += texts::INTERFACE_SWITCHED;
        PrintText(out, text);
        return CLI_EXIT_OK;
      }
      case WriteRejected:
        // The reader refused the frame: not a success, whatever it kept of it.
        PrintText(err, texts::UNKNOWN_FUNC_IDS);
        return CLI_EXIT_FAILURE;
      case WriteTooLong:
        PrintText(err, texts::WRITE_TOO_LONG);
        return CLI_EXIT_FAILURE;
      case WriteFailed:
        break;
    }
    PrintText(err, texts::WRITE_FAILED);
    return CLI_EXIT_FAILURE;
  });
}

int RunDefaultsCommand(const OnlineOptions& options, std::ostream& out, std::ostream& err) {
  return WithReader(options, out, err, [&](OnlineSession& session, ReaderLink& link) {
    ReaderSettings settings(link.Interface());
    if (!RestoreDefaults(link, settings, session.Flow())) {
      PrintText(err, texts::DEFAULTS_FAILED);
      return CLI_EXIT_FAILURE;
    }
    PrintText(out, texts::DEFAULTS_OK);
    return CLI_EXIT_OK;
  });
}

int RunSendCommand(const OnlineOptions& options, const std::string& text, std::ostream& out,
                   std::ostream& err) {
  // The text is checked before any reader is looked for; a text that is no command is a
  // wrong command line.
  ByteString frame;
  switch (PrepareManualCommand(text, &frame)) {
    case ManualCommandCheck::Ok:
      break;
    case ManualCommandCheck::Empty:
      PrintText(err, COMMAND_TEXT_EMPTY_TEXT);
      return CLI_EXIT_USAGE;
    case ManualCommandCheck::InvalidValue:
      PrintText(err, COMMAND_TEXT_INVALID_VALUE_TEXT);
      PrintText(err, COMMAND_TEXT_REFUSED_TEXT);
      return CLI_EXIT_USAGE;
    case ManualCommandCheck::TooLong:
      PrintText(err, COMMAND_TEXT_REFUSED_TEXT);
      return CLI_EXIT_USAGE;
    case ManualCommandCheck::NotFramed:
      PrintText(err, COMMAND_NOT_FRAMED_TEXT);
      return CLI_EXIT_USAGE;
  }
  return WithReader(options, out, err, [&](OnlineSession& session, ReaderLink& link) {
    const CommandOutcome sent = SendCommandFrame(link, frame, session.Flow());
    if (!sent.opened) {
      PrintText(err, COMMAND_OPEN_FAILED_TEXT);
      return CLI_EXIT_FAILURE;
    }
    if (!sent.reply.empty()) PrintText(out, ReplyText(sent.reply));
    if (!sent.succeeded) {
      const bool refused = !sent.reply.empty() && sent.reply[0] == REPLY_UNKNOWN;
      PrintText(err, refused ? COMMAND_UNKNOWN_TEXT : COMMAND_FAILED_TEXT);
      return CLI_EXIT_FAILURE;
    }
    return CLI_EXIT_OK;
  });
}

int RunCloneCommand(const std::string& simulate, const std::string& from, const std::string& to,
                    std::ostream& out, std::ostream& err) {
  if (!OptionsUsable(from, simulate, err) || !OptionsUsable(to, std::string(), err)) {
    return CLI_EXIT_USAGE;
  }
  if (from.empty() || to.empty()) {
    err << "tessaron: clone needs both --from and --to\n";
    return CLI_EXIT_USAGE;
  }
  OnlineSession session(out, err);
  if (!simulate.empty() && !session.Simulate(simulate)) return CLI_EXIT_FAILURE;

  ReaderConnection source;
  ReaderConnection target;
  ParseReaderConnection(from, &source, nullptr);
  ParseReaderConnection(to, &target, nullptr);

  // The source record is made for the source's interface and read afresh.
  std::unique_ptr<ReaderLink> sourceLink = ReaderLink::Create(source, session.Timing());
  if (!sourceLink) {
    PrintText(err, texts::NO_MEMORY);
    return CLI_EXIT_FAILURE;
  }
  ReaderSettings sourceSettings(source.type);
  switch (ReadReaderSettings(*sourceLink, sourceSettings, nullptr, session.Flow())) {
    case ReadOutcome::Ok:
      PrintText(out, texts::SOURCE_READ_OK);
      break;
    case ReadOutcome::OpenFailed:
      PrintText(err, texts::SOURCE_OPEN_FAILED);
      return CLI_EXIT_FAILURE;
    case ReadOutcome::ReadFailed:
      PrintText(err, texts::READ_FAILED);
      return CLI_EXIT_FAILURE;
  }
  sourceLink.reset();

  std::unique_ptr<ReaderLink> targetLink = ReaderLink::Create(target, session.Timing());
  if (!targetLink) {
    PrintText(err, texts::NO_MEMORY);
    return CLI_EXIT_FAILURE;
  }
  switch (CloneSettings(sourceSettings, *targetLink, session.Flow())) {
    case CloneOutcome::Ok:
      PrintText(out, texts::CLONE_OK);
      return CLI_EXIT_OK;
    case CloneOutcome::TargetOpenFailed:
      PrintText(err, texts::TARGET_OPEN_FAILED);
      return CLI_EXIT_FAILURE;
    case CloneOutcome::Rejected:
      PrintText(err, texts::UNKNOWN_FUNC_IDS);
      return CLI_EXIT_FAILURE;
    case CloneOutcome::Failed:
      break;
  }
  PrintText(err, texts::CLONE_FAILED);
  return CLI_EXIT_FAILURE;
}

// --- registration ---

void AddListCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::string interfaceName;
    std::string simulate;
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
    context.exitCode = RunListCommand(options->simulate, type, context.out, context.err);
  });
}

void AddReportCommand(CLI::App& app, CliContext& context) {
  CLI::App* command = app.add_subcommand(
      "report", "Read all settings and the firmware version of a reader and print its report");
  auto options = AddOnlineOptions(command);
  command->callback([options, &context] {
    context.exitCode = RunReportCommand(*options, context.out, context.err);
  });
}

void AddVersionCommand(CLI::App& app, CliContext& context) {
  CLI::App* command =
      app.add_subcommand("version", "Print the firmware version text of a reader");
  auto options = AddOnlineOptions(command);
  command->callback([options, &context] {
    context.exitCode = RunVersionCommand(*options, context.out, context.err);
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
    context.exitCode = RunSaveCommand(*options, *path, context.out, context.err);
  });
}

void AddLoadCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "load", "Load a configuration file and write its settings to a reader");
  command->add_option("FILE", *path, "Configuration file to load")->required();
  auto options = AddOnlineOptions(command);
  command->callback([options, path, &context] {
    context.exitCode = RunLoadCommand(*options, *path, context.out, context.err);
  });
}

void AddDefaultsCommand(CLI::App& app, CliContext& context) {
  CLI::App* command = app.add_subcommand(
      "defaults", "Restore the factory settings of a reader and read them back");
  auto options = AddOnlineOptions(command);
  command->callback([options, &context] {
    context.exitCode = RunDefaultsCommand(*options, context.out, context.err);
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
    context.exitCode = RunSendCommand(*options, *text, context.out, context.err);
  });
}

void AddCloneCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::string from;
    std::string to;
    std::string simulate;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "clone", "Read all settings of one reader and write them to another");
  command->add_option("--from", options->from, "Source reader (a CONNECTION as for --reader)")
      ->type_name("CONNECTION")
      ->check(ConnectionValidator())
      ->required();
  command->add_option("--to", options->to, "Target reader (a CONNECTION as for --reader)")
      ->type_name("CONNECTION")
      ->check(ConnectionValidator())
      ->required();
  AddSimulateOption(command, &options->simulate);
  command->callback([options, &context] {
    context.exitCode = RunCloneCommand(options->simulate, options->from, options->to,
                                       context.out, context.err);
  });
}

}  // namespace tessaron
