#include "cli/cli_help.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <sstream>
#include <vector>

namespace tessaron {

namespace {

// Where a command's description starts in the list of commands.
constexpr std::size_t COMMAND_COLUMN = 14;
// How far an option's description is indented under its names.
const std::string DESCRIPTION_INDENT(6, ' ');

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// "-r, --reader CONNECTION", "NAME=VALUE...".
std::string OptionHeading(const CLI::Option* option) {
  if (option->get_positional()) {
    const bool many = option->get_items_expected_max() >= CLI::detail::expected_max_vector_size;
    return option->get_name() + (many ? "..." : "");
  }
  std::string names;
  for (const std::string& name : option->get_snames()) names += (names.empty() ? "-" : ", -") + name;
  for (const std::string& name : option->get_lnames()) names += (names.empty() ? "--" : ", --") + name;
  // A value from a fixed set is shown as the set itself ("--interface {rs232,usb-hid}"): the
  // reader of the help, and the shell's completion, see every word it takes.
  const std::string full = option->get_type_name();
  const std::size_t set = full.find(":{");
  if (set != std::string::npos && full.back() == '}') return names + " " + full.substr(set + 1);
  if (!option->get_option_text().empty()) return names + option->get_option_text();
  if (option->get_expected_max() == 0) return names;
  // The type name without the checks that CLI11 adds to it ("N:INT in [1 - 64]").
  std::string type = option->get_type_name();
  type = type.substr(0, type.find(':'));
  return names + " " + type;
}

class HelpLayout : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode /*mode*/) const override {
    const auto positionals =
        app->get_options([](const CLI::Option* option) { return option->get_positional(); });
    const auto options =
        app->get_options([](const CLI::Option* option) { return option->nonpositional(); });
    const auto commands = app->get_subcommands([](const CLI::App* command) {
      return !command->get_disabled() && !command->get_name().empty();
    });

    std::string usage = "Usage: " + name;
    if (!commands.empty()) usage += " COMMAND";
    for (const CLI::Option* option : positionals) {
      const std::string heading = OptionHeading(option);
      usage += " " + (option->get_required() ? heading : "[" + heading + "]");
    }
    if (!options.empty()) usage += " [OPTIONS]";
    std::string text = WrapText(usage, "", "       ") + "\n";
    text += WrapText(app->get_description(), "", "");

    if (!positionals.empty()) text += "\nArguments:\n";
    for (const CLI::Option* option : positionals) text += Entry(option);
    if (!options.empty()) text += "\nOptions:\n";
    for (const CLI::Option* option : options) text += Entry(option);
    if (!commands.empty()) text += "\nCommands:\n";
    for (const CLI::App* command : commands) {
      std::string first = "  " + command->get_name();
      first.resize(std::max(first.size() + 1, COMMAND_COLUMN), ' ');
      text += WrapText(command->get_description(), first, std::string(COMMAND_COLUMN, ' '));
    }
    if (!app->get_footer().empty()) text += "\n" + WrapText(app->get_footer(), "", "");
    return text;
  }

 private:
  static std::string Entry(const CLI::Option* option) {
    return WrapText(OptionHeading(option), "  ", "    ") +
           WrapText(option->get_description(), DESCRIPTION_INDENT, DESCRIPTION_INDENT);
  }
};

}  // namespace

std::string WrapText(const std::string& text, const std::string& first, const std::string& rest,
                     std::size_t width) {
  std::string wrapped;
  const std::string* prefix = &first;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line.front() == ' ') {
      wrapped += line + "\n";
      continue;
    }
    std::string current = *prefix;
    bool empty = true;
    std::istringstream words(line);
    for (std::string word; words >> word;) {
      if (!empty && current.size() + 1 + word.size() > width) {
        wrapped += current + "\n";
        current = rest;
        empty = true;
      }
      current += (empty ? "" : " ") + word;
      empty = false;
    }
    wrapped += current + "\n";
    prefix = &rest;
  }
  return wrapped;
}

void UseHelpLayout(CLI::App& app) { app.formatter(std::make_shared<HelpLayout>()); }

std::string ExitStatusOfWrites(const char* allFlag) {
  return std::string("Exit status: 0 done, 1 failed (one line on standard error says why), 2 "
                     "wrong usage or a file that is no settings file, 3 with --check when "
                     "something would change, 128 + the signal's number (130 for Ctrl-C, 143 for "
                     "SIGTERM) when a signal stopped the command with work undone") +
         (allFlag != nullptr ? std::string(" (with ") + allFlag + ": readers not done)" : "") + ".";
}

void SetCommandNotes(CLI::App* command, const std::string& details,
                     std::initializer_list<const char*> examples, const std::string& statuses) {
  std::string footer = details.empty() ? std::string() : details + "\n\n";
  footer += examples.size() == 1 ? "Example:\n" : "Examples:\n";
  for (const char* example : examples) footer += std::string("  ") + example + "\n";
  command->footer(footer + "\n" + statuses);
}

}  // namespace tessaron
