#!/usr/bin/env bash
# Builds tessaron.exe for 64-bit Windows and runs the Windows tests under Wine:
#   - installs what it needs from Debian (the MinGW-w64 cross compiler, Wine, GoogleTest's
#     sources, the header-only CLI11 and nlohmann-json, and for the Linux tool libudev);
#   - cross-builds core, flows, sim (its in-process lines) and cli into build-windows/ and
#     checks that tessaron.exe needs no DLL but the system's; copies it to dist/;
#   - runs the core, flows and discovery tests under Wine (GoogleTest built from
#     /usr/src/googletest with the same compiler);
#   - builds the Linux tessaron and tessaron-sim (in build/, or build-windows/linux/) and runs the serial
#     line end to end: tessaron.exe on a COM port that Wine maps to tessaron-sim's
#     pseudo-terminal, against the Linux tool on a twin simulated reader, byte for byte.
#   scripts/windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-packages.sh build-essential cmake ninja-build pkg-config \
  g++-mingw-w64-x86-64-posix wine64 wine googletest libcli11-dev nlohmann-json3-dev libudev-dev

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

start=$(date +%s)
cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTESSARON_WERROR=ON "${launcher[@]}"
cmake --build build-windows -j "$(nproc)"
exe=build-windows/bin/tessaron.exe

# One file: every DLL it names is part of Windows itself.
system_dlls='^(kernel32|msvcrt|advapi32|setupapi|hid|user32|ws2_32|shell32|ole32|cfgmgr32)\.dll$'
foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
  tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
if [ -n "$foreign" ]; then
  echo "windows.sh: tessaron.exe needs DLLs that Windows does not have: $foreign" >&2
  exit 1
fi
mkdir -p dist
cp "$exe" dist/tessaron.exe

# The Linux tool and simulator for the end-to-end test: from the Linux build when there is
# one (scripts/test.sh made it), else from a build of just these two.
linux=build
if [ ! -f build/CMakeCache.txt ]; then
  linux=build-windows/linux
  cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARON_WERROR=ON \
    -DTESSARON_BUILD_GUI=OFF -DTESSARON_BUILD_BENCH=OFF -DBUILD_TESTING=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$linux" -j "$(nproc)" --target tessaron tessaron-sim
built=$(date +%s)

# A Wine prefix of the build's own; no dialogs, no debug output.
export WINEPREFIX="$PWD/build-windows/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine wineboot --init >/dev/null 2>&1 || true

(cd build-windows && ctest --output-on-failure)
./tests/windows/serial_end_to_end.sh "$exe" "$linux/bin"
tested=$(date +%s)

echo "windows.sh: build $((built - start)) s, tests $((tested - built)) s"
