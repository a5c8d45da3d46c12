#!/usr/bin/env bash
# The demo without a card reader. With a display, the configuration program starts with
# its simulated reader; without one, the simulated reader is served on a pseudo-terminal
# and the command-line tool reads it and prints its current-settings report.
# Usage: scripts/run-demo.sh BUILD_DIR
set -eu

if [ "$#" -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
bin="$1/bin"

if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -x "$bin/tessaron-config" ]; then
  exec "$bin/tessaron-config" --simulate
fi

for program in tessaron tessaron-sim; do
  if [ ! -x "$bin/$program" ]; then
    echo "$0: $bin/$program not found; build first" >&2
    exit 1
  fi
done

# The simulator prints its terminal's path on its first line, then serves until stopped.
coproc SIM { exec "$bin/tessaron-sim"; }
sim_pid=$SIM_PID
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT

path=""
if ! read -r -t 10 path <&"${SIM[0]}" || [ -z "$path" ]; then
  echo "$0: the simulated reader did not start" >&2
  exit 1
fi

status=0
"$bin/tessaron" report --reader "$path" || status=$?
exit "$status"
