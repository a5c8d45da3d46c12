#!/bin/sh
# Runs every fuzzer of a fuzz build for a fixed time each.
#   scripts/run-fuzzers.sh BUILD_DIR SECONDS
# Corpora and findings go to BUILD_DIR/fuzz-work (never into the source tree). Seeds are made
# fresh on every run: a default settings stream and a default configuration file, plus a few
# short variants. Exits non-zero as soon as a fuzzer reports a finding.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$1
seconds=$2
bin="$build/bin"
work="$build/fuzz-work"

for fuzzer in fuzz_decode_settings fuzz_load_config_file; do
  if [ ! -x "$bin/$fuzzer" ]; then
    echo "missing $bin/$fuzzer; build the fuzz targets first" >&2
    exit 2
  fi
done

# The configuration-file fuzzer rewrites one scratch file per input; a memory-backed folder
# keeps that from dominating the run time.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch=$(mktemp -d /dev/shm/tessaron-fuzz.XXXXXX)
else
  scratch=$(mktemp -d)
fi
trap 'rm -rf "$scratch"' EXIT INT TERM

mkdir -p "$work/seeds-decode" "$work/seeds-load" "$work/corpus-decode" "$work/corpus-load" \
  "$work/findings"

# The factory-default settings stream, as a reader returns it and as it is stored.
default_stream='\002\123\020\001\060\021\001\062\022\001\060\104\001\060\105\001\060\101\001\065'\
'\102\001\060\103\001\060\107\001\021\110\001\023\023\001\060\027\001\015\025\001\060\026\001\131'\
'\041\001\015\033\001\060\031\001\061\032\001\061\035\001\061\140\001\060\043\001\060\141\001\045'\
'\142\001\045\143\001\073\144\001\045\145\001\073\146\001\045\147\001\041\150\001\073\322\001\000'\
'\323\001\000\372\000\373\000\374\010\000\377\000\377\000\377\000\377\151\001\077\152\001\077'\
'\153\001\077\024\001\001\044\001\060\045\001\100\064\001\000\065\001\000\066\001\000\067\001\000'\
'\070\001\000\071\001\000\003\347'
# A stream with one record of each block kind and a string, without ETX.
blocks='\002\123\064\003\002\101\102\372\011\002\101\102\000\000\000\000\000\000'\
'\373\026\360\100\005\024\361\040\000\001\101\362\041\001\001\075\363\042\001\001\075\001\001\136'\
'\374\013\003\340\042\101\377\000\377\000\377\000\377'

printf "$default_stream" > "$work/seeds-decode/default"
{ printf '\006'; printf "$default_stream"; } > "$work/seeds-decode/reply"
printf "$blocks" > "$work/seeds-decode/blocks"
{ printf 'KALDORMSRCFG2000'; printf "$default_stream"; } > "$work/seeds-load/default.cfs2"
{ printf 'KALDORMSRCFG2000'; printf "$blocks"; } > "$work/seeds-load/blocks.cfs2"
printf 'KALDORMSRCFG2000' > "$work/seeds-load/header-only.cfs2"

run() {
  fuzzer=$1
  corpus=$2
  seeds=$3
  echo "== $fuzzer for $seconds s"
  # -max_len covers files just past the 1024-byte limit, and -len_control=0 lets inputs grow
  # to it at once. libFuzzer exits non-zero on a finding and leaves the input in the findings
  # folder.
  TMPDIR="$scratch" "$bin/$fuzzer" -max_total_time="$seconds" -max_len=1100 -len_control=0 \
    -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/findings/$fuzzer-" "$corpus" "$seeds"
}

run fuzz_decode_settings "$work/corpus-decode" "$work/seeds-decode"
run fuzz_load_config_file "$work/corpus-load" "$work/seeds-load"
echo "no findings"
