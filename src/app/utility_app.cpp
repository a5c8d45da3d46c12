#include "app/utility_app.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/device_monitor.h"
#include "app/main_window.h"
#include "app/ui_services.h"
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

  // Ends the run by handing the keyboard back, then stops the simulated reader.
  ReaderSession session(std::move(readers));
  std::string simulateError;
  if (options.simulate && !session.Simulate({options.simulatedLine}, &simulateError)) {
    std::fprintf(stderr, "tessaron-config: %s\n", simulateError.c_str());
    return 1;
  }

  int exitCode = 0;
  {
    DesktopUiServices ui;
    MainWindow window(session, ui);
    QObject::connect(&window, &MainWindow::exitRequested, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    DeviceMonitor monitor;
    QObject::connect(&monitor, &DeviceMonitor::devicesChanged, &window,
                     &MainWindow::NotifyDevicesChanged);
    // Nothing slow happens before the window is first on the screen.
    new FirstPaintWatcher(&window, [&monitor] { monitor.Start(); });
    window.show();
    if (options.reader.type != InterfaceType::Unknown) window.ConnectAtStartUp(options.reader);
    exitCode = application.exec();
  }  // the main window remembers the interface and device index as it goes
  return exitCode;
}

}  // namespace tessaron
