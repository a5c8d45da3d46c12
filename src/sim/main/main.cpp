// tessaron-sim: serves a simulated reader on the serial line through a pseudo-terminal.
// The first line of standard output is the terminal's path; the reader answers until the
// program receives SIGINT or SIGTERM.

#include <csignal>
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp>

#include "core/command_frame.h"
#include "core/config_file.h"
#include "core/reader_settings.h"
#include "core/settings_codec.h"
#include "sim/pty_server.h"
#include "sim/simulated_reader.h"

namespace {

using tessaron::Byte;
using tessaron::ByteString;

// Reads a configuration file into the stream the reader keeps; prints why when it cannot.
bool LoadStoredSettings(const std::string& path, ByteString* stream) {
  tessaron::ReaderSettings settings;
  const tessaron::ConfigFileStatus status = tessaron::LoadConfigFileStatus(settings, path);
  if (status != tessaron::ConfigFileStatus::Ok) {
    // A settings file in JSON is named as such, with the command that makes it a
    // configuration file.
    const bool json = status == tessaron::ConfigFileStatus::SettingsJson;
    std::fprintf(stderr, "tessaron-sim: cannot load settings from %s: %s%s%s%s\n", path.c_str(),
                 tessaron::ConfigFileStatusText(status),
                 json ? "; \"tessaron import " : "", json ? path.c_str() : "",
                 json ? " --file FILE.cfs2\" makes one of it" : "");
    return false;
  }
  Byte buffer[tessaron::SETTINGS_BUFFER_SIZE] = {};
  std::uint32_t length = sizeof(buffer);
  if (!tessaron::EncodeSettings(settings, buffer, &length)) {
    std::fprintf(stderr, "tessaron-sim: the settings in %s do not fit a settings stream\n",
                 path.c_str());
    return false;
  }
  stream->assign(buffer, buffer + length);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Simulated Tessaron card reader on a pseudo-terminal.\n"
               "Prints the terminal's path on the first line, then answers until SIGINT or "
               "SIGTERM."};
  tessaron::sim::SimulatedReaderConfig config;
  std::string settingsPath;
  app.add_option("--firmware", config.firmware, "Firmware version text the reader reports")
      ->capture_default_str();
  app.add_option("--settings", settingsPath, "Configuration file (.cfs2) to start with");
  app.add_flag("--reject-unknown", config.rejectUnknown,
               "Answer 0x16 to commands and FuncIDs the reader does not know");
  app.add_flag("--silent", config.silent, "Never answer anything");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    // A wrong command line is exit status 2, as for the tool.
    std::fprintf(stderr, "tessaron-sim: %s (\"tessaron-sim --help\" shows the usage)\n",
                 error.what());
    return 2;
  }

  tessaron::sim::SimulatedReader reader(config);
  if (!settingsPath.empty()) {
    ByteString stream;
    if (!LoadStoredSettings(settingsPath, &stream)) return 1;
    if (!reader.SetSettingsStream(stream)) {
      std::fprintf(stderr, "tessaron-sim: the settings in %s are not a usable settings stream\n",
                   settingsPath.c_str());
      return 1;
    }
  }

  // The signals are taken by sigwait below; the serving thread inherits the blocked mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  tessaron::sim::PtyServer server(reader);
  if (!server.Start()) {
    std::fprintf(stderr, "tessaron-sim: cannot open a pseudo-terminal\n");
    return 1;
  }
  std::printf("%s\n", server.Path().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&signals, &received);
  server.Stop();
  return 0;
}
