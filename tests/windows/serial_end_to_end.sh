#!/usr/bin/env bash
# tessaron.exe under Wine on a COM port that Wine maps to the pseudo-terminal of a simulated
# reader (tessaron-sim), against the Linux tessaron on a twin simulated reader: the same
# commands give the same output and the same files, byte for byte, with the line's real
# timing and in fast mode. Wine's prefix (WINEPREFIX) is the caller's.
#   tests/windows/serial_end_to_end.sh TESSARON_EXE LINUX_BIN_DIR
set -euo pipefail
exe=$(realpath "$1")
bin=$(realpath "$2")
port=COM5
source "$(dirname "$0")/wine_support.sh"

start_sim "$bin" linux
start_sim "$bin" windows
linux_pts=$(sim_path linux)
windows_pts=$(sim_path windows)
map_com_port "$port" "$windows_pts"

# Files both tools take: settings that differ from the reader's factory settings.
"$bin/tessaron" init changed.cfs2
"$bin/tessaron" set --file changed.cfs2 beep-volume=low send-lrc=on >/dev/null
"$bin/tessaron" init other.cfs2
"$bin/tessaron" set --file other.cfs2 preamble='\stxA' >/dev/null
"$bin/tessaron" export --file other.cfs2 other.json

# Runs the same command with both tools and compares exit status, output and the file named
# by OUTPUT_FILE (when set).
both() {
  local name=$1
  shift
  mkdir -p "linux/$name" "windows/$name"
  cp changed.cfs2 other.json "linux/$name/"
  cp changed.cfs2 other.json "windows/$name/"
  local linux_status=0 windows_status=0
  (cd "linux/$name" && "$bin/tessaron" "$@" --reader "$linux_pts" >out 2>err) || linux_status=$?
  (cd "windows/$name" && wine "$exe" "$@" --reader "$port" >out 2>err) || windows_status=$?
  local same=1
  [ "$linux_status" = "$windows_status" ] || same=0
  cmp -s "linux/$name/out" "windows/$name/out" || same=0
  if [ -n "${OUTPUT_FILE:-}" ]; then
    cmp -s "linux/$name/$OUTPUT_FILE" "windows/$name/$OUTPUT_FILE" || same=0
  fi
  if [ "$same" = 1 ] && [ "$linux_status" = 0 ]; then
    passed=$((passed + 1))
    echo "same: tessaron $*"
  else
    failures=$((failures + 1))
    echo "DIFFERENT: tessaron $* (exit $linux_status on Linux, $windows_status on Windows)"
    diff <(cat "linux/$name/out" "linux/$name/err") <(cat "windows/$name/out" "windows/$name/err") |
      head -n 20 || true
  fi
}

both report report
both fast-report --fast report
OUTPUT_FILE=saved.cfs2 both save --fast save saved.cfs2
both load --fast load changed.cfs2
both import --fast import other.json
OUTPUT_FILE=after.json both export --fast export after.json
both get --fast get beep-volume preamble send-lrc

# Saving over a file that is there replaces it.
OUTPUT_FILE=changed.cfs2 both save-over --fast save changed.cfs2

# A file named by its absolute path ("/..." is no option on Windows either).
if cmp -s <("$bin/tessaron" show "$work/changed.cfs2") <(wine "$exe" show "$work/changed.cfs2" 2>/dev/null); then
  passed=$((passed + 1))
  echo "same: tessaron show $work/changed.cfs2"
else
  failures=$((failures + 1))
  echo "DIFFERENT: tessaron show $work/changed.cfs2"
fi

# The PS/2 keyboard line is not offered on Windows: not listed, and refused when named.
status=0
wine "$exe" report --reader ps2 >ps2.out 2>ps2.err || status=$?
if [ "$status" = 2 ] && grep -q "not offered on this system" ps2.err &&
   ! wine "$exe" list 2>/dev/null | grep -q "^ps2"; then
  passed=$((passed + 1))
  echo "refused: tessaron report --reader ps2"
else
  failures=$((failures + 1))
  echo "NOT REFUSED: tessaron report --reader ps2 (exit $status)"
  cat ps2.err
fi

# --version names the system the program was built for.
if wine "$exe" --version 2>/dev/null | grep -q "(Windows x86_64)"; then
  passed=$((passed + 1))
  echo "names Windows: tessaron --version"
else
  failures=$((failures + 1))
  echo "NOT NAMED: tessaron --version gives: $(wine "$exe" --version 2>&1)"
fi

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
