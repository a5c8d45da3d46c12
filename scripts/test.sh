#!/usr/bin/env bash
# Sets up everything and runs every test (the window tests on Qt's offscreen platform).
# No test may reach the real keyboard controller, whatever it forgets to install.
#   scripts/test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
./scripts/setup.sh "$build"
cd "$build"
QT_QPA_PLATFORM=offscreen TESSARON_FORBID_PORT_IO=1 ctest --output-on-failure -j "$(nproc)"
