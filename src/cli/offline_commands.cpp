#include "cli/offline_commands.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <memory>

#include "cli/online_session.h"
#include "cli/stream_dump.h"
#include "flows/interface_names.h"
#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_report.h"

namespace tessaron {

namespace {

void ReportLoadFailure(std::ostream& err, const std::string& path, ConfigFileStatus status) {
  err << "tessaron: cannot load " << path << ": " << ConfigFileStatusText(status) << '\n';
}

// Reads at most limit bytes of the file; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::size_t limit, ByteString* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(limit, 0);
  file.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(limit));
  if (file.bad()) return false;
  bytes->resize(static_cast<std::size_t>(file.gcount()));
  return true;
}

CLI::Option* AddFileArgument(CLI::App* command, std::string* path, const char* description) {
  return command->add_option("FILE", *path, description)->required();
}

}  // namespace

int RunInitCommand(const std::string& path, std::ostream& /*out*/, std::ostream& err) {
  const ReaderSettings defaults;
  const ConfigFileStatus status = SaveConfigFileStatus(defaults, path);
  if (status != ConfigFileStatus::Ok) {
    err << "tessaron: cannot write " << path << ": " << ConfigFileStatusText(status) << '\n';
    return CLI_EXIT_FAILURE;
  }
  return CLI_EXIT_OK;
}

int RunShowCommand(const std::string& path, InterfaceType type, const std::string& firmware,
                   bool raw, std::ostream& out, std::ostream& err) {
  ReaderSettings settings(type);
  const ConfigFileStatus status = LoadConfigFileStatus(settings, path);
  if (status != ConfigFileStatus::Ok) {
    ReportLoadFailure(err, path, status);
    return CLI_EXIT_FAILURE;
  }
  PrintReport(out, BuildSettingsReport(settings, firmware), raw);
  return CLI_EXIT_OK;
}

int RunDumpCommand(const std::string& path, std::ostream& out, std::ostream& err) {
  // Files the program would load are listed; so are files whose header is right but whose
  // stream is broken (wrong start, bad check byte, cut short), since that is when a person
  // wants to see the bytes. They are listed and still reported as failures. The listing
  // walks the file's own bytes, not the decoded record.
  ReaderSettings scratch;
  const ConfigFileStatus status = LoadConfigFileStatus(scratch, path);
  const bool brokenStream = status == ConfigFileStatus::BadStreamStart ||
                            status == ConfigFileStatus::BadChecksum ||
                            status == ConfigFileStatus::CutOff;
  if (status != ConfigFileStatus::Ok && !brokenStream) {
    ReportLoadFailure(err, path, status);
    return CLI_EXIT_FAILURE;
  }
  ByteString bytes;
  if (!ReadFileBytes(path, CONFIG_FILE_MAX_SIZE, &bytes) || bytes.size() < CONFIG_HEADER_SIZE) {
    ReportLoadFailure(err, path, ConfigFileStatus::ReadFailed);
    return CLI_EXIT_FAILURE;
  }
  out << DumpSettingsStream(bytes.data() + CONFIG_HEADER_SIZE,
                            bytes.size() - CONFIG_HEADER_SIZE);
  out.flush();
  if (brokenStream) {
    ReportLoadFailure(err, path, status);
    return CLI_EXIT_FAILURE;
  }
  return CLI_EXIT_OK;
}

void AddInitCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command =
      app.add_subcommand("init", "Write a configuration file holding the factory defaults");
  AddFileArgument(command, path.get(), "Configuration file to write (replaced if it exists)");
  command->callback([path, &context] {
    context.exitCode = RunInitCommand(*path, context.out, context.err);
  });
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
  AddFileArgument(command, &options->path, "Configuration file to load");
  command
      ->add_option("--interface", options->interfaceName,
                   "Interface the report is made for")
      ->check(CLI::IsMember(CliInterfaceNames()))
      ->capture_default_str();
  command->add_option("--firmware", options->firmware,
                      "Firmware version text printed on the report's last line");
  AddRawReportFlag(command, &options->raw);
  command->callback([options, &context] {
    InterfaceType type = INTERFACE_UNKNOWN;
    ParseCliInterfaceName(options->interfaceName, &type);
    context.exitCode =
        RunShowCommand(options->path, type, options->firmware, options->raw, context.out,
                       context.err);
  });
}

void AddDumpCommand(CLI::App& app, CliContext& context) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "dump", "List the settings stream of a configuration file in hexadecimal");
  AddFileArgument(command, path.get(), "Configuration file to list");
  command->callback([path, &context] {
    context.exitCode = RunDumpCommand(*path, context.out, context.err);
  });
}

}  // namespace tessaron
