#include "app/utility_app.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/device_monitor.h"
#include "app/main_window.h"
#include "app/profile.h"
#include "app/responsive_port.h"
#include "app/stop_signal_watch.h"
#include "app/ui_services.h"
#include "controls/keyboard_access.h"
#include "core/settings_report.h"
#include "flows/reader_session.h"

namespace tessaron {

namespace {

// Runs an action once, after the watched window has painted for the first time.
class FirstPaintWatcher : public QObject {
 public:
  FirstPaintWatcher(QWidget* window, std::function<void()> action)
      : QObject(window), action_(std::move(action)) {
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && action_) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [action = std::move(action_)] { action(); });
      action_ = nullptr;
    }
    return false;
  }

 private:
  std::function<void()> action_;
};

// How often a stop asked for by a signal looks again whether the run is at rest.
constexpr int STOP_RETRY_MS = 50;

// Ends the run as "EXIT" does once it is at rest: the reader work under way ends first (its
// waits are cut short), and a window that a step waits on is closed, as is any other modal
// window, since the user is not there to answer it.
void StopWhenAtRest(MainWindow& window, BusyWindows& busy) {
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->done(QDialog::Rejected);
    } else {
      modal->close();
    }
  }
  if (busy.Active() || QThread::currentThread()->loopLevel() > 1) {
    QTimer::singleShot(STOP_RETRY_MS, &window, [&window, &busy] { StopWhenAtRest(window, busy); });
    return;
  }
  window.Exit();
}

// The line names, the default one marked.
QString LineNamesWithDefault() {
  const QString names = QString::fromStdString(LineNamesText());
  const QString line = QString::fromLatin1(sim::SimulatedLineName(sim::DEFAULT_SIMULATED_LINE));
  return QString(names).replace(line + QStringLiteral(", "), line + QStringLiteral(" (the default), "));
}

}  // namespace

QString StartupUsage() {
  return QStringLiteral(
      "Usage: tessaron-config [--simulate[=LINE]] [--reader CONNECTION]\n"
      "\n"
      "  --simulate[=LINE]         add one simulated reader on LINE to the present devices:\n"
      "                            %1\n"
      "  -r, --reader CONNECTION   connect to this reader at start-up: a serial device path\n"
      "                            (/dev/ttyUSB0, used as RS232), NAME:PATH or NAME:INDEX\n"
      "                            with NAME %2\n"
      "  -h, --help                show this text\n"
      "  --version                 show the program's version\n")
      .arg(LineNamesWithDefault(), QString::fromStdString(LineNamesText()));
}

bool ParseStartupOptions(const QStringList& arguments, StartupOptions* options, QString* error) {
  StartupOptions parsed;
  const auto readConnection = [&](const QString& text) {
    std::string why;
    if (ParseReaderConnection(text.toStdString(), &parsed.reader, &why)) return true;
    if (error != nullptr) *error = QStringLiteral("--reader: %1").arg(QString::fromStdString(why));
    return false;
  };
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("-r") || argument == QLatin1String("--reader")) {
      if (i + 1 >= arguments.size()) {
        if (error != nullptr) *error = QStringLiteral("%1 needs a CONNECTION").arg(argument);
        return false;
      }
      if (!readConnection(arguments[++i])) return false;
    } else if (argument.startsWith(QLatin1String("--reader="))) {
      if (!readConnection(argument.mid(9))) return false;
    } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
      parsed.showHelp = true;
    } else if (argument == QLatin1String("--simulate")) {
      parsed.simulate = true;
      parsed.simulatedLine = sim::DEFAULT_SIMULATED_LINE;
    } else if (argument.startsWith(QLatin1String("--simulate="))) {
      const QByteArray name = argument.mid(11).toUtf8();
      sim::SimulatedLineKind kind = sim::DEFAULT_SIMULATED_LINE;
      if (!sim::ParseSimulatedLine(std::string_view(name.constData(), name.size()), &kind)) {
        if (error != nullptr) {
          *error = QStringLiteral("unknown line \"%1\" (use %2)")
                       .arg(QString::fromUtf8(name), QString::fromStdString(LineNamesText()));
        }
        return false;
      }
      parsed.simulate = true;
      parsed.simulatedLine = kind;
    } else {
      if (error != nullptr) *error = QStringLiteral("unknown option \"%1\"").arg(argument);
      return false;
    }
  }
  if (options != nullptr) *options = parsed;
  return true;
}

int RunUtilityApp(int argc, char** argv, ReaderEnvironment readers) {
  // Help and version are answered before the window system is asked for, so that they work
  // without a display (on a terminal of a headless till, or when manual pages are made).
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument(argv[i]);
    if (argument == "-h" || argument == "--help") {
      std::fputs(StartupUsage().toLocal8Bit().constData(), stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("%s %s\n", SOFTWARE_NAME, SOFTWARE_VERSION);
      return 0;
    }
  }
  QApplication application(argc, argv);
  QCoreApplication::setOrganizationName(QString::fromLatin1(PROFILE_ORGANISATION));
  QCoreApplication::setApplicationName(QString::fromLatin1(PROFILE_APPLICATION));

  QStringList arguments = QCoreApplication::arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();
  StartupOptions options;
  QString error;
  if (!ParseStartupOptions(arguments, &options, &error)) {
    std::fprintf(stderr, "tessaron-config: %s\n%s", error.toLocal8Bit().constData(),
                 StartupUsage().toLocal8Bit().constData());
    return 2;
  }
  if (options.showHelp) {
    std::fputs(StartupUsage().toLocal8Bit().constData(), stdout);
    return 0;
  }

  // A signal from now on ends the run as "EXIT" does.
  StopSignalWatch stopSignals;
  EnterPressesButtons enterKeys;
  // The services outlive the session, whose ports and messages use them.
  DesktopUiServices ui;
  int exitCode = 0;
  {
    // Ends the run by handing the keyboard back, then stops the simulated reader.
    ReaderSession session(ReadersForWindows(std::move(readers), ui));
    std::string simulateError;
    if (options.simulate && !session.Simulate({options.simulatedLine}, &simulateError)) {
      std::fprintf(stderr, "tessaron-config: %s\n", simulateError.c_str());
      return 1;
    }

    MainWindow window(session, ui);
    QObject::connect(&window, &MainWindow::exitRequested, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&stopSignals, &StopSignalWatch::stopRequested, &window, [&window, &ui] {
      ui.Busy().Stop();
      StopWhenAtRest(window, ui.Busy());
    });
    DeviceMonitor monitor;
    QObject::connect(&monitor, &DeviceMonitor::devicesChanged, &window,
                     &MainWindow::NotifyDevicesChanged);
    // Nothing slow happens before the window is first on the screen.
    new FirstPaintWatcher(&window, [&monitor] { monitor.Start(); });
    window.show();
    if (options.reader.type != InterfaceType::Unknown) window.ConnectAtStartUp(options.reader);
    exitCode = application.exec();
  }  // the main window remembers the interface and device index as it goes
  // A run that a signal ended ends by that signal, now that every port has been given back.
  if (const int signalNumber = stopSignals.Signal()) StopSignalWatch::EndBySignal(signalNumber);
  return exitCode;
}

}  // namespace tessaron
