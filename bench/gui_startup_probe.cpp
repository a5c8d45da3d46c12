// tessaron-config as the start-up benchmark runs it: the same program, watched from outside
// by an event filter that prints the time of its first showing (nanoseconds of the real-time clock) and its resident memory then,
// then how long the basic sheet takes to open the first time (its five pages built, filled
// from the record and shown; no reader is asked), and ends.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "app/basic_sheet.h"
#include "app/main_window.h"
#include "app/utility_app.h"

namespace {

// Resident memory of this process in KiB, from /proc; 0 when unknown.
long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

long long RealTimeNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Watches the whole program for the first paint of its main window, then measures and ends
// the run; the program itself is run unchanged.
class FirstShownProbe : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (done_ || event->type() != QEvent::Paint) return false;
    auto* window = qobject_cast<tessaron::MainWindow*>(watched);
    if (window == nullptr) return false;
    done_ = true;
    QTimer::singleShot(0, this, [window] { Measure(*window); });
    return false;
  }

 private:
  static void Measure(tessaron::MainWindow& window) {
    const long long shown = RealTimeNanoseconds();
    const long rss = ResidentKilobytes();
    QElapsedTimer clock;
    clock.start();
    {
      tessaron::BasicSheet sheet(window.State(), window.Ui(), &window);
      sheet.Refresh();
      sheet.setGeometry(window.ChildArea());
      sheet.show();
      QCoreApplication::processEvents();
      sheet.repaint();
    }
    const double sheetMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("shown_ns=%lld rss_kb=%ld sheet_ms=%.2f\n", shown, rss, sheetMs);
    std::fflush(stdout);
    QCoreApplication::exit(0);
  }

  bool done_ = false;
};

void InstallProbe() { QCoreApplication::instance()->installEventFilter(new FirstShownProbe); }
Q_COREAPP_STARTUP_FUNCTION(InstallProbe)

}  // namespace

int main(int argc, char** argv) {
  return tessaron::RunUtilityApp(argc, argv, tessaron::ReaderEnvironment::System());
}
