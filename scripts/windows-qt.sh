#!/usr/bin/env bash
# Builds a static Qt for 64-bit Windows from Debian's own qt6-base source, once per machine,
# for tessaron-config.exe and its tests (scripts/windows.sh calls this when it needs it):
#   - fetches the source package of the same Qt version as the Linux build's (qt6-base-dev)
#     with apt-get source through an apt configuration of its own in a temporary folder
#     (a deb-src entry for Debian's archive; the system's apt sources are never changed);
#     dpkg-source applies Debian's patches;
#   - cross-configures it for MinGW-w64 (the POSIX thread model, as tessaron.exe), static and
#     release, with Debian's Linux Qt as the host Qt (moc, rcc, uic), and only what the window
#     program needs: Core, Gui, Widgets, Test, the Windows and offscreen platform plugins;
#   - installs it into ${XDG_CACHE_HOME:-$HOME/.cache}/tessaron/qt-VERSION-TOOLCHAIN/, with the
#     CMake toolchain file it was built with (the installed CMake files name that file).
# A second run finds the finished folder and does nothing. Prints the folder on standard
# output; everything else goes to standard error.
#   scripts/windows-qt.sh
set -euo pipefail
cd "$(dirname "$0")/.."
say() { echo "windows-qt.sh: $*" >&2; }

./scripts/install-packages.sh dpkg-dev xz-utils cmake ninja-build perl python3 \
  g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools debian-archive-keyring >&2

# The host Qt's tools must be of the very version built here.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
compiler=x86_64-w64-mingw32-g++-posix
toolchain="mingw-w64-x86_64-gcc-$($compiler -dumpversion)"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/tessaron/qt-$version-$toolchain"
if [ -f "$cache/.complete" ]; then
  say "found $cache"
  echo "$cache"
  exit 0
fi

say "no Windows Qt in $cache: building Qt $version for $toolchain (about 1050 steps: a quarter of an hour on a quiet 2-core machine, much longer on a busy one)"
start=$(date +%s)
# The work folder is kept until the install is complete, so that a build that was cut off goes
# on where it stopped.
work="$cache.work"
mkdir -p "$work" "$cache"

if [ ! -f "$work/.fetched" ]; then
  rm -rf "$work"/*
  # apt with state, cache and sources of its own: only the deb-src entry below is read.
  apt="$work/apt"
  mkdir -p "$apt/parts" "$apt/state/lists/partial" "$apt/cache/archives/partial"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
    >"$apt/sources.list"
  apt_private=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
    -o "Dir::State=$apt/state" -o "Dir::State::status=/var/lib/dpkg/status" -o "Dir::Cache=$apt/cache"
    -o "APT::Sandbox::User=root")
  say "fetching the qt6-base $version source (apt-get source, sources in $apt)"
  apt-get "${apt_private[@]}" -q update >&2
  (cd "$work" && apt-get "${apt_private[@]}" -q source "qt6-base=$version" >&2)
  touch "$work/.fetched"
fi
source_dir=$(find "$work/" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
[ -n "$source_dir" ] || { say "apt-get source unpacked nothing in $work"; exit 1; }

# The toolchain stays beside the installed Qt: its CMake files load it from there.
# Written only when it changed: a newer file would make the build configure itself again.
cat >"$cache/toolchain.new" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
if cmp -s "$cache/toolchain.new" "$cache/mingw-w64-x86_64.cmake"; then
  rm "$cache/toolchain.new"
else
  mv "$cache/toolchain.new" "$cache/mingw-w64-x86_64.cmake"
fi

# Static, release, small; bundled third-party libraries; no module or feature the window
# program does not use. Debian's source lacks the tablet (wintab) sources; its cross patch
# turns androiddeployqt on; Direct2D is not wanted, and DirectWrite 3 in the Windows plugin
# would need QtGui's Direct2D font database: fonts go through GDI.
options=(-prefix "$cache" -xplatform win32-g++ -static -release -optimize-size
  -qt-host-path /usr -nomake tests -nomake examples
  -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-doubleconversion
  -no-opengl -no-dbus -no-icu
  -no-feature-network -no-feature-sql -no-feature-printsupport -no-feature-concurrent
  -no-feature-xml
  -no-feature-tabletevent -no-feature-direct2d -no-feature-androiddeployqt
  -no-feature-directwrite3)
if [ ! -f "$work/.configured" ]; then
  say "configuring in $work/build: ${options[*]}"
  rm -rf "$work/build"
  mkdir -p "$work/build"
  (cd "$work/build" && "$source_dir/configure" "${options[@]}" -- -G Ninja \
    "-DCMAKE_TOOLCHAIN_FILE=$cache/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1) || {
    tail -40 "$work/configure.log" >&2
    say "configure failed (the log above)"
    exit 1
  }
  touch "$work/.configured"
fi
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
say "building (cmake --build, $jobs jobs; the log is $work/build.log)"
cmake --build "$work/build" -j "$jobs" >>"$work/build.log" 2>&1 || {
  tail -40 "$work/build.log" >&2
  say "the Qt build failed (the log above)"
  exit 1
}
cmake --install "$work/build" >"$work/install.log" 2>&1 || {
  tail -20 "$work/install.log" >&2
  say "installing the Qt build failed"
  exit 1
}
touch "$cache/.complete"
say "Qt for Windows built and installed in $(( $(date +%s) - start )) s: $cache ($(du -sh "$cache" | cut -f1); the build folder had $(du -sh "$work" | cut -f1))"
rm -rf "$work"
echo "$cache"
