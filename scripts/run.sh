#!/usr/bin/env bash
# Sets up everything and runs the main job: the configuration program on the built-in
# simulated reader where there is a display, else the command-line report of a simulated
# reader on a pseudo-terminal.
#   scripts/run.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
./scripts/setup.sh "$build"
exec ./scripts/run-demo.sh "$build"
