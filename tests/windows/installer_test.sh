#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own: an older version is installed first
# and the installer replaces it; both programs and the help files land in Program Files, the
# Start menu has the window program, the folder is on the system's PATH; the installed
# tessaron.exe runs (its version, and a report from a simulated reader on a COM port that
# Wine maps to tessaron-sim's pseudo-terminal); the uninstall leaves none of it.
#   tests/windows/installer_test.sh INSTALLER.msi LINUX_BIN_DIR
set -euo pipefail
msi=$(realpath "$1")
bin=$(realpath "$2")
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/windows/wine_support.sh"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot --init >/dev/null 2>&1 || true

folder="$WINEPREFIX/drive_c/Program Files/Tessaron Configuration Utility"
installed=(tessaron.exe tessaron-config.exe TessaronCfgUtil.html "HOW TO USE THIS UTILITY.txt")
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
product_code() { msiinfo export "$1" Property | sed -n 's/^ProductCode\t//p' | tr -d '\r'; }
registered() { wine reg query "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\\$1" &>/dev/null; }
system_path() { wine reg query "$environment" /v Path 2>/dev/null | tr -d '\r'; }
all_installed() { for file in "${installed[@]}"; do [ -f "$folder/$file" ] || return 1; done; }
on_path() { system_path | grep -qiF 'C:\Program Files\Tessaron Configuration Utility'; }
# found FIND_TEST...: Wine's drive C has a file that passes find's test.
found() { [ -n "$(find "$WINEPREFIX/drive_c" "$@")" ]; }
not() { ! "$@"; }

# An older version of the same files first.
mkdir files
msiextract -C files "$msi" >/dev/null
old_files=$(find files -name tessaron.exe -printf '%h\n' | head -n 1)
"$here/scripts/windows-msi.sh" "$old_files" 0.0.1 old.msi >/dev/null
wine msiexec /i old.msi /qn
check "the older version installs" registered "$(product_code old.msi)"
# A command prompt finds the tool on the PATH. (Asked here: Wine's uninstall of the older
# version leaves an empty element in the PATH, at which Wine's cmd stops looking; Windows
# skips it.)
wineserver -w
wine cmd /c "tessaron --version" >path.out 2>&1 || true
check "tessaron --version from the PATH" grep -q "(Windows x86_64)" path.out

wine msiexec /i "$msi" /qn
check "the new version replaces the older one" not registered "$(product_code old.msi)"
check "the new version is registered" registered "$(product_code "$msi")"
check "both programs and the help files are in Program Files" all_installed
# The Start-menu entry: the one of all users on Windows; Wine puts it in the user's.
check "the Start menu has the window program" \
  found -path '*/Start Menu/Programs/Tessaron Configuration Utility.lnk'
check "the folder is on the system's PATH" on_path

wineserver -w
wine "$folder/tessaron-config.exe" --version >version.out 2>&1 || true
check "tessaron-config.exe --version where it is installed" grep -q "^Tessaron" version.out
start_sim "$bin" installed
map_com_port COM5 "$(sim_path installed)"
wine "$folder/tessaron.exe" report --reader COM5 >report.out 2>report.err || true
check "tessaron.exe report on COM5" grep -q "V1.90" report.out

wine msiexec /x "$msi" /qn
wineserver -w
check "the uninstall removes the programs, the help files and the Start-menu entry" \
  not found -iname '*tessaron*'
check "the uninstall takes the folder off the PATH" not on_path
check "the uninstall unregisters the product" not registered "$(product_code "$msi")"

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
