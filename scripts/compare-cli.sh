#!/usr/bin/env bash
# Runs the same command lines with two builds of tessaron and lists every difference in
# standard output, standard error or exit status: a change meant to keep behaviour (a
# restructuring, a new platform's back-ends) must leave this empty.
#   scripts/compare-cli.sh OLD_BIN_DIR NEW_BIN_DIR
# Each BIN_DIR holds a built tessaron (build/bin). Exits 1 when anything differs.
set -uo pipefail
[ "$#" -eq 2 ] || { echo "usage: $0 OLD_BIN_DIR NEW_BIN_DIR" >&2; exit 2; }

# Runs every case with one build in a fresh folder; the output of case N goes to N.txt.
run_cases() {
  local t=$1/tessaron n=0
  run() { n=$((n + 1)); { "$@"; echo "exit $?"; } >"$n.txt" 2>&1; echo "$*" >"$n.cmd"; }
  run "$t" --help
  # Every command the program lists in its help.
  for command in $("$t" --help | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }'); do
    run "$t" "$command" --help
  done
  run "$t" settings
  run "$t" init f.cfs2
  run "$t" show f.cfs2
  run "$t" dump f.cfs2
  run "$t" export f.json -f f.cfs2
  run cat f.json
  run "$t" set beep-volume=low 'preamble=\stx' track1-prefix=AB -f f.cfs2
  run "$t" get -f f.cfs2
  run "$t" diff f.cfs2 f.json
  for line in rs232 usb-rs232 usb-hid usb-hid-kb ps2; do
    run "$t" report --simulate="$line"
    run "$t" version --simulate="$line"
    run "$t" list --simulate="$line"
    run "$t" set beep-volume=off --simulate="$line"
    run "$t" get --simulate="$line"
    run "$t" set terminal-type=notebook baud-rate=2400 --simulate="$line"
    run "$t" send '\x2\x52\x22\x3' --simulate="$line"
    run "$t" save "s-$line.cfs2" --simulate="$line"
    run "$t" dump "s-$line.cfs2"
  done
  run "$t" set beep-volume=low --all --simulate=usb-hid:3
  run "$t" reprot
  run "$t" set beep-volum=low -f f.cfs2
  run "$t" report --reader usb-hid:5 --simulate
  # File kinds, broken files, list values, shown bytes and the command line's own errors.
  run "$t" init fresh.json
  run "$t" export x.cfs2 -f f.cfs2
  run cp f.json inside.cfs2
  run "$t" set beep-volume=high -f inside.cfs2
  run "$t" import f.cfs2 -f g.cfs2
  run touch empty.cfs2
  run "$t" show empty.cfs2
  run "$t" get -f empty.cfs2
  run "$t" set baud-rate=0x96 -f f.cfs2
  run "$t" set beep-volume=low beep-volume=high -f f.cfs2
  run "$t" defaults --simulate
  run "$t" --bogus
  run "$t" report -r usb-hid:0 -r usb-hid:1 --simulate
  run "$t" report --simulate=
  run "$t" report --reader /dev/null --simulate=rs232
  run "$t" save . --simulate
  run "$t" clone --from usb-hid:0 --to usb-hid:1 --simulate=usb-hid:2
}

work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT || exit 1
for side in old new; do
  bin=$(realpath "$1") && shift
  mkdir "$work/$side" && (cd "$work/$side" && run_cases "$bin")
done
# The programs' own paths differ between the builds, and a simulated serial reader gets
# whichever pseudo-terminal is free; everything else must not differ.
sed -i -E 's#/dev/pts/[0-9]+#/dev/pts/N#g' "$work"/old/*.txt "$work"/new/*.txt
if diff -r -x '*.cmd' "$work/old" "$work/new"; then
  echo "no difference in $(ls "$work/new"/*.txt | wc -l) runs"
else
  exit 1
fi
