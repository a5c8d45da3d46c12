#!/usr/bin/env bash
# Times the serial, USB HID and PS/2 keyboard lines with their real time constants against
# the simulated reader (about 11 s) and prints one table per line with PASS or MISS per
# target. Builds the line_timing program first when it is missing or out of date.
#   scripts/bench-lines.sh [--line serial|hid|keyboard]...
# The build folder is build/ (BUILD=DIR picks another). Exit status: that of line_timing
# (0 every target met, 2 a target missed, 1 a line could not be set up).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-build}"
case "$build" in
  /*) ;;
  *) build="$root/$build" ;;
esac

cache="$build/CMakeCache.txt"
if [ ! -f "$cache" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
elif grep -q '^TESSARON_BUILD_BENCH:BOOL=OFF$' "$cache"; then
  # A build folder made without the benchmarks has no line_timing target.
  cmake -S "$root" -B "$build" -DTESSARON_BUILD_BENCH=ON
fi
cmake --build "$build" --target line_timing -j "$(nproc)"

exec "$build/bin/line_timing" "$@"
