#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_help.h"
#include "cli/cli_output.h"
#include "cli/offline_commands.h"
#include "cli/online_commands.h"
#include "cli/online_session.h"
#include "cli/settings_commands.h"
#include "cli/stop_signals.h"
#include "core/near_misses.h"
#include "core/setting_names.h"
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

constexpr const char* HELP_COMMAND = "help";
constexpr const char* TOOL_NOTES =
    "Options may stand before or after the command. \"tessaron help COMMAND\" (or COMMAND "
    "--help) explains a command, with examples. A FILE of \"-\" is standard input where the "
    "command only reads it and standard output where it only writes it.\n\n"
    "Example:\n"
    "  tessaron report --simulate\n\n"
    "Exit status: 0 done; 1 failed (one line on standard error, \"tessaron: \" first, says "
    "why); 2 wrong usage, or a file that is no settings file; 3 with --check when something "
    "would change; 128 + the signal's number (130 for Ctrl-C, 143 for SIGTERM) when a signal "
    "stopped the run with work undone. diff exits 1 when the records differ.";

// A command line read far enough to know its command and to bring the options that stand
// before the command behind it, where the command's own options are known.
struct CommandLine {
  std::vector<std::string> leading;  // options before the command
  std::string command;               // empty: none given
  std::vector<std::string> rest;     // everything after the command
};

// The option names (with their dashes) of the app and its commands that take a value in the
// next argument.
std::set<std::string> NamesTakingValues(const CLI::App& app) {
  std::set<std::string> names;
  auto add = [&names](const CLI::App& each) {
    for (const CLI::Option* option : each.get_options()) {
      if (option->get_positional() || option->get_expected_min() == 0) continue;
      for (const std::string& name : option->get_snames()) names.insert("-" + name);
      for (const std::string& name : option->get_lnames()) names.insert("--" + name);
    }
  };
  add(app);
  for (const CLI::App* command : app.get_subcommands({})) add(*command);
  return names;
}

CommandLine SplitCommandLine(const CLI::App& app, const std::vector<std::string>& args) {
  const std::set<std::string> takingValues = NamesTakingValues(app);
  CommandLine line;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-' || arg == "--") break;
    line.leading.push_back(arg);
    if (takingValues.count(arg) != 0 && i + 1 < args.size()) line.leading.push_back(args[++i]);
  }
  if (i < args.size() && args[i] != "--") line.command = args[i++];
  line.rest.assign(args.begin() + static_cast<long>(i), args.end());
  return line;
}

CLI::App* FindCommand(CLI::App& app, const std::string& name) {
  for (CLI::App* command : app.get_subcommands({})) {
    if (command->get_name() == name) return command;
  }
  return nullptr;
}

std::vector<std::string> CommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
  names.push_back(HELP_COMMAND);
  return names;
}

// "unknown command 'reprot'; did you mean 'report'?"
std::string UnknownCommand(const CLI::App& app, const std::string& name) {
  std::string text = "unknown command '" + name + "'";
  const std::vector<std::string> near = NearMisses(name, CommandNames(app));
  for (std::size_t i = 0; i < near.size(); ++i) {
    text += (i == 0 ? "; did you mean '" : "' or '") + near[i];
  }
  return text + (near.empty() ? "; \"tessaron help\" lists the commands" : "'?");
}

// "--simulate ps2": the line of --simulate goes behind "=", else it is taken for an argument
// of the command; and "--simulate=" alone.
std::string SimulateWithBlank(const std::vector<std::string>& args) {
  // "--simulate=" names no line (CLI11 would take the default line for it).
  for (const std::string& arg : args) {
    std::string error;
    if (arg == "--simulate=" && !ParseSimulateRequests({""}, nullptr, &error)) {
      return "--simulate=: " + error;
    }
  }
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    std::string error;
    if (args[i] == "--simulate" && ParseSimulateRequests({args[i + 1]}, nullptr, &error)) {
      return "--simulate takes its line behind \"=\": write --simulate=" + args[i + 1];
    }
  }
  return std::string();
}

// The program, its version and the system it was built for.
std::string VersionLine() {
  return std::string(SOFTWARE_NAME) + " " + SOFTWARE_VERSION + " (" + TESSARON_PLATFORM_TEXT + ")";
}

// The first of args that is written as an option but is none of the tool's or its commands'
// ("--bogus"); empty when there is none.
std::string UnknownOption(const CLI::App& app, const std::vector<std::string>& args) {
  std::set<std::string> known;
  auto add = [&known](const CLI::App& each) {
    for (const CLI::Option* option : each.get_options()) {
      for (const std::string& name : option->get_snames()) known.insert("-" + name);
      for (const std::string& name : option->get_lnames()) known.insert("--" + name);
    }
  };
  add(app);
  for (const CLI::App* command : app.get_subcommands({})) add(*command);
  for (const std::string& arg : args) {
    if (arg.size() < 2 || arg[0] != '-') continue;
    const std::string name = arg.substr(0, arg.find('='));
    if (known.count(name) == 0) return name;
  }
  return std::string();
}

// CLI11's message, in the tool's words where it has its own.
std::string ParseErrorText(const CLI::ParseError& error) {
  const std::string text = error.what();
  // "--reader: At Most 1 required but received 2": an option that takes one value, given twice.
  const std::string atMost = ": At Most 1 required but received ";
  if (const std::size_t at = text.find(atMost); at != std::string::npos) {
    return text.substr(0, at) + " is given " + text.substr(at + atMost.size()) +
           " times; give it once";
  }
  return text;
}

bool AsksForHelpOrVersion(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    return arg == "-h" || arg == "--help" || arg == "-V" || arg == "--version";
  });
}

int Usage(std::ostream& err, const std::string& text) {
  PrintError(err, text);
  return CLI_EXIT_USAGE;
}

// Runs the command line; the exit status.
int Run(CLI::App& app, CliContext& context, const std::vector<std::string>& args) {
  CommandLine line = SplitCommandLine(app, args);
  if (line.command == HELP_COMMAND) {
    const bool tool = line.rest.empty() || line.rest.front() == HELP_COMMAND;
    CLI::App* topic = tool ? &app : FindCommand(app, line.rest.front());
    if (topic == nullptr) return Usage(context.err, UnknownCommand(app, line.rest.front()));
    context.out << topic->help(topic == &app ? "" : app.get_name());
    return CLI_EXIT_OK;
  }
  if (line.command.empty() && !AsksForHelpOrVersion(line.leading)) {
    if (const std::string unknown = UnknownOption(app, line.leading); !unknown.empty()) {
      return Usage(context.err, "unknown option " + unknown +
                                    "; \"tessaron help\" lists the commands and their options");
    }
    return Usage(context.err, "a command is needed; \"tessaron help\" lists them");
  }
  if (!line.command.empty() && FindCommand(app, line.command) == nullptr) {
    return Usage(context.err, UnknownCommand(app, line.command));
  }
  if (const std::string hint = SimulateWithBlank(args); !hint.empty()) {
    return Usage(context.err, hint);
  }
  // The command first, then every option wherever it stood: the command's own options are
  // known behind it, the tool's (--fast, --quiet) on either side.
  std::vector<std::string> ordered;
  if (!line.command.empty()) ordered.push_back(line.command);
  ordered.insert(ordered.end(), line.leading.begin(), line.leading.end());
  ordered.insert(ordered.end(), line.rest.begin(), line.rest.end());
  std::reverse(ordered.begin(), ordered.end());  // CLI11 takes them last first
  try {
    app.parse(ordered);
  } catch (const CLI::CallForHelp&) {
    context.out << app.help();
    return CLI_EXIT_OK;
  } catch (const CLI::CallForVersion&) {
    context.out << VersionLine() << '\n';
    return CLI_EXIT_OK;
  } catch (const CLI::ParseError& error) {
    const std::string topic = line.command.empty() ? "" : " " + line.command;
    return Usage(context.err, ParseErrorText(error) + " (\"tessaron help" + topic +
                                  "\" shows the usage)");
  }
  return context.exitCode;
}

}  // namespace

int RunCli(int argc, const char* const* argv, const CliEnvironment& environment) {
  CliContext context{environment.out, environment.err, environment.in, environment.timingScale,
                     environment.readers};
  context.errIsTerminal = environment.errIsTerminal;
  context.inClosed = environment.inClosed;
  // From here on a stop signal lets the run end with what it has done and give its ports back.
  const StopSignals stopSignals;
  int code = CLI_EXIT_FAILURE;
  try {
    CLI::App app{"Reads, shows and writes the settings of Tessaron card readers.", "tessaron"};
    // Options begin with "-" on every system: "/path" is a file, also on Windows.
    app.allow_windows_style_options(false);
    UseHelpLayout(app);
    app.footer(TOOL_NOTES);
    app.set_version_flag("-V,--version", VersionLine(),
                         "Print the program's version");
    app.set_help_flag("-h,--help", "Print this help");
    app.require_subcommand(1);
    app.add_flag("--fast", context.fastReplies,
                 "End each exchange with a serial or USB HID reader as soon as its whole reply "
                 "has come, instead of after the fixed pause and silence (the fixed times stay "
                 "the limits)");
    app.add_flag("-q,--quiet", context.quiet,
                 "Print results and failures only: no progress and no notes on standard error");
    // The options above may stand after the command too.
    app.fallthrough();
    for (CommandRegistration registration : COMMANDS) registration(app, context);
    code = Run(app, context, std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  } catch (const std::exception& error) {
    PrintError(context.err, error.what());
    code = CLI_EXIT_FAILURE;
  }
  // Every result must have reached standard output, or the run failed.
  context.out.flush();
  const int outError = environment.finishOut ? environment.finishOut() : 0;
  if (!context.out || outError != 0) {
    PrintError(context.err, std::string("cannot write standard output") +
                                (outError != 0 ? std::string(": ") + std::strerror(outError) : ""));
    return CLI_EXIT_FAILURE;
  }
  // Work that a stop signal left undone: the status says which signal it was.
  if (WorkLeftUndone() && code < CLI_EXIT_SIGNAL_BASE) return CLI_EXIT_SIGNAL_BASE + StopSignal();
  return code;
}

ClosedStandardStreams OpenClosedStandardStreams() {
  ClosedStandardStreams closed;
#ifndef _WIN32
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor: this one, as those below it are open by now.
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
    if (fd == STDIN_FILENO) closed.in = true;
    if (fd == STDOUT_FILENO) closed.out = true;
  }
#endif
  return closed;
}

int RunCliOnStandardStreams(int argc, const char* const* argv, ClosedStandardStreams closed) {
  // Standard output through a buffer that notices a failed write (a full disk, a closed pipe).
  DescriptorOutput output(STDOUT_FILENO, closed.out);
  std::ostream out(&output);
  CliEnvironment environment{out, std::cerr, closed.in ? nullptr : &std::cin};
  environment.inClosed = closed.in;
  environment.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  environment.finishOut = [&output] { return output.Finish(); };
  // The one place where the tool reaches the system's devices and the keyboard controller.
  environment.readers = ReaderEnvironment::System();
  return RunCli(argc, argv, environment);
}

}  // namespace tessaron
