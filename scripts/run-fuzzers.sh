#!/bin/sh
# Runs every fuzzer of a fuzz build, sharing a time budget between them.
#   scripts/run-fuzzers.sh BUILD_DIR SECONDS
# SECONDS is the budget of the whole run, split evenly between the fuzzers (never less than
# MIN_SECONDS each). Corpora and findings go to BUILD_DIR/fuzz-work (never into the source
# tree). Seeds are made fresh on every run: a default settings stream and configuration file,
# typed commands, a report descriptor and a few exchanges as each line carries them; the
# corpora kept in fuzz/corpus/FUZZER (read only) are further seeds. Exits non-zero as soon as
# a fuzzer reports a finding.
set -eu

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$1
budget=$2
bin="$build/bin"
work="$build/fuzz-work"
source_fuzz="$(cd "$(dirname "$0")/.." && pwd)/fuzz"
kept="$source_fuzz/corpus"

# Every fuzzer of the fuzz folder: one fuzz_NAME.cpp each.
FUZZERS=$(for source in "$source_fuzz"/fuzz_*.cpp; do basename "$source" .cpp; done)
MIN_SECONDS=3

count=0
for fuzzer in $FUZZERS; do
  if [ ! -x "$bin/$fuzzer" ]; then
    echo "missing $bin/$fuzzer; build the fuzz targets first" >&2
    exit 2
  fi
  count=$((count + 1))
done
seconds=$((budget / count))
if [ "$seconds" -lt "$MIN_SECONDS" ]; then
  seconds=$MIN_SECONDS
fi

# The configuration-file fuzzer rewrites one scratch file per input; a memory-backed folder
# keeps that from dominating the run time.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch=$(mktemp -d /dev/shm/tessaron-fuzz.XXXXXX)
else
  scratch=$(mktemp -d)
fi
trap 'rm -rf "$scratch"' EXIT INT TERM

for fuzzer in $FUZZERS; do
  mkdir -p "$work/seeds-$fuzzer" "$work/corpus-$fuzzer"
done
mkdir -p "$work/findings"

# Octal escapes for printf of the bytes on standard input, with the byte of $1 (octal) put in
# front of every chunk of $2 bytes: a reply as the HID device hands it out, one script byte
# per data report.
chunked() {
  od -An -v -to1 | tr -s ' \n' '\n\n' | grep -v '^$' |
    awk -v mark="$1" -v size="$2" '{ if ((NR - 1) % size == 0) printf "\\%s", mark; printf "\\%s", $1 }'
}

# Octal escapes for printf of the bytes on standard input, each read by the keyboard port
# after a status byte of 001 (output buffer full).
paced() {
  od -An -v -to1 | tr -s ' \n' '\n\n' | grep -v '^$' | awk '{ printf "\\001\\%s", $1 }'
}

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
# The version reply "V1.90" and a short framed reply, as the reader sends them.
version_reply='\002\126\061\056\071\060\003\101'
short_reply='\002\037\002\252\273\003\015'

seeds() { echo "$work/seeds-$1"; }

printf "$default_stream" > "$(seeds fuzz_decode_settings)/default"
{ printf '\006'; printf "$default_stream"; } > "$(seeds fuzz_decode_settings)/reply"
printf "$blocks" > "$(seeds fuzz_decode_settings)/blocks"
{ printf 'KALDORMSRCFG2000'; printf "$default_stream"; } > "$(seeds fuzz_load_config_file)/default.cfs2"
{ printf 'KALDORMSRCFG2000'; printf "$blocks"; } > "$(seeds fuzz_load_config_file)/blocks.cfs2"
printf 'KALDORMSRCFG2000' > "$(seeds fuzz_load_config_file)/header-only.cfs2"

# Typed commands behind the byte that picks the buffer capacity (255: 765 bytes).
printf '\377\\x2\\x52\\x22\\x3' > "$(seeds fuzz_command_text)/version"
printf '\377AB \\X02\t\\x53\\x70\\x1\\xff\\x3' > "$(seeds fuzz_command_text)/boot-loader"
printf '\001\\x2\\x\\x123\\xZ3\\x3' > "$(seeds fuzz_command_text)/invalid"

# The reader's own descriptor (one 8-byte feature report) and one with numbered reports,
# a push and a pop.
printf '\006\000\377\011\001\241\001\025\000\046\377\000\165\010\225\010\011\001\261\002\300' \
  > "$(seeds fuzz_report_descriptor)/reader"
printf '\205\001\165\010\225\007\261\002\244\205\002\225\077\261\002\264\221\002\376\002\000\001\002' \
  > "$(seeds fuzz_report_descriptor)/numbered"

# HID: report length 9, flags (operation, reader kind), capacity 255 * 5, then the reply in
# data reports; the device goes idle once the input ends.
hid_seed() {
  { printf "\\011\\$1\\377"; printf "$2" | { printf "$(chunked 040 8)"; }; } > "$(seeds fuzz_hid_reply)/$3"
}
hid_seed 000 "\\006$version_reply" version
hid_seed 001 "\\006$default_stream" read-settings
hid_seed 002 '\006' write-settings
hid_seed 104 '\006' keyboard-reader-defaults

# Keyboard line: command choice, capacity 255 * 5, then per command byte an empty input
# buffer, a full output buffer and 0xFA; then the reply byte by byte.
acks='\001\001\372\001\001\372\001\001\372\001\001\372\001\001\372'
{ printf "\\000\\377$acks"; printf "$short_reply" | { printf "$(paced)"; }; } \
  > "$(seeds fuzz_keyboard_reply)/read"
{ printf "\\007\\377$acks"; printf "$version_reply" | { printf "$(paced)"; }; } \
  > "$(seeds fuzz_keyboard_reply)/version"
printf "\\002\\377$acks\\001\\372" > "$(seeds fuzz_keyboard_reply)/set-acknowledged"
{ printf "\\002\\377$acks\\001\\026"; printf "$short_reply" | { printf "$(paced)"; }; } \
  > "$(seeds fuzz_keyboard_reply)/set-refused"

# Serial: flags (acknowledged, reply style), then the reply, which is also what a client
# writes to the simulated reader.
{ printf '\001\006'; printf "$default_stream"; } > "$(seeds fuzz_serial_reply)/settings"
{ printf '\011'; printf "$blocks\\003\\000"; } > "$(seeds fuzz_serial_reply)/blocks-keyboard"
{ printf '\025\006'; printf "$version_reply"; printf '\002\122\042\003\161\002\123\030\003\112'; } \
  > "$(seeds fuzz_serial_reply)/version-and-commands"

# The keyboard-controller helper's input: a seize request, then an exchange of the settings
# read (capacity 1024) and one of the boot-loader command; then a reply as the helper sends it.
printf '\001\000\001\010\000\003\000\004\002\122\037\003\114\012\000\003\100\000\002\123\160\001\377\003\334' \
  > "$(seeds fuzz_kbc_request)/seize-and-read"
printf '\015\000\001\000\000\000\007\000\002\037\002\252\273\003\015' \
  > "$(seeds fuzz_kbc_request)/reply"

run() {
  fuzzer=$1
  max_len=$2
  kept_corpus=""
  if [ -d "$kept/$fuzzer" ]; then
    kept_corpus="$kept/$fuzzer"
  fi
  echo "== $fuzzer for $seconds s"
  # -len_control=0 lets inputs grow to -max_len at once. libFuzzer exits non-zero on a
  # finding and leaves the input in the findings folder.
  TMPDIR="$scratch" "$bin/$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -len_control=0 \
    -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/findings/$fuzzer-" \
    "$work/corpus-$fuzzer" "$(seeds "$fuzzer")" ${kept_corpus:+"$kept_corpus"}
}

# The longest input of each: files just past the 1024-byte limit and replies of up to 1024
# bytes in reports or byte by byte, settings files of every setting at some length and
# beyond, helper requests past their frame limit.
for fuzzer in $FUZZERS; do
  case $fuzzer in
    fuzz_import_settings_json) run "$fuzzer" 8192 ;;
    fuzz_hid_reply | fuzz_keyboard_reply) run "$fuzzer" 2400 ;;
    fuzz_kbc_request) run "$fuzzer" 4200 ;;
    *) run "$fuzzer" 1100 ;;
  esac
done
echo "no findings"
