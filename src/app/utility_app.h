#pragma once
// Start-up and exit of tessaron-config: the command line, the profile names, the demo
// reader, the main window for the whole run, the device monitor, and the clean-up at exit.

#include <QString>
#include <QStringList>
#include <functional>

#include "flows/reader_connection.h"
#include "sim/simulated_line.h"

namespace tessaron {

struct StartupOptions {
  bool showHelp = false;
  // --simulate[=LINE]: one simulated reader on that line joins the present devices.
  bool simulate = false;
  sim::SimulatedLineKind simulatedLine = sim::DEFAULT_SIMULATED_LINE;
  // --reader CONNECTION: the reader to connect to at start-up, as a choice on the interface
  // selection page would (type INTERFACE_UNKNOWN: none given).
  ReaderConnection reader;
};

// Usage text of the command line.
QString StartupUsage();

// Reads the program's own arguments (without the program name; Qt's options already
// taken out). False with a reason for an unknown option or line name.
bool ParseStartupOptions(const QStringList& arguments, StartupOptions* options, QString* error);

// What a caller other than the program itself may add to a run: the start-up benchmark is
// told when the main window has been painted for the first time (and usually ends the run).
class MainWindow;
struct UtilityAppHooks {
  std::function<void(MainWindow& window)> firstShown;
};

// The whole run; the result is the exit code.
int RunUtilityApp(int argc, char** argv, const UtilityAppHooks& hooks = {});

}  // namespace tessaron
