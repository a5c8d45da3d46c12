#!/usr/bin/env bash
# Bash completion of tessaron on typed command lines, the program answering as built; its
# "list" plays readers in the form "CONNECTION NAME".
#   completion_test.sh COMPLETION_SCRIPT TESSARON
set -u
source /usr/share/bash-completion/bash_completion
source "$1"
compopt() { :; }  # outside a real completion there is nothing to set
program=$(realpath "$2")
folder=$(mktemp -d) && trap 'rm -rf "$folder"' EXIT && cd "$folder" || exit 1
printf '#!/bin/sh\n[ "$1 $2" = "list " ] && exec printf "usb-hid:0 /dev/hidraw3\\nps2:0 PS/2\\n"\nexec %q "$@"\n' \
  "$program" >tessaron && chmod +x tessaron
mkdir folder && touch reviewed.json saved.cfs2

failures=0
# The line up to the cursor | every offer there, in order (readline's breaks at = and :).
while IFS='|' read -r line expected; do
  COMP_LINE="./$line" COMP_POINT=${#COMP_LINE}
  read -ra COMP_WORDS <<<"$(sed -E 's/([=:])/ \1 /g' <<<"$COMP_LINE")"
  [[ $COMP_LINE == *[\ =:] ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMPREPLY=()
  _tessaron
  offers=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
  if [[ $offers != "$expected" ]]; then
    echo "\"$line\": offers \"$offers\", expected \"$expected\""
    ((failures++))
  fi
done <<'CASES'
tessaron sa|save
tessaron --f|--fast
tessaron set beep|beep-volume=
tessaron set --check -j 2 --all beep-volume=quick|quick-high quick-low
tessaron get --json msr-reading terminal-t|terminal-type
tessaron list --interface usb-|usb-hid usb-hid-kb usb-rs232
tessaron report --fast --reader |ps2:0 usb-hid:0
tessaron clone --from usb-hid:|0
tessaron diff saved.cfs2 re|reader reader:ps2:0 reader:usb-hid:0 reviewed.json
tessaron import -r ps2:0 |folder reviewed.json
tessaron show --raw |folder reviewed.json saved.cfs2 tessaron
tessaron send |
CASES
exit $((failures > 0))
