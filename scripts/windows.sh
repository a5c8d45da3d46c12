#!/usr/bin/env bash
# Builds both programs for 64-bit Windows and their installer, and runs the Windows tests
# under Wine:
#   - installs what it needs from Debian (the MinGW-w64 cross compiler, Wine, wixl, Xvfb,
#     ImageMagick, GoogleTest's sources, the header-only CLI11 and nlohmann-json, and for the
#     Linux tool and its keyboard helper libudev and libcap-ng);
#   - builds a static Qt for Windows once per machine from Debian's qt6-base source
#     (scripts/windows-qt.sh; kept in ~/.cache/tessaron, outside the clone);
#   - cross-builds core, flows, sim (its in-process lines), cli and the window program into
#     build-windows/ and checks that tessaron.exe and tessaron-config.exe need no DLL but
#     Windows' own; copies them with the help files to dist/;
#   - makes the installer dist/tessaron-VERSION-x64.msi (scripts/windows-msi.sh);
#   - runs the core, flows, discovery and window tests under Wine (GoogleTest built from
#     /usr/src/googletest with the same compiler; the window tests on Qt's offscreen platform);
#   - builds the Linux tessaron and tessaron-sim (in build/, or build-windows/linux/) and runs
#     end to end, on a COM port that Wine maps to tessaron-sim's pseudo-terminal:
#     tessaron.exe against the Linux tool on a twin simulated reader, byte for byte;
#     tessaron-config.exe on Wine's own windows under Xvfb, and the windows of a read drawn
#     into build-windows/screenshots/; the installer installed, used and removed in a Wine
#     prefix of its own.
#   scripts/windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-packages.sh build-essential cmake ninja-build pkg-config \
  g++-mingw-w64-x86-64-posix wine64 wine googletest libcli11-dev nlohmann-json3-dev libudev-dev libcap-ng-dev \
  wixl msitools xvfb xauth x11-utils imagemagick

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

start=$(date +%s)
qt=$(./scripts/windows-qt.sh)
qt_ready=$(date +%s)

# Qt's toolchain file finds the Windows Qt and the host's Qt tools; it loads the project's own
# toolchain file (the compilers, Wine to run the tests).
toolchain="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
if [ -f build-windows/CMakeCache.txt ] &&
   ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" build-windows/CMakeCache.txt; then
  rm -rf build-windows/CMakeCache.txt build-windows/CMakeFiles  # made with another toolchain
fi
cmake -S . -B build-windows -G Ninja --toolchain "$toolchain" \
  "-DQT_CHAINLOAD_TOOLCHAIN_FILE=$PWD/cmake/mingw-w64-x86_64.cmake" -DTESSARON_BUILD_GUI=ON \
  -DCMAKE_BUILD_TYPE=Release -DTESSARON_WERROR=ON "${launcher[@]}"
cmake --build build-windows -j "$(nproc)"
bin=build-windows/bin

# One file each: every DLL it names is part of Windows itself (the api-ms-win-core sets and
# shcore, which Qt 6 uses, are Windows 10's).
system_dlls='^(api-ms-win-core-[a-z0-9-]+|shcore|kernel32|msvcrt|advapi32|setupapi|hid|user32|ws2_32|shell32|ole32|oleaut32|cfgmgr32|gdi32|imm32|winmm|uxtheme|dwmapi|version|shlwapi|comdlg32|dwrite|d3d9|d3d11|dxgi|netapi32|userenv|wtsapi32|mpr|authz|winspool\.drv|comctl32|rpcrt4|uiautomationcore|crypt32|secur32|bcrypt)\.dll$'
mkdir -p dist
for program in tessaron tessaron-config; do
  imports=$(x86_64-w64-mingw32-objdump -p "$bin/$program.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  foreign=$(grep -Ev "$system_dlls" <<<"$imports" || true)
  if [ -n "$foreign" ]; then
    echo "windows.sh: $program.exe needs DLLs that Windows does not have: $foreign" >&2
    exit 1
  fi
  x86_64-w64-mingw32-strip -o "dist/$program.exe" "$bin/$program.exe"
  echo "windows.sh: dist/$program.exe, $(du -k "dist/$program.exe" | cut -f1) KiB, needs" $imports
done
cp resources/TessaronCfgUtil.html "resources/HOW TO USE THIS UTILITY.txt" dist/
version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
msi="dist/tessaron-$version-x64.msi"
./scripts/windows-msi.sh dist "$version" "$msi"

# The Linux tool and simulator for the end-to-end tests: from the Linux build when there is
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
# Qt's offscreen platform, on which the window tests run, draws with the fonts of this folder.
wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /t REG_SZ \
  /d "$(winepath -w /usr/share/wine/fonts)" /f >/dev/null
wineserver -k 2>/dev/null || true

(cd build-windows && ctest --output-on-failure)
./tests/windows/serial_end_to_end.sh "$bin/tessaron.exe" "$linux/bin"
xvfb-run -a -s "-screen 0 1600x1200x24" ./tests/windows/window_end_to_end.sh \
  "$bin/tessaron-config.exe" "$bin/tessaron-screenshots.exe" "$linux/bin" build-windows/screenshots
./tests/windows/installer_test.sh "$msi" "$linux/bin"
tested=$(date +%s)

echo "windows.sh: Qt $((qt_ready - start)) s, build $((built - qt_ready)) s, tests $((tested - built)) s"
