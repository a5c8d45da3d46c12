#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <exception>

#include "cli/offline_commands.h"
#include "cli/online_commands.h"
#include "cli/settings_commands.h"
#include "core/settings_report.h"

namespace tessaron {

namespace {

// Every command of the tool, in the order the top-level help lists them.
constexpr CommandRegistration COMMANDS[] = {
    AddInitCommand,
    AddShowCommand,
    AddDumpCommand,
    AddSettingsCommand,
    AddGetCommand,
    AddSetCommand,
    AddExportCommand,
    AddImportCommand,
    AddDiffCommand,
    AddListCommand,
    AddReportCommand,
    AddVersionCommand,
    AddSaveCommand,
    AddLoadCommand,
    AddDefaultsCommand,
    AddSendCommand,
    AddCloneCommand,
    AddBootLoaderCommand,
};

}  // namespace

int RunCli(int argc, const char* const* argv, const CliEnvironment& environment) {
  std::ostream& out = environment.out;
  std::ostream& err = environment.err;
  try {
    CLI::App app{"Reads, shows and writes the settings of Tessaron card readers.", "tessaron"};
    app.set_version_flag("--version",
                         std::string(SOFTWARE_NAME) + " " + SOFTWARE_VERSION);
    app.require_subcommand(1);
    CliContext context{out, err, environment.in, environment.timingScale};
    context.errIsTerminal = environment.errIsTerminal;
    app.add_flag("--fast", context.fastReplies,
                 "End each exchange with a serial or USB HID reader as soon as its whole reply "
                 "has come, instead of after the fixed pause and silence (the fixed times stay "
                 "the limits)");
    // --fast may stand after the command too.
    app.fallthrough();
    for (CommandRegistration registration : COMMANDS) registration(app, context);

    try {
      app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
      // Help and version requests end the run successfully; everything else is misuse.
      const int code = app.exit(error, out, err);
      return code == static_cast<int>(CLI::ExitCodes::Success) ? CLI_EXIT_OK : CLI_EXIT_USAGE;
    }
    return context.exitCode;
  } catch (const std::exception& error) {
    err << "tessaron: " << error.what() << '\n';
    return CLI_EXIT_FAILURE;
  }
}

}  // namespace tessaron
