#pragma once
// Start-up and exit of tessaron-config: the command line, the profile names, the demo
// reader, the main window for the whole run, the device monitor, and the clean-up at exit.

#include <QString>
#include <QStringList>

#include "flows/reader_connection.h"
#include "sim/simulated_line.h"
#include "transport/reader_environment.h"

namespace tessaron {

struct StartupOptions {
  bool showHelp = false;
  // --simulate[=LINE]: one simulated reader on that line joins the present devices.
  bool simulate = false;
  sim::SimulatedLineKind simulatedLine = sim::DEFAULT_SIMULATED_LINE;
  // --reader CONNECTION: the reader to connect to at start-up, as a choice on the interface
  // selection page would (type InterfaceType::Unknown: none given).
  ReaderConnection reader;
};

// Usage text of the command line.
QString StartupUsage();

// Reads the program's own arguments (without the program name; Qt's options already
// taken out). False with a reason for an unknown option or line name.
bool ParseStartupOptions(const QStringList& arguments, StartupOptions* options, QString* error);

// The whole run with the readers reached through readers (the program gives the system's);
// the result is the exit code.
int RunUtilityApp(int argc, char** argv, ReaderEnvironment readers);

}  // namespace tessaron
