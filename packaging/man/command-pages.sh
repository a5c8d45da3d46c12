#!/bin/sh
# Writes the COMMANDS section of tessaron's manual page, a help2man include file, from the
# program's own help: the commands that "tessaron --help" lists, then "tessaron COMMAND --help"
# of each, turned into roff. Nothing of the help is kept here, so the page follows the program.
#   command-pages.sh PROGRAM OUTPUT
set -eu
program=$1
output=$2

# The help of one command as roff: its description, its usage line as the synopsis, and each
# option or operand as a tagged paragraph; continuation lines join the entry above them.
to_roff='
function roff(text) {
  gsub(/\\/, "\\e", text)
  gsub(/-/, "\\-", text)
  if (text ~ /^[.'"'"']/) text = "\\&" text
  return text
}
function trimmed(text) { sub(/^ +/, "", text); sub(/ +$/, "", text); return text }
BEGIN { print ".SS \"" command "\"" }
/^[ \t]*$/ { paragraph = 1; next }
/^Usage: / {
  name = $2 " " $3
  print ".PP"
  print "\\fB" roff(name) "\\fR" roff(substr($0, length("Usage: " name) + 1))
  next
}
# A heading is printed with the first entry under it that is shown.
/^[A-Z][A-Za-z ]*:$/ { heading = $0; examples = heading ~ /^Examples?:$/; next }
# Examples are command lines, one a line, as they are typed.
examples && /^  [^ ]/ {
  if (heading != "") { print ".PP"; print "\\fI" heading "\\fR"; heading = "" }
  print ".br"
  print "\\f(CR" roff(trimmed($0)) "\\fR"
  next
}
# An option or operand stands alone on its line, its description indented below it.
/^  [^ ]/ {
  term = trimmed($0)
  skipped = term ~ /^-h, --help/
  if (skipped) next
  if (heading != "") { print ".PP"; print "\\fI" heading "\\fR"; heading = "" }
  first = term; sub(/ .*/, "", first)
  print ".TP"
  # Long value lists may break after their commas.
  rest_of_term = roff(substr(term, length(first) + 1))
  gsub(/,/, ",\\:", rest_of_term)
  print "\\fB" roff(first) "\\fR" rest_of_term
  paragraph = 0
  next
}
/^   / { if (!skipped) print roff(trimmed($0)); next }
{
  examples = 0; skipped = 0
  if (paragraph) { print ".PP"; paragraph = 0 }
  print roff(trimmed($0))
}
'

commands=$("$program" --help | awk '
  /^[^ ].*:$/ { section = $0; next }
  section == "Commands:" && /^  [^ ]/ { print $1 }')
[ -n "$commands" ] || { echo "$0: $program --help lists no commands" >&2; exit 1; }
{
  echo "[COMMANDS]"
  echo ".nh"  # option names and value lists are neither hyphenated nor stretched
  echo ".na"
  for command in $commands; do
    "$program" "$command" --help | awk -v command="$command" "$to_roff"
  done
  echo ".ad"
  echo ".hy"
} >"$output.new"
mv "$output.new" "$output"
