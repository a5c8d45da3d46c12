#!/usr/bin/env bash
# Sets up everything and runs every test (the window tests on Qt's offscreen platform).
#   scripts/test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
./scripts/setup.sh "$build"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
