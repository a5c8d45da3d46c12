#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
#   scripts/sanitize.sh [BUILD_DIR]     (default: build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-asan}"
./scripts/setup.sh "$build" -DCMAKE_BUILD_TYPE=Debug -DTESSARON_SANITIZE=ON \
  -DTESSARON_BUILD_BENCH=OFF
cd "$build"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$(nproc)"
