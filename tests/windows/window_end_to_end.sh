#!/usr/bin/env bash
# The window program under Wine on an X display (xvfb-run), on a COM port that Wine maps to
# the pseudo-terminal of a simulated reader (tessaron-sim):
#   - tessaron-config.exe --reader COM5 opens its main window on Wine's own windows, reads
#     the reader and keeps running until it is ended; the screen is taken as a picture;
#   - the Windows build of the screenshot program draws the interface selection page, the
#     main window connected to the reader, the report of a read and both sheets after it.
# Every picture must show something (more than a few colours); they are kept in OUTPUT_DIR.
# Wine's prefix (WINEPREFIX) is the caller's.
#   tests/windows/window_end_to_end.sh TESSARON_CONFIG_EXE SCREENSHOTS_EXE LINUX_BIN_DIR OUTPUT_DIR
set -euo pipefail
program=$(realpath "$1")
screenshots=$(realpath "$2")
bin=$(realpath "$3")
mkdir -p "$4"
output=$(realpath "$4")
rm -f "$output"/*.png
source "$(dirname "$0")/wine_support.sh"

# A picture that is not blank: a window with text and controls has many colours.
not_blank() { [ -f "$1" ] && [ "$(identify -format '%k' "$1")" -gt 8 ]; }
window_shown() { xwininfo -root -tree | grep -q '"Tessaron configuration utility"'; }

unset QT_QPA_PLATFORM  # the programs draw on Wine's own windows
start_sim "$bin" window
map_com_port COM5 "$(sim_path window)"

# The program itself, as a user starts it.
wine "$program" --reader COM5 >program.out 2>&1 &
window_pid=$!
for _ in $(seq 60); do window_shown && break; sleep 1; done
check "tessaron-config.exe --reader COM5 shows its main window" window_shown
sleep 8  # the start-up read of the serial line (at least 2.5 s an exchange)
check "tessaron-config.exe is still running after its start-up read" kill -0 "$window_pid"
import -window root "$output/wine-desktop.png"
check "the screen with tessaron-config.exe is not blank" not_blank "$output/wine-desktop.png"
kill "$window_pid" 2>/dev/null || true
wineserver -k 2>/dev/null || true

# The windows of a read, drawn by the screenshot program on the same reader.
check "the screenshot program reads the reader and draws its windows" \
  wine "$screenshots" --reader COM5 "$(winepath -w "$output")"
for picture in interface-selection main-window report-after-read basic-sheet advanced-sheet; do
  check "$picture.png is not blank" not_blank "$output/$picture.png"
done

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
