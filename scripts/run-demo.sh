#!/usr/bin/env bash
# Writes a configuration file with the factory defaults and prints its current-settings
# report as a USB-HID reader with firmware V1.90 would show it.
# Usage: scripts/run-demo.sh BUILD_DIR
set -eu

if [ "$#" -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi

tool="$1/bin/tessaron"
if [ ! -x "$tool" ]; then
  echo "$0: $tool not found; build first" >&2
  exit 1
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/tessaron-demo.XXXXXX")"
trap 'rm -rf "$work"' EXIT

file="$work/factory-defaults.cfs2"
"$tool" init "$file"
echo "Wrote $file ($(wc -c < "$file") bytes). Its report:"
echo
"$tool" show "$file" --interface usb-hid --firmware V1.90
echo  # the report leaves its last line open
