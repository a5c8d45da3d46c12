#!/usr/bin/env bash
# Start-up cost of tessaron-config against a plain Qt 6 Widgets dialog of a dozen buttons:
# the time from process start to the window first painted, and the resident memory then.
#   bench/gui_startup.sh [BUILD_DIR] [RUNS]      (defaults: build, 7)
# Both programs print "shown_ns=<real-time clock> rss_kb=<VmRSS>" right after their first
# paint and exit (tessaron-config-probe is tessaron-config with that probe). The medians of
# RUNS starts are printed with the ratio of tessaron-config to the plain dialog.
# The platform is offscreen unless QT_QPA_PLATFORM says otherwise.
set -euo pipefail

build="${1:-build}"
runs="${2:-7}"
program="$build/bin/tessaron-config-probe"
if [ ! -x "$program" ]; then
  echo "$0: $program not found; build the tessaron-config-probe target first" >&2
  exit 1
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/gui-startup.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The plain dialog, built here with the same compiler flags class as the program.
cat > "$work/plain_dialog.cpp" <<'CPP'
#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

static long Rss() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return 0;
}

class Dialog : public QDialog {
 public:
  Dialog() {
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 12; ++i)
      grid->addWidget(new QPushButton(QStringLiteral("Button %1").arg(i + 1)), i / 3, i % 3);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QDialog::paintEvent(event);
    if (shown_) return;
    shown_ = true;
    QTimer::singleShot(0, [] {
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      std::printf("shown_ns=%lld rss_kb=%ld\n",
                  static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, Rss());
      std::fflush(stdout);
      QCoreApplication::exit(0);
    });
  }

 private:
  bool shown_ = false;
};

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  Dialog dialog;
  dialog.show();
  return application.exec();
}
CPP
# shellcheck disable=SC2046
c++ -std=c++17 -O2 -fPIC "$work/plain_dialog.cpp" -o "$work/plain_dialog" \
  $(pkg-config --cflags --libs Qt6Widgets)

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_CONFIG_HOME="$work/config"   # the program's profile stays out of the user's

# One start: prints "<microseconds to first paint> <rss KiB> [<ms to open the basic sheet>]".
measure() {
  local start output shown rss sheet
  start=$(date +%s%N)
  output=$("$@" 2>/dev/null)
  shown=$(sed -n 's/.*shown_ns=\([0-9]*\).*/\1/p' <<<"$output")
  rss=$(sed -n 's/.*rss_kb=\([0-9]*\).*/\1/p' <<<"$output")
  sheet=$(sed -n 's/.*sheet_ms=\([0-9.]*\).*/\1/p' <<<"$output")
  if [ -z "$shown" ]; then
    echo "$0: no probe output from $1" >&2
    exit 1
  fi
  echo "$(( (shown - start) / 1000 )) $rss $sheet"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The two programs take turns, so that a busy machine weighs on both alike.
"$work/plain_dialog" >/dev/null 2>&1 || true   # warm the file cache once
"$program" --simulate >/dev/null 2>&1 || true
: > "$work/plain.txt"
: > "$work/tessaron.txt"
for ((i = 0; i < runs; ++i)); do
  measure "$work/plain_dialog" >> "$work/plain.txt"
  measure "$program" --simulate >> "$work/tessaron.txt"
done

plain_us=$(awk '{ print $1 }' "$work/plain.txt" | median)
plain_kb=$(awk '{ print $2 }' "$work/plain.txt" | median)
app_us=$(awk '{ print $1 }' "$work/tessaron.txt" | median)
app_kb=$(awk '{ print $2 }' "$work/tessaron.txt" | median)
sheet_ms=$(awk '{ print $3 }' "$work/tessaron.txt" | median)

printf 'platform %s, median of %d starts\n' "$QT_QPA_PLATFORM" "$runs"
printf '%-32s %10s %12s\n' "" "to shown" "resident"
printf '%-32s %7.1f ms %9d KiB\n' "plain Qt dialog (12 buttons)" "$(bc -l <<<"$plain_us/1000")" "$plain_kb"
printf '%-32s %7.1f ms %9d KiB\n' "tessaron-config --simulate" "$(bc -l <<<"$app_us/1000")" "$app_kb"
printf '%-32s %10.2f %12.2f   (target: at most 1.50 on both)\n' "ratio" \
  "$(bc -l <<<"$app_us/$plain_us")" "$(bc -l <<<"$app_kb/$plain_kb")"
printf '%-32s %7.1f ms   (target: under 50 ms)\n' "basic sheet, first opening" "$sheet_ms"
