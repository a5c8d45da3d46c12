#include "cli/reader_options.h"

#include <CLI/CLI.hpp>

#include "cli/cli_output.h"
#include "flows/reader_connection.h"
#include "flows/reader_session.h"
#include "transport/reader_environment.h"

namespace tessaron {

namespace {

std::string ReaderHelp() {
  return std::string() +
         "Reader to use: a connection as \"tessaron list\" shows it (usb-hid:0, rs232:1, ps2:0), "
         "NAME:PATH with NAME " + LineNamesText(true) + " and PATH a tty or hidraw node, or a "
         "serial device path (" + SerialPortExample() + ", used as RS232). Without it the one "
         "USB reader present is used (or the one simulated reader)";
}

std::string SimulateHelp() {
  return "Work with the built-in simulated reader alone: none of the machine's readers is "
         "listed or used. --simulate=LINE picks its line: " +
         LineNamesText() + " (plain --simulate: " +
         sim::SimulatedLineName(sim::DEFAULT_SIMULATED_LINE) +
         "); LINE:COUNT adds several (usb-hid:3; COUNT 1 to " +
         std::to_string(MAX_SIMULATED_READERS) + "), and the option may be given more than once";
}

std::string ConnectionError(const std::string& text) {
  std::string error;
  return ParseReaderConnection(text, nullptr, &error) ? std::string() : error;
}

// --- command-line options shared by the commands ---

void AddReaderOption(CLI::App* command, std::string* reader) {
  command->add_option("-r,--reader", *reader, ReaderHelp())
      ->type_name("CONNECTION")
      ->check(ConnectionValidator());
}

}  // namespace

CLI::Validator ConnectionValidator() {
  return CLI::Validator([](std::string& text) { return ConnectionError(text); }, "", "");
}

bool OptionsUsable(const std::string& reader, const std::vector<std::string>& simulate,
                   std::ostream& err) {
  if (!reader.empty()) {
    const std::string error = ConnectionError(reader);
    if (!error.empty()) {
      PrintError(err, error);
      return false;
    }
  }
  std::string error;
  if (!ParseSimulateRequests(simulate, nullptr, &error)) {
    PrintError(err, "--simulate: " + error);
    return false;
  }
  return true;
}

void AddSimulateOption(CLI::App* command, std::vector<std::string>* lines) {
  command->add_flag("--simulate{" + std::string(sim::SimulatedLineName(sim::DEFAULT_SIMULATED_LINE)) +
                        "}",
                    *lines, SimulateHelp())
      ->option_text("[=LINE[:COUNT]]")
      ->check(CLI::Validator(
          [](std::string& request) {
            std::string error;
            return ParseSimulateRequests({request}, nullptr, &error) ? std::string() : error;
          },
          "", ""));
}

void AddCheckFlag(CLI::App* command, bool* check) {
  command->add_flag("--check", *check,
                    "Only say what would change; nothing is written (exit 0 when nothing "
                    "would, 3 when something would)");
}

std::shared_ptr<OnlineOptions> AddOnlineOptions(CLI::App* command) {
  auto options = std::make_shared<OnlineOptions>();
  AddReaderOption(command, &options->reader);
  AddSimulateOption(command, &options->simulate);
  return options;
}

}  // namespace tessaron
