#!/usr/bin/env bash
# Draws the windows of tessaron-config with a simulated reader into PNG files, at the
# desktop font sizes 9, 10, 11, 12 and 14 pt (BUILD_DIR/screenshots/<size>pt) and at the
# scale factors 1.5 and 2 with 10 pt (BUILD_DIR/screenshots/scale-<factor>).
#   scripts/screenshots.sh [BUILD_DIR]      (default: build)
# Runs under xvfb-run when it is installed, otherwise on Qt's offscreen platform.
set -euo pipefail

build="${1:-build}"
cmake --build "$build" --target tessaron-screenshots
out="$build/screenshots"
rm -rf "$out"
mkdir -p "$out"

draw() {
  if command -v xvfb-run >/dev/null 2>&1 && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 2560x2048x24" "$build/bin/tessaron-screenshots" "$@"
  else
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$build/bin/tessaron-screenshots" "$@"
  fi
}

draw "$out" 9 10 11 12 14
for factor in 1.5 2; do
  QT_SCALE_FACTOR=$factor draw "$out/scale-$factor" 10
done
