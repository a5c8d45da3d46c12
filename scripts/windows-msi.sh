#!/usr/bin/env bash
# Makes the Windows installer of both programs with wixl (Debian's msitools) from the files
# in a folder (tessaron.exe, tessaron-config.exe and the two help files):
#   scripts/windows-msi.sh FOLDER VERSION OUTPUT.msi
# packaging/windows/tessaron.wxs says what goes where. wixl writes no Environment table, so
# the entry that puts the install folder on the system's PATH (and takes it off again at
# uninstall) is added here with msibuild, with the two standard actions that apply it.
set -euo pipefail
[ "$#" -eq 3 ] || { echo "usage: $0 FOLDER VERSION OUTPUT.msi" >&2; exit 2; }
folder=$1
version=$2
output=$3
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

wixl -a x64 -D "Version=$version" -D "Dist=$folder" -o "$work/tessaron.msi" \
  "$here/packaging/windows/tessaron.wxs"
# "=-*Path": set at install, removed at uninstall, the system's variable; "[~];" appends.
printf '%s\t%s\t%s\t%s\n' Environment Name Value Component_ s72 l255 S255 s72 >"$work/Environment.idt"
printf '%s\t%s\n' Environment Environment >>"$work/Environment.idt"
printf '%s\t%s\t%s\t%s\n' CommandLinePath '=-*Path' '[~];[INSTALLDIR]' CommandLine >>"$work/Environment.idt"
msibuild "$work/tessaron.msi" -i "$work/Environment.idt"
for action in 'RemoveEnvironmentStrings 3300' 'WriteEnvironmentStrings 5200'; do
  set -- $action
  msibuild "$work/tessaron.msi" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('$1', $2)"
done
mv "$work/tessaron.msi" "$output"
echo "windows-msi.sh: $output ($(du -k "$output" | cut -f1) KiB)"
