#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs them all within one time budget.
#   scripts/fuzz.sh [SECONDS [BUILD_DIR]]     (defaults: 120 s in all, build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-120}"
build="${2:-build-fuzz}"
TESSARON_EXTRA_PACKAGES="clang libclang-rt-14-dev" CC=clang CXX=clang++ \
  ./scripts/setup.sh "$build" -DTESSARON_FUZZ=ON -DTESSARON_BUILD_GUI=OFF \
  -DTESSARON_BUILD_BENCH=OFF -DBUILD_TESTING=OFF
./scripts/run-fuzzers.sh "$build" "$seconds"
