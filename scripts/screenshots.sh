#!/usr/bin/env bash
# Draws the windows of tessaron-config with a simulated reader into PNG files:
#   scripts/screenshots.sh [BUILD_DIR]      (default: build)
# The pictures land in BUILD_DIR/screenshots. Runs under xvfb-run when it is installed,
# otherwise on Qt's offscreen platform.
set -euo pipefail

build="${1:-build}"
cmake --build "$build" --target tessaron-screenshots
out="$build/screenshots"
mkdir -p "$out"

if command -v xvfb-run >/dev/null 2>&1 && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/tessaron-screenshots" "$out"
else
  QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$build/bin/tessaron-screenshots" "$out"
fi
