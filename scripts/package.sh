#!/usr/bin/env bash
# Builds the two Debian packages on a Debian 12 machine and checks them: installs what it
# needs (like scripts/setup.sh, with apt-get as root or through sudo), builds with Debian's
# hardening flags into its own build folder, makes the packages with CPack (their library
# dependencies from dpkg-shlibdeps), writes them to dist/, validates the AppStream metainfo
# and runs lintian on both, failing on any error.
#   scripts/package.sh [BUILD_DIR]                     (default BUILD_DIR: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-package}"
umask 022

# Beside what scripts/setup.sh installs: the compiler flags, the manual pages, CPack's
# dependency search and the checks.
./scripts/install-packages.sh dpkg-dev help2man file appstream lintian

# The changelog's date is the last commit's, so that the same commit gives the same packages.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }

./scripts/setup.sh "$build" -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
  -DTESSARON_BUILD_BENCH=OFF -DTESSARON_MAN_PAGES=ON \
  "-DCMAKE_C_FLAGS=$(flags CFLAGS) $(flags CPPFLAGS)" \
  "-DCMAKE_CXX_FLAGS=$(flags CXXFLAGS) $(flags CPPFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)"

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
mkdir -p dist
rm -f dist/tessaron_*.deb dist/tessaron-config_*.deb
cp "$build"/tessaron_*.deb "$build"/tessaron-config_*.deb dist/
ls -l dist/*.deb

echo "== appstreamcli validate"
appstreamcli validate --no-net packaging/metainfo.xml
echo "== lintian"
lintian --fail-on error --info dist/tessaron_*.deb dist/tessaron-config_*.deb
