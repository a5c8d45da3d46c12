#!/usr/bin/env bash
# Sets up everything on a Debian 12 machine and builds: installs the Debian packages that
# are missing (with apt-get, as root or through sudo), configures with CMake and builds.
# Nothing else is assumed: no make, no sudo when run as root.
#   scripts/setup.sh [BUILD_DIR [CMAKE_OPTION ...]]     (default BUILD_DIR: build)
# Extra packages for one purpose can be asked for with TESSARON_EXTRA_PACKAGES.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
[ "$#" -gt 0 ] && shift

packages=(build-essential cmake ninja-build pkg-config git
  qt6-base-dev libgl-dev libudev-dev libcli11-dev nlohmann-json3-dev libgtest-dev libgmock-dev
  libbenchmark-dev
  ${TESSARON_EXTRA_PACKAGES:-})

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "$0: run as root, or install sudo, to install: ${missing[*]}" >&2
      exit 1
    fi
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARON_WERROR=ON "$@"
cmake --build "$build" -j "$(nproc)"
