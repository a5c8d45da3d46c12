#include "cli/offline_commands.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "cli/cli_files.h"
#include "cli/cli_help.h"
#include "cli/cli_output.h"
#include "cli/online_session.h"
#include "cli/stream_dump.h"
#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_json.h"
#include "core/settings_report.h"

namespace tessaron {

namespace {

// What takes a settings file in JSON where a command takes configuration files only.
constexpr const char* JSON_ELSEWHERE = "\"tessaron get --file\" prints it";

CLI::Option* AddFileArgument(CLI::App* command, std::string* path, const char* description) {
  return command->add_option("FILE", *path, description)->required();
}

}  // namespace

int RunInitCommand(const std::string& path, CliContext& context) {
  if (const int refused = CheckOutputName(path, RecordFileKind::Config, "init", "export", context)) {
    return refused;
  }
  return SaveRecord(path, ReaderSettings(), RecordFileKind::Config, context);
}

int RunShowCommand(const std::string& path, InterfaceType type, const std::string& firmware,
                   bool raw, CliContext& context) {
  ReaderSettings settings(type);
  if (const int loaded =
          LoadRecordOfKind(path, RecordFileKind::Config, JSON_ELSEWHERE, settings, context)) {
    return loaded;
  }
  PrintReport(context.out, BuildSettingsReport(settings, firmware), raw);
  return CLI_EXIT_OK;
}

int RunDumpCommand(const std::string& path, CliContext& context) {
  // Files the program would load are listed; so are files whose header is right but whose
  // stream is broken (wrong start, bad check byte, cut short), since that is when a person
  // wants to see the bytes. They are listed and still reported as failures. The listing
  // walks the file's own bytes, not the decoded record.
  ByteString bytes;
  if (const int read = ReadInput(path, SETTINGS_JSON_MAX_SIZE, &bytes, context)) return read;
  if (LooksLikeSettingsJson(bytes)) {
    PrintError(context.err, ShownName(path) + " is a settings file in JSON, which holds no settings stream: " +
                                JSON_ELSEWHERE);
    return CLI_EXIT_USAGE;
  }
  ReaderSettings scratch;
  const ConfigFileStatus status = DecodeConfigFile(bytes, scratch);
  const bool brokenStream = status == ConfigFileStatus::BadStreamStart ||
                            status == ConfigFileStatus::BadChecksum ||
                            status == ConfigFileStatus::CutOff;
  const std::string failure = "cannot load " + ShownName(path) + ": " + ConfigFileStatusText(status);
  // Whatever the bytes are, they are no settings file: a wrong file, as for every command.
  if (status != ConfigFileStatus::Ok && !brokenStream) {
    PrintError(context.err, failure);
    return CLI_EXIT_USAGE;
  }
  context.out << DumpSettingsStream(bytes.data() + CONFIG_HEADER_SIZE,
                                    bytes.size() - CONFIG_HEADER_SIZE);
  context.out.flush();
  if (brokenStream) {
    PrintError(context.err, failure);
    return CLI_EXIT_USAGE;
  }
  return CLI_EXIT_OK;
}

void AddInitCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command =
      app.add_subcommand("init", "Write a configuration file holding the factory defaults");
  AddFileArgument(command, path.get(),
                  "Configuration file to write (replaced if it exists); - for standard output");
  SetCommandNotes(command,
                  "A regular file is replaced whole through a new file and a rename; a device or "
                  "a pipe is written into as a stream.",
                  {"tessaron init factory.cfs2"});
  command->callback([path, &context] { context.exitCode = RunInitCommand(*path, context); });
}

void AddShowCommand(CLI::App& app, CliContext& context) {
  struct Options {
    std::string path;
    std::string interfaceName = "unknown";
    std::string firmware;
    bool raw = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = app.add_subcommand(
      "show", "Print the current-settings report of a configuration file");
  AddFileArgument(command, &options->path, "Configuration file to load; - for standard input");
  command
      ->add_option("--interface", options->interfaceName,
                   "Interface the report is made for (default: unknown)")
      ->option_text(" NAME")
      ->check(CLI::IsMember(LineNames(true)));
  command->add_option("--firmware", options->firmware,
                      "Firmware version text printed on the report's last line")
      ->option_text(" TEXT");
  AddRawReportFlag(command, &options->raw);
  SetCommandNotes(command, "", {"tessaron show reader.cfs2 --interface usb-hid"});
  command->callback([options, &context] {
    InterfaceType type = InterfaceType::Unknown;
    ParseLineName(options->interfaceName, &type);
    context.exitCode =
        RunShowCommand(options->path, type, options->firmware, options->raw, context);
  });
}

void AddDumpCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "dump", "List the settings stream of a configuration file in hexadecimal");
  AddFileArgument(command, path.get(), "Configuration file to list; - for standard input");
  SetCommandNotes(command, "One record a line: its name, then FuncID, length and value bytes.",
                  {"tessaron dump reader.cfs2"});
  command->callback([path, &context] { context.exitCode = RunDumpCommand(*path, context); });
}

}  // namespace tessaron
