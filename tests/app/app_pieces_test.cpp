// The small windows and helpers of the program, and the program itself: the message
// window, the command line, the help files, and tessaron-config started with a demo reader.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "app/help_files.h"
#include "app/message_window.h"
#include "app/utility_app.h"
#include "app_test_support.h"
#include "support/program_folder.h"
#include "sim/pty_server.h"
#include "sim/simulated_reader.h"

using namespace tessaron;
using namespace tessaron::test;

namespace {

QString BinDir() { return QString::fromLocal8Bit(tessaron::test_support::ProgramFolder().c_str()); }

}  // namespace

class AppPiecesTest : public QObject {
  Q_OBJECT

 private slots:
  void shortMessagesSitLower_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("drop");
    QTest::newRow("one character") << 1 << 10;
    QTest::newRow("59 characters") << 59 << 10;
    QTest::newRow("60 characters") << 60 << 0;
    QTest::newRow("200 characters") << 200 << 0;
  }

  void shortMessagesSitLower() {
    QFETCH(int, length);
    QFETCH(int, drop);
    MessageWindow window(QString(length, QLatin1Char('x')));
    QCOMPARE(window.TextDrop(), drop);
    QCOMPARE(window.Text().size(), length);
  }

  void messageWindowClosesOnOkAndByItselfAfterItsLifetime() {
    {
      MessageWindow window(QStringLiteral("Load configuration from file successfully."));
      window.open();
      QVERIFY(window.IsTimerRunning());
      window.OkButton()->click();
      QVERIFY(!window.isVisible());
      QCOMPARE(window.result(), int(QDialog::Accepted));
    }
    // The program's own messages stay ten seconds; a shorter lifetime is kept to the same
    // precision.
    QCOMPARE(MessageWindow(QStringLiteral("real")).LifetimeMs(), 10000);
    MessageWindow window(QStringLiteral("nobody answers"), nullptr, 400);
    window.open();
    QTest::qWait(380);
    QVERIFY(window.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 2000);
  }

  void messageWindowShowsTextsAsTheyAre() {
    // Outcome texts are plain text: markup characters and line breaks stay as typed.
    MessageWindow window(QStringLiteral("<b>a</b>\nb"));
    QCOMPARE(window.Text(), QStringLiteral("<b>a</b>\nb"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("messageText"))->textFormat(), Qt::PlainText);
  }

  void commandLineOptions() {
    StartupOptions options;
    QString error;
    QVERIFY(ParseStartupOptions({}, &options, &error));
    QVERIFY(!options.simulate);

    QVERIFY(ParseStartupOptions({QStringLiteral("--simulate")}, &options, &error));
    QVERIFY(options.simulate);
    QCOMPARE(options.simulatedLine, sim::SimulatedLineKind::UsbHid);

    QVERIFY(ParseStartupOptions({QStringLiteral("--simulate=USB-HID-KB")}, &options, &error));
    QCOMPARE(options.simulatedLine, sim::SimulatedLineKind::UsbHidKb);
    QVERIFY(ParseStartupOptions({QStringLiteral("--simulate=ps2")}, &options, &error));
    QCOMPARE(options.simulatedLine, sim::SimulatedLineKind::Ps2);

    options = StartupOptions();
    QVERIFY(!ParseStartupOptions({QStringLiteral("--simulate=usb")}, &options, &error));
    QVERIFY(error.contains(QStringLiteral("usb")));
    QVERIFY(!options.simulate);  // untouched on error
    QVERIFY(!ParseStartupOptions({QStringLiteral("--simulate=")}, &options, &error));
    QVERIFY(!ParseStartupOptions({QStringLiteral("--verbose")}, &options, &error));
    QVERIFY(ParseStartupOptions({QStringLiteral("-h")}, &options, &error));
    QVERIFY(options.showHelp);

    // The reader named as on the command-line tool.
    const struct {
      QStringList arguments;
      InterfaceType type;
      DeviceIndex index;
      const char* path;
    } readers[] = {
        {{"--reader", "/dev/pts/7"}, InterfaceType::Rs232, -1, "/dev/pts/7"},
        {{"-r", "usb-hid:2"}, InterfaceType::UsbHid, 2, ""},
        {{"--reader=ps2:0", "--simulate"}, InterfaceType::Ps2Keyboard, 0, ""},
    };
    for (const auto& reader : readers) {
      options = StartupOptions();
      QVERIFY(ParseStartupOptions(reader.arguments, &options, &error));
      QCOMPARE(options.reader.type, reader.type);
      QCOMPARE(options.reader.index, reader.index);
      QCOMPARE(options.reader.path, std::string(reader.path));
    }
    for (const QStringList& wrong : {QStringList{"--reader"}, QStringList{"-r", "usb:0"},
                                     QStringList{"--reader=ps2:1"}}) {
      QVERIFY(!ParseStartupOptions(wrong, &options, &error));
      QVERIFY(!error.isEmpty());
    }
  }

  void documentsAreFoundInTheFirstFolderThatHasThem() {
    QTemporaryDir first;
    QTemporaryDir second;
    QFile howTo(second.filePath(QString::fromLatin1(HOW_TO_USE_FILE_NAME)));
    QVERIFY(howTo.open(QIODevice::WriteOnly));
    howTo.close();
    const QStringList folders{first.path(), second.path()};
    QCOMPARE(FindProgramDocument(QString::fromLatin1(HOW_TO_USE_FILE_NAME), folders),
             QFileInfo(howTo).absoluteFilePath());
    QVERIFY(FindProgramDocument(QString::fromLatin1(HELP_FILE_NAME), folders).isEmpty());
    QVERIFY(HelpTopicUrl(HELP_CONTEXT_OUTPUT_FORMAT, folders).isEmpty());

    // A folder holding a directory of that name does not count.
    QVERIFY(QDir(first.path()).mkdir(QString::fromLatin1(HELP_FILE_NAME)));
    QVERIFY(FindProgramDocument(QString::fromLatin1(HELP_FILE_NAME), folders).isEmpty());
  }

  void theHelpPageHasATopicForEveryContext() {
    const QStringList folders{BinDir()};
    QFile help(FindProgramDocument(QString::fromLatin1(HELP_FILE_NAME), folders));
    QVERIFY2(help.open(QIODevice::ReadOnly), "the help page is copied beside the programs");
    const QString page = QString::fromUtf8(help.readAll());
    for (int context = HELP_CONTEXT_MAIN; context <= HELP_CONTEXT_KEYBOARD_SETTINGS; ++context) {
      QVERIFY2(page.contains(QStringLiteral("id=\"%1\"").arg(HelpAnchor(context))),
               qPrintable(HelpAnchor(context)));
    }
    const QUrl url = HelpTopicUrl(HELP_CONTEXT_DATA_EDITING, folders);
    QCOMPARE(url.fragment(), QStringLiteral("context-4006"));
    QVERIFY(url.isLocalFile());
  }

  void theProgramStartsWithADemoReaderAndShowsItsWindow() {
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    program.setProcessEnvironment(environment);
    // The start-up benchmark's build of the program says when its window was first painted.
    const QString probe = BinDir() + QStringLiteral("/tessaron-config-probe");
    if (QFileInfo::exists(probe)) {
      program.start(probe, {QStringLiteral("--simulate")});
      QVERIFY(program.waitForFinished(30000));
      QCOMPARE(program.exitCode(), 0);
      QVERIFY(QString::fromLatin1(program.readAllStandardOutput())
                  .startsWith(QStringLiteral("shown_ns=")));
    }

    program.start(BinDir() + QStringLiteral("/tessaron-config"),
                  {QStringLiteral("--simulate=usb")});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardError().contains("unknown line"));

    // Help and version need no display: no platform at all, as on a headless till.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(environment);
    for (const char* option : {"--help", "--version"}) {
      program.start(BinDir() + QStringLiteral("/tessaron-config"), {QString::fromLatin1(option)});
      QVERIFY(program.waitForFinished(30000));
      QCOMPARE(program.exitCode(), 0);
      QVERIFY(!program.readAllStandardOutput().isEmpty());
    }
  }

  // SIGTERM while the program reads a reader on a serial line (its pseudo-terminal held in
  // exclusive use): the run ends as EXIT ends it, the profile written and the port given
  // back, so that the next program can use it, also as an account that exclusive use refuses.
  void aStopSignalEndsTheRunAsExitDoes() {
    // The signal comes while the reader holds back its reply to the first frame; the program
    // ends its exchanges on a whole reply, as its profile says.
    std::atomic<qint64> pid{0};
    sim::SimulatedReader reader;
    sim::PtyServerOptions options;
    options.beforeReply = [&pid, signalled = false](const ByteString&) mutable {
      for (int tries = 0; tries < 5000 && pid == 0; ++tries) QThread::msleep(1);
      if (!signalled && pid != 0) signalled = ::kill(static_cast<pid_t>(pid), SIGTERM) == 0;
    };
    sim::PtyServer server(reader, options);
    QVERIFY(server.Start());
    const QString path = QString::fromStdString(server.Path());
    QTemporaryDir home;
    const QString profilePath = home.filePath(QStringLiteral("Kaldor/Tessaron Configuration Utility.conf"));
    QSettings(profilePath, QSettings::IniFormat).setValue(QStringLiteral("Settings/FastReplies"), true);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    program.setProcessEnvironment(environment);
    program.start(BinDir() + QStringLiteral("/tessaron-config"), {QStringLiteral("--reader"), path});
    QVERIFY(program.waitForStarted());
    pid = program.processId();
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);  // ended by the signal, after the run
    QCOMPARE(reader.CommandCount(), std::size_t(1));
    QSettings profile(profilePath, QSettings::IniFormat);
    QCOMPARE(profile.value(QStringLiteral("Settings/InterfaceType")).toInt(), 1);

    QStringList nextRun{BinDir() + QStringLiteral("/tessaron"), QStringLiteral("--fast"),
                        QStringLiteral("version"), QStringLiteral("-r"),
                        path};
    if (::geteuid() == 0) {
      QCOMPARE(::chmod(server.Path().c_str(), 0666), 0);
      nextRun = QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                            QStringLiteral("--clear-groups")} + nextRun;
      nextRun.prepend(QStringLiteral("setpriv"));
    }
    program.start(nextRun.takeFirst(), nextRun);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardOutput(), QByteArray("V1.90\n"));
  }
};

QTEST_MAIN(AppPiecesTest)
#include "app_pieces_test.moc"
