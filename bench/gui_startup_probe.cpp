// tessaron-config as the start-up benchmark runs it: the same program, which prints the time
// of its first showing (nanoseconds of the real-time clock) and its resident memory then,
// and ends at once.

#include <QCoreApplication>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  tessaron::UtilityAppHooks hooks;
  hooks.firstShown = [] {
    std::printf("shown_ns=%lld rss_kb=%ld\n", RealTimeNanoseconds(), ResidentKilobytes());
    std::fflush(stdout);
    QCoreApplication::exit(0);
  };
  return tessaron::RunUtilityApp(argc, argv, hooks);
}
